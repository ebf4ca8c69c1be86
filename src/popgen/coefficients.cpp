#include "popgen/coefficients.h"

#include <cmath>
#include <limits>

#include "foundation/number_text.h"
#include "numeric/power.h"
#include "popgen/draw_window.h"
#include "popgen/pair_count.h"

namespace {

constexpr char kCRLF[] = "\r\n";

struct Counts {
    const KernelSource& src;
    std::size_t i, j;
    Extended operator()(std::uint8_t a, std::uint8_t b) const { return src.Count(i, j, a, b); }
};

// c11 + c91 + c19 + c99: every locus that the optimistic bound counts as a shared band.
Extended SharedOptimistic(const Counts& c) { return c(1, 1) + c(9, 1) + c(1, 9) + c(9, 9); }

// Loci where exactly one of the two cells is missing.
Extended OneMissing(const Counts& c) { return c(1, 9) + c(9, 1) + c(0, 9) + c(9, 0); }

std::string PairText(std::size_t i, std::size_t j) {
    return "#" + UIntToStr(i) + ", #" + UIntToStr(j);
}

void UndefinedNeiLi(const KernelSource& src, char kind, std::size_t i, std::size_t j, Extended s, Extended f) {
    if (src.Problems) {
        src.Problems->Record({kind, i, j, s, f});
        return;
    }
    switch (kind) {
        case 's':
            src.ReportError("Undefined NeiLi distance among individuals " + PairText(i, j) + ":" + kCRLF +
                            "f=" + ExtToStrF(s, 10, 9) + kCRLF + "Dice(i,j)= " + ExtToStrF(f, 10, 9));
            break;
        case 'x': src.ReportError("Undefined NeiLi max distance"); break;
        case 'n': src.ReportError("Undefined NeiLi min distance"); break;
        default:
            src.ReportError("Undefined NeiLi average distance among individuals " + PairText(i, j) +
                            ": no value between the bounds " + ExtToStrF(s, 10, 9) + " and " + ExtToStrF(f, 10, 9));
            break;
    }
}

// Nei-Li distance from the Dice value f: d = -1.5 ln((4 f^(1/2r) - 1) / 3).
Extended NeiLiFromDice(const KernelSource& src, char kind, std::size_t i, std::size_t j, Extended f) {
    const Extended p = Power(f, 1.0L / (2.0L * src.NeiLiR));
    const Extended s = (4.0L * p - 1.0L) / 3.0L;
    if (s < 0.0L) {
        UndefinedNeiLi(src, kind, i, j, s, f);
        return kUndefinedDistance;
    }
    const Extended d = -1.5L * std::log(s);
    return d == 0.0L ? 0.0L : d;
}

}  // namespace

// --- Similarities ---------------------------------------------------------------------------

Extended JaccardStd(const KernelSource& src, std::size_t i, std::size_t j) {
    const Counts c{src, i, j};
    const Extended c11 = c(1, 1);
    if (c11 == 0.0L) return 0.0L;
    return c11 / (c11 + c(1, 0) + c(0, 1));
}

Extended JaccardMin(const KernelSource& src, std::size_t i, std::size_t j) {
    const Counts c{src, i, j};
    const Extended c11 = c(1, 1);
    if (c11 == 0.0L) return 0.0L;
    return c11 / (c11 + c(1, 0) + c(0, 1) + OneMissing(c));
}

Extended JaccardMax(const KernelSource& src, std::size_t i, std::size_t j) {
    const Counts c{src, i, j};
    const Extended x = SharedOptimistic(c);
    if (x == 0.0L) return 0.0L;
    return x / (x + c(1, 0) + c(0, 1));
}

Extended DiceStd(const KernelSource& src, std::size_t i, std::size_t j) {
    const Counts c{src, i, j};
    const Extended c11 = c(1, 1);
    return 2.0L * c11 / (2.0L * c11 + c(1, 0) + c(0, 1));
}

Extended DiceMin(const KernelSource& src, std::size_t i, std::size_t j) {
    const Counts c{src, i, j};
    const Extended c11 = c(1, 1);
    return 2.0L * c11 / (2.0L * c11 + c(1, 0) + c(0, 1) + OneMissing(c));
}

Extended DiceMax(const KernelSource& src, std::size_t i, std::size_t j) {
    const Counts c{src, i, j};
    const Extended x = SharedOptimistic(c);
    return 2.0L * x / (2.0L * x + c(1, 0) + c(0, 1));
}

Extended SMCStd(const KernelSource& src, std::size_t i, std::size_t j) {
    const Counts c{src, i, j};
    const Extended same = c(1, 1) + c(0, 0);
    return same / (same + c(1, 0) + c(0, 1));
}

