#include "popgen/distance/coefficients.h"

#include <cmath>
#include <limits>

#include "foundation/number_text.h"
#include "numeric/power.h"
#include "popgen/distance/draw_window.h"
#include "popgen/distance/pair_count.h"

namespace {

constexpr char kCRLF[] = "\r\n";

// What a kernel's counter gives for the pair, as its formula reads the counts.
struct Counts {
    const KernelSource& src;
    std::size_t i, j;
    Extended operator()(std::uint8_t a, std::uint8_t b) const { return src.Count(i, j, a, b); }
};

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
}  // namespace

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

// --- Kernels: the formulas on the counter's counts ----------------------------------------------

#define TESK_KERNEL(name)                                                  \
    Extended name(const KernelSource& src, std::size_t i, std::size_t j) { \
        return formulas::name(src, i, j, Counts{src, i, j});               \
    }
TESK_KERNEL(JaccardStd)
TESK_KERNEL(JaccardMin)
TESK_KERNEL(JaccardMax)
TESK_KERNEL(DiceStd)
TESK_KERNEL(DiceMin)
TESK_KERNEL(DiceMax)
TESK_KERNEL(SMCStd)
TESK_KERNEL(SMCMin)
TESK_KERNEL(SMCMax)
TESK_KERNEL(EuclidStd)
TESK_KERNEL(EuclidMax)
TESK_KERNEL(SqEuclidStd)
TESK_KERNEL(SqEuclidMax)
TESK_KERNEL(NeiLiStd)
TESK_KERNEL(NeiLiMax)
TESK_KERNEL(NeiLiMin)
#undef TESK_KERNEL

Extended EuclidMin(const KernelSource& src, std::size_t i, std::size_t j) { return EuclidStd(src, i, j); }
Extended SqEuclidMin(const KernelSource& src, std::size_t i, std::size_t j) { return SqEuclidStd(src, i, j); }

// --- Average ----------------------------------------------------------------------------------

namespace {

using AvgResult = AverageStep;

AvgResult Settled(Extended mean, Extended variance, Extended sd) {
    AvgResult r;
    r.mean = mean;
    r.variance = variance;
    r.sd = sd;
    return r;
}

}  // namespace

AverageStep AverageBoundsOf(const KernelSource& src, Coefficient coefficient, std::size_t i, std::size_t j) {
    const formulas::AverageBounds<Counts>& bounds = formulas::kAverageBounds<Counts>[NumberOf(coefficient)];
    const Counts c{src, i, j};
    const Extended lo = bounds.lo(src, i, j, c);
    const Extended hi = bounds.hi(src, i, j, c);
    return AverageStepOf(src, coefficient, i, j, lo, hi);
}

AverageStep AverageStepOf(const KernelSource& src, Coefficient coefficient, std::size_t i, std::size_t j, Extended lo,
                          Extended hi) {
    const bool scale = formulas::kAverageBounds<Counts>[NumberOf(coefficient)].scale;
    // Bounds that compare equal, or cannot be ordered (a NaN), leave nothing to draw.
    if (!(lo < hi) && !(lo > hi)) return Settled(hi, 0.0L, 0.0L);
    // A defined Nei-Li lower bound of 1 or more, or an undefined upper bound below a defined lower
    // one, leaves no draw of [0, 1) acceptable.
    if (!scale && AcceptanceWindow(lo, hi).Empty()) {
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
    const bool scale = formulas::kAverageBounds<Counts>[NumberOf(coefficient)].scale;
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

KernelSource KernelSourceOf(TPopGenDataSet& ds, RandomStream& random) {
    KernelSource src;
    src.PairCount = PairCounterOf(ds);
    src.NeiLiR = ds.NeiLiR;
    src.AvgDraws = ds.AvgDraws;
    src.Random = &random;
    src.ReportError = [&ds](const std::string& msg) { ds.ReportError(msg); };
    return src;
}

bool GetCoefficientFunc(TPopGenDataSet& ds, Treatment mode, Coefficient coefficient, RandomStream& random,
                        TKernelFunc& kernel) {
    if (const char* problem = KernelCodeProblem(mode, coefficient)) {
        ds.ReportError(problem);
        return false;
    }
    TPopGenDataSet* self = &ds;
    const TKernelProc proc = KernelProc(mode, coefficient);
    RandomStream* stream = &random;
    kernel = [self, proc, stream](std::size_t i, std::size_t j) { return proc(KernelSourceOf(*self, *stream), i, j); };
    return true;
}

bool GetAvgSDKernel(TPopGenDataSet& ds, Coefficient coefficient, RandomStream& random, TAvgSDKernelFunc& kernel) {
    if (NumberOf(coefficient) > 5) {
        ds.ReportError("TeskCore/TPopGenDataSet: Unknown coeffient 2");
        return false;
    }
    TPopGenDataSet* self = &ds;
    const TAvgSDKernelProc proc = AvgSDKernelProc(coefficient);
    RandomStream* stream = &random;
    kernel = [self, proc, stream](std::size_t i, std::size_t j, Extended& variance, Extended& sd) {
        return proc(KernelSourceOf(*self, *stream), i, j, variance, sd);
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