Extended SMCMin(const KernelSource& src, std::size_t i, std::size_t j) {
    const Counts c{src, i, j};
    const Extended same = c(1, 1) + c(0, 0);
    return same / (same + c(1, 0) + c(0, 1) + OneMissing(c));
}

Extended SMCMax(const KernelSource& src, std::size_t i, std::size_t j) {
    const Counts c{src, i, j};
    const Extended y = SharedOptimistic(c) + c(0, 9) + c(9, 0) + c(0, 0);
    return y / (y + c(1, 0) + c(0, 1));
}

// --- Distances ------------------------------------------------------------------------------

Extended EuclidStd(const KernelSource& src, std::size_t i, std::size_t j) {
    return std::sqrt(SqEuclidStd(src, i, j));
}

Extended EuclidMin(const KernelSource& src, std::size_t i, std::size_t j) { return EuclidStd(src, i, j); }

Extended EuclidMax(const KernelSource& src, std::size_t i, std::size_t j) {
    return std::sqrt(SqEuclidMax(src, i, j));
}

Extended SqEuclidStd(const KernelSource& src, std::size_t i, std::size_t j) {
    const Counts c{src, i, j};
    return c(1, 0) + c(0, 1);
}

Extended SqEuclidMin(const KernelSource& src, std::size_t i, std::size_t j) { return SqEuclidStd(src, i, j); }

Extended SqEuclidMax(const KernelSource& src, std::size_t i, std::size_t j) {
    const Counts c{src, i, j};
    return c(1, 0) + c(0, 1) + c(1, 9) + c(9, 1) + c(9, 0) + c(0, 9);
}

Extended NeiLiStd(const KernelSource& src, std::size_t i, std::size_t j) {
    return NeiLiFromDice(src, 's', i, j, DiceStd(src, i, j));
}

Extended NeiLiMax(const KernelSource& src, std::size_t i, std::size_t j) {
    return NeiLiFromDice(src, 'x', i, j, DiceMin(src, i, j));
}

Extended NeiLiMin(const KernelSource& src, std::size_t i, std::size_t j) {
    return NeiLiFromDice(src, 'n', i, j, DiceMax(src, i, j));
}

// --- Average ----------------------------------------------------------------------------------

namespace {

using AvgResult = AverageStep;

// The bounds of the Average treatment of each coefficient: lo and hi are computed once per pair;
// the similarities (and Nei-Li) reject draws u of [0, 1) outside [lo, hi], the Euclidean
// distances, whose bounds exceed 1, scale the draw to x = lo + u (hi - lo).
struct AverageBounds {
    TKernelProc lo, hi;
    bool scale;
};
constexpr AverageBounds kAverageBounds[6] = {
    {JaccardMin, JaccardMax, false}, {DiceMin, DiceMax, false},    {SMCMin, SMCMax, false},
    {NeiLiMin, NeiLiMax, false},     {EuclidStd, EuclidMax, true}, {SqEuclidStd, SqEuclidMax, true},
};

AvgResult Settled(Extended mean, Extended variance, Extended sd) {
    AvgResult r;
    r.mean = mean;
    r.variance = variance;
    r.sd = sd;
    return r;
}

}  // namespace

AverageStep AverageBoundsOf(const KernelSource& src, Coefficient coefficient, std::size_t i, std::size_t j) {
    const AverageBounds& bounds = kAverageBounds[NumberOf(coefficient)];
    const Extended lo = bounds.lo(src, i, j);
    const Extended hi = bounds.hi(src, i, j);
    // Bounds that compare equal, or cannot be ordered (a NaN), leave nothing to draw.
    if (!(lo < hi) && !(lo > hi)) return Settled(hi, 0.0L, 0.0L);
    // A defined Nei-Li lower bound of 1 or more, or an undefined upper bound below a defined lower
    // one, leaves no draw of [0, 1) acceptable.
    if (!bounds.scale && AcceptanceWindow(lo, hi).Empty()) {
        if (coefficient == Coefficient::NeiLi) {
            if (hi != kUndefinedDistance) UndefinedNeiLi(src, 'a', i, j, lo, hi);
            return Settled(kUndefinedDistance, 0.0L, 0.0L);
        }
        // Bounds closer than one step of the generator: the lower bound is a value the similarity
        // can take, where the -1 marker would become a distance of 2. Nothing is drawn.
        if (src.NoDraws) src.NoDraws->Record(i, j);
        return Settled(lo, 0.0L, 0.0L);
    }
    if (src.AvgDraws < 1) {
        const Extended nan = std::numeric_limits<Extended>::quiet_NaN();
        return Settled(nan, nan, nan);
    }
    AverageStep step;
    step.lo = lo;
    step.hi = hi;
    step.draw = true;
    return step;
}

void DrawAverage(const KernelSource& src, Coefficient coefficient, AverageStep& step) {
    const bool scale = kAverageBounds[NumberOf(coefficient)].scale;
    const Extended lo = step.lo, hi = step.hi;
    const std::size_t n = src.AvgDraws;
    Extended sum = 0.0L, sumsq = 0.0L;
    if (scale) {
        std::size_t count = 0;
        const Extended width = hi - lo;
        do {
            const Extended x = lo + src.Random->RandomFloat() * width;
            if (lo <= x && x <= hi) {
                sum += x;
                sumsq += x * x;
                ++count;
            }
        } while (count != n);
    } else {
        // The same draws, compared as integers with the window of the bounds.
        DrawInWindow(src.Random->Seed, AcceptanceWindow(lo, hi), n, sum, sumsq);
    }
    const Extended bigN = static_cast<Extended>(n);
    step.mean = sum / bigN;
    step.variance = (sumsq - bigN * step.mean * step.mean) / (bigN - 1.0L);
    step.sd = std::sqrt(step.variance);
    step.draw = false;
}

namespace {

// The Monte-Carlo mean (and spread) of AvgDraws accepted values between the pair's bounds.
AvgResult Average(const KernelSource& src, Coefficient coefficient, std::size_t i, std::size_t j) {
    AverageStep step = AverageBoundsOf(src, coefficient, i, j);
    if (step.draw) DrawAverage(src, coefficient, step);
    return step;
}

Extended WithSpread(const AvgResult& r, Extended& variance, Extended& sd) {
    variance = r.variance;
    sd = r.sd;
    return r.mean;
}

}  // namespace

Extended JaccardAvg(const KernelSource& src, std::size_t i, std::size_t j) {
    return Average(src, Coefficient::Jaccard, i, j).mean;
}
Extended DiceAvg(const KernelSource& src, std::size_t i, std::size_t j) {
    return Average(src, Coefficient::Dice, i, j).mean;
}
Extended SMCAvg(const KernelSource& src, std::size_t i, std::size_t j) {
    return Average(src, Coefficient::SMC, i, j).mean;
}
Extended NeiLiAvg(const KernelSource& src, std::size_t i, std::size_t j) {
    return Average(src, Coefficient::NeiLi, i, j).mean;
}
Extended EuclidAvg(const KernelSource& src, std::size_t i, std::size_t j) {
    return Average(src, Coefficient::Euclidean, i, j).mean;
}
Extended SqEuclidAvg(const KernelSource& src, std::size_t i, std::size_t j) {
    return Average(src, Coefficient::SqEuclidean, i, j).mean;
}

Extended JaccardAvgSD(const KernelSource& src, std::size_t i, std::size_t j, Extended& variance, Extended& sd) {
    return WithSpread(Average(src, Coefficient::Jaccard, i, j), variance, sd);
}
Extended DiceAvgSD(const KernelSource& src, std::size_t i, std::size_t j, Extended& variance, Extended& sd) {
    return WithSpread(Average(src, Coefficient::Dice, i, j), variance, sd);
}
Extended SMCAvgSD(const KernelSource& src, std::size_t i, std::size_t j, Extended& variance, Extended& sd) {
    return WithSpread(Average(src, Coefficient::SMC, i, j), variance, sd);
}
Extended NeiLiAvgSD(const KernelSource& src, std::size_t i, std::size_t j, Extended& variance, Extended& sd) {
    return WithSpread(Average(src, Coefficient::NeiLi, i, j), variance, sd);
}
Extended EuclidAvgSD(const KernelSource& src, std::size_t i, std::size_t j, Extended& variance, Extended& sd) {
    return WithSpread(Average(src, Coefficient::Euclidean, i, j), variance, sd);
}
Extended SqEuclidAvgSD(const KernelSource& src, std::size_t i, std::size_t j, Extended& variance, Extended& sd) {
    return WithSpread(Average(src, Coefficient::SqEuclidean, i, j), variance, sd);
}

// --- Selectors --------------------------------------------------------------------------------

TKernelProc KernelProc(Treatment mode, Coefficient coefficient) {
    // Rows: Standard, treatment 1 (pessimistic), treatment 2 (optimistic), Average.
    static constexpr TKernelProc kTable[4][6] = {
        {JaccardStd, DiceStd, SMCStd, NeiLiStd, EuclidStd, SqEuclidStd},
        {JaccardMin, DiceMin, SMCMin, NeiLiMax, EuclidMax, SqEuclidMax},
        {JaccardMax, DiceMax, SMCMax, NeiLiMin, EuclidMin, SqEuclidMin},
        {JaccardAvg, DiceAvg, SMCAvg, NeiLiAvg, EuclidAvg, SqEuclidAvg},
    };
    if (NumberOf(mode) > 3 || NumberOf(coefficient) > 5) return nullptr;
    return kTable[NumberOf(mode)][NumberOf(coefficient)];
}

TAvgSDKernelProc AvgSDKernelProc(Coefficient coefficient) {
    static constexpr TAvgSDKernelProc kTable[6] = {JaccardAvgSD, DiceAvgSD, SMCAvgSD,
                                                   NeiLiAvgSD,   EuclidAvgSD, SqEuclidAvgSD};
    return NumberOf(coefficient) > 5 ? nullptr : kTable[NumberOf(coefficient)];
}

const char* KernelCodeProblem(Treatment mode, Coefficient coefficient) {
    if (NumberOf(mode) > 3) return "TeskCore: Unknown mode 1";
    if (NumberOf(coefficient) > 5) return "TeskCore/TPopGenDataSet: Unknown coeffient 1";
    return nullptr;
}

KernelSource KernelSourceOf(TPopGenDataSet& ds) {
    KernelSource src;
    src.PairCount = PairCounterOf(ds);
    src.NeiLiR = ds.NeiLiR;
    src.AvgDraws = ds.AvgDraws;
    src.ReportError = [&ds](const std::string& msg) { ds.ReportError(msg); };
    return src;
}

bool GetCoefficientFunc(TPopGenDataSet& ds, Treatment mode, Coefficient coefficient, TKernelFunc& kernel) {
    if (const char* problem = KernelCodeProblem(mode, coefficient)) {
        ds.ReportError(problem);
        return false;
    }
    TPopGenDataSet* self = &ds;
    const TKernelProc proc = KernelProc(mode, coefficient);
    kernel = [self, proc](std::size_t i, std::size_t j) { return proc(KernelSourceOf(*self), i, j); };
    return true;
}

bool GetAvgSDKernel(TPopGenDataSet& ds, Coefficient coefficient, TAvgSDKernelFunc& kernel) {
    if (NumberOf(coefficient) > 5) {
        ds.ReportError("TeskCore/TPopGenDataSet: Unknown coeffient 2");
        return false;
    }
    TPopGenDataSet* self = &ds;
    const TAvgSDKernelProc proc = AvgSDKernelProc(coefficient);
    kernel = [self, proc](std::size_t i, std::size_t j, Extended& variance, Extended& sd) {
        return proc(KernelSourceOf(*self), i, j, variance, sd);
    };
    return true;
}

// --- Nei-Li problems of a run -----------------------------------------------------------------

void NeiLiProblems::Record(const Entry& e) {
    if (first_.size() < kListed) first_.push_back(e);
    ++count_;
}

std::string NeiLiProblems::Message() const {
    if (count_ == 0) return {};
    std::string msg = "Undefined NeiLi distance for " + UIntToStr(count_) +
                      (count_ == 1 ? " pair" : " pairs") + " of individuals (value -1.0 in the matrix)";
    msg += count_ > first_.size() ? ". The first " + UIntToStr(first_.size()) + ":" : ":";
    for (const Entry& e : first_) {
        msg += kCRLF;
        msg += PairText(e.i, e.j);
        switch (e.kind) {
            case 's': msg += ": f=" + ExtToStrF(e.s, 10, 9) + ", Dice(i,j)= " + ExtToStrF(e.f, 10, 9); break;
            case 'x': msg += " (max): f=" + ExtToStrF(e.s, 10, 9) + ", Dice(i,j)= " + ExtToStrF(e.f, 10, 9); break;
            case 'n': msg += " (min): f=" + ExtToStrF(e.s, 10, 9) + ", Dice(i,j)= " + ExtToStrF(e.f, 10, 9); break;
            default:
                msg += " (average): no value between " + ExtToStrF(e.s, 10, 9) + " and " + ExtToStrF(e.f, 10, 9);
                break;
        }
    }
    return msg;
}

void NeiLiProblems::Append(const NeiLiProblems& later) {
    for (const Entry& e : later.first_) {
        if (first_.size() >= kListed) break;
        first_.push_back(e);
    }
    count_ += later.count_;
}

void NeiLiProblems::Clear() {
    first_.clear();
    count_ = 0;
}
