// Pairwise (dis)similarity kernels of two individuals under the four missing-data treatments.
//
// A kernel never looks at band data: it combines the pair-state counts c_ab (a, b in 0, 1, 9)
// that an exchangeable counter returns, so the same kernels serve comparisons within a layer,
// between two layers and under every weighting scheme. It reads nothing but its KernelSource, so
// kernels of different pairs may run at once when each has its own stream and collector.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "foundation/random.h"
#include "foundation/types.h"
#include "popgen/data/codes.h"
#include "popgen/data/dataset.h"

// An Average kernel with spread bound to its data: (i, j, out variance, out sd) -> mean.
using TAvgSDKernelFunc = std::function<Extended(std::size_t i, std::size_t j, Extended& variance, Extended& sd)>;

class NeiLiProblems;

// Everything a kernel reads: the pair counter, r of Nei-Li, the draw count of the Average treatment
// and the random stream it draws from (set by the caller: an Average kernel draws from nothing
// else), and where an undefined Nei-Li distance goes: into the run's
// collector, or reported at once when there is none.
struct KernelSource {
    TPairCountFunc PairCount;
    Extended NeiLiR = 6.0L;
    std::size_t AvgDraws = 100;
    RandomStream* Random = nullptr;
    NeiLiProblems* Problems = nullptr;
    NoDrawPairs* NoDraws = nullptr;  // where a similarity whose bounds admit no draw is counted
    std::function<void(const std::string&)> ReportError;

    Extended Count(std::size_t i, std::size_t j, std::uint8_t a, std::uint8_t b) const { return PairCount(i, j, a, b); }
};

using TKernelProc = Extended (*)(const KernelSource& src, std::size_t i, std::size_t j);
using TAvgSDKernelProc = Extended (*)(const KernelSource& src, std::size_t i, std::size_t j, Extended& variance,
                                      Extended& sd);

// The value a kernel leaves for a pair without a defined distance.
inline constexpr Extended kUndefinedDistance = -1.0L;

Extended JaccardStd(const KernelSource& src, std::size_t i, std::size_t j);
Extended JaccardMin(const KernelSource& src, std::size_t i, std::size_t j);
Extended JaccardMax(const KernelSource& src, std::size_t i, std::size_t j);
Extended JaccardAvg(const KernelSource& src, std::size_t i, std::size_t j);
Extended DiceStd(const KernelSource& src, std::size_t i, std::size_t j);
Extended DiceMin(const KernelSource& src, std::size_t i, std::size_t j);
Extended DiceMax(const KernelSource& src, std::size_t i, std::size_t j);
Extended DiceAvg(const KernelSource& src, std::size_t i, std::size_t j);
Extended SMCStd(const KernelSource& src, std::size_t i, std::size_t j);
Extended SMCMin(const KernelSource& src, std::size_t i, std::size_t j);
Extended SMCMax(const KernelSource& src, std::size_t i, std::size_t j);
Extended SMCAvg(const KernelSource& src, std::size_t i, std::size_t j);
Extended NeiLiStd(const KernelSource& src, std::size_t i, std::size_t j);
Extended NeiLiMin(const KernelSource& src, std::size_t i, std::size_t j);
Extended NeiLiMax(const KernelSource& src, std::size_t i, std::size_t j);
Extended NeiLiAvg(const KernelSource& src, std::size_t i, std::size_t j);
Extended EuclidStd(const KernelSource& src, std::size_t i, std::size_t j);
Extended EuclidMin(const KernelSource& src, std::size_t i, std::size_t j);
Extended EuclidMax(const KernelSource& src, std::size_t i, std::size_t j);
Extended EuclidAvg(const KernelSource& src, std::size_t i, std::size_t j);
Extended SqEuclidStd(const KernelSource& src, std::size_t i, std::size_t j);
Extended SqEuclidMin(const KernelSource& src, std::size_t i, std::size_t j);
Extended SqEuclidMax(const KernelSource& src, std::size_t i, std::size_t j);
Extended SqEuclidAvg(const KernelSource& src, std::size_t i, std::size_t j);

Extended JaccardAvgSD(const KernelSource& src, std::size_t i, std::size_t j, Extended& variance, Extended& sd);
Extended DiceAvgSD(const KernelSource& src, std::size_t i, std::size_t j, Extended& variance, Extended& sd);
Extended SMCAvgSD(const KernelSource& src, std::size_t i, std::size_t j, Extended& variance, Extended& sd);
Extended NeiLiAvgSD(const KernelSource& src, std::size_t i, std::size_t j, Extended& variance, Extended& sd);
Extended EuclidAvgSD(const KernelSource& src, std::size_t i, std::size_t j, Extended& variance, Extended& sd);
Extended SqEuclidAvgSD(const KernelSource& src, std::size_t i, std::size_t j, Extended& variance, Extended& sd);

// The formulas of the kernels on the counts of one pair: c(a, b) gives c_ab (a, b in 0, 1, 9) as the
// kernel's counter would. Each kernel above is its formula on its counter; a run that has all nine
// counts of a pair at hand (bit planes) applies the formula to them directly, so both give the same
// value bit for bit. NeiLiFromDice records or reports an undefined distance as the kernels do.
Extended NeiLiFromDice(const KernelSource& src, char kind, std::size_t i, std::size_t j, Extended f);

namespace formulas {

// c11 + c91 + c19 + c99: every locus that the optimistic bound counts as a shared band.
template <class C>
Extended SharedOptimistic(const C& c) {
    return c(1, 1) + c(9, 1) + c(1, 9) + c(9, 9);
}
// Loci where exactly one of the two cells is missing.
template <class C>
Extended OneMissing(const C& c) {
    return c(1, 9) + c(9, 1) + c(0, 9) + c(9, 0);
}

template <class C>
Extended JaccardStd(const KernelSource&, std::size_t, std::size_t, const C& c) {
    const Extended c11 = c(1, 1);
    if (c11 == 0.0L) return 0.0L;
    return c11 / (c11 + c(1, 0) + c(0, 1));
}
template <class C>
Extended JaccardMin(const KernelSource&, std::size_t, std::size_t, const C& c) {
    const Extended c11 = c(1, 1);
    if (c11 == 0.0L) return 0.0L;
    return c11 / (c11 + c(1, 0) + c(0, 1) + OneMissing(c));
}
template <class C>
Extended JaccardMax(const KernelSource&, std::size_t, std::size_t, const C& c) {
    const Extended x = SharedOptimistic(c);
    if (x == 0.0L) return 0.0L;
    return x / (x + c(1, 0) + c(0, 1));
}
template <class C>
Extended DiceStd(const KernelSource&, std::size_t, std::size_t, const C& c) {
    const Extended c11 = c(1, 1);
    return 2.0L * c11 / (2.0L * c11 + c(1, 0) + c(0, 1));
}
template <class C>
Extended DiceMin(const KernelSource&, std::size_t, std::size_t, const C& c) {
    const Extended c11 = c(1, 1);
    return 2.0L * c11 / (2.0L * c11 + c(1, 0) + c(0, 1) + OneMissing(c));
}
template <class C>
Extended DiceMax(const KernelSource&, std::size_t, std::size_t, const C& c) {
    const Extended x = SharedOptimistic(c);
    return 2.0L * x / (2.0L * x + c(1, 0) + c(0, 1));
}
template <class C>
Extended SMCStd(const KernelSource&, std::size_t, std::size_t, const C& c) {
    const Extended same = c(1, 1) + c(0, 0);
    return same / (same + c(1, 0) + c(0, 1));
}
template <class C>
Extended SMCMin(const KernelSource&, std::size_t, std::size_t, const C& c) {
    const Extended same = c(1, 1) + c(0, 0);
    return same / (same + c(1, 0) + c(0, 1) + OneMissing(c));
}
template <class C>
Extended SMCMax(const KernelSource&, std::size_t, std::size_t, const C& c) {
    const Extended y = SharedOptimistic(c) + c(0, 9) + c(9, 0) + c(0, 0);
    return y / (y + c(1, 0) + c(0, 1));
}
template <class C>
Extended SqEuclidStd(const KernelSource&, std::size_t, std::size_t, const C& c) {
    return c(1, 0) + c(0, 1);
}
template <class C>
Extended SqEuclidMax(const KernelSource&, std::size_t, std::size_t, const C& c) {
    return c(1, 0) + c(0, 1) + c(1, 9) + c(9, 1) + c(9, 0) + c(0, 9);
}
template <class C>
Extended EuclidStd(const KernelSource& src, std::size_t i, std::size_t j, const C& c) {
    return std::sqrt(SqEuclidStd(src, i, j, c));
}
template <class C>
Extended EuclidMax(const KernelSource& src, std::size_t i, std::size_t j, const C& c) {
    return std::sqrt(SqEuclidMax(src, i, j, c));
}
template <class C>
Extended NeiLiStd(const KernelSource& src, std::size_t i, std::size_t j, const C& c) {
    return NeiLiFromDice(src, 's', i, j, DiceStd(src, i, j, c));
}
template <class C>
Extended NeiLiMax(const KernelSource& src, std::size_t i, std::size_t j, const C& c) {
    return NeiLiFromDice(src, 'x', i, j, DiceMin(src, i, j, c));
}
template <class C>
Extended NeiLiMin(const KernelSource& src, std::size_t i, std::size_t j, const C& c) {
    return NeiLiFromDice(src, 'n', i, j, DiceMax(src, i, j, c));
}

template <class C>
using Proc = Extended (*)(const KernelSource& src, std::size_t i, std::size_t j, const C& c);

// The formulas of treatments 0-2 by treatment and coefficient, as KernelProc hands out the kernels.
template <class C>
inline constexpr Proc<C> kByTreatment[3][6] = {
    {JaccardStd<C>, DiceStd<C>, SMCStd<C>, NeiLiStd<C>, EuclidStd<C>, SqEuclidStd<C>},
    {JaccardMin<C>, DiceMin<C>, SMCMin<C>, NeiLiMax<C>, EuclidMax<C>, SqEuclidMax<C>},
    {JaccardMax<C>, DiceMax<C>, SMCMax<C>, NeiLiMin<C>, EuclidStd<C>, SqEuclidStd<C>},
};

// The bounds of the Average treatment of each coefficient: lo and hi are computed once per pair;
// the similarities (and Nei-Li) reject draws u of [0, 1) outside [lo, hi], the Euclidean
// distances, whose bounds exceed 1, scale the draw to x = lo + u (hi - lo).
template <class C>
struct AverageBounds {
    Proc<C> lo, hi;
    bool scale;
};
template <class C>
inline constexpr AverageBounds<C> kAverageBounds[6] = {
    {JaccardMin<C>, JaccardMax<C>, false}, {DiceMin<C>, DiceMax<C>, false},    {SMCMin<C>, SMCMax<C>, false},
    {NeiLiMin<C>, NeiLiMax<C>, false},     {EuclidStd<C>, EuclidMax<C>, true}, {SqEuclidStd<C>, SqEuclidMax<C>, true},
};

}  // namespace formulas

// The Average treatment (coefficient 0-5) in two steps, for runs that compute the bounds of many
// pairs at once and draw in pair order afterwards. AverageBoundsOf computes the pair's bounds and
// settles a pair that needs no draw (recording an undefined Nei-Li pair as the kernel does, and
// giving a similarity whose bounds admit no draw its lower bound, counted in src.NoDraws); for one
// that does, DrawAverage draws from src.Random and settles it. Together they give exactly what the
// Average kernels give.
struct AverageStep {
    Extended lo = 0.0L, hi = 0.0L;
    bool draw = false;  // lo and hi set, mean, variance and sd not yet
    Extended mean = 0.0L, variance = 0.0L, sd = 0.0L;
};
AverageStep AverageBoundsOf(const KernelSource& src, Coefficient coefficient, std::size_t i, std::size_t j);
// The same from the bounds lo and hi of the pair (formulas::kAverageBounds), computed by the caller.
AverageStep AverageStepOf(const KernelSource& src, Coefficient coefficient, std::size_t i, std::size_t j, Extended lo,
                          Extended hi);
void DrawAverage(const KernelSource& src, Coefficient coefficient, AverageStep& step);

// The kernel of treatment mode 0-3 and coefficient 0-5; nullptr for any other code.
// Treatment 1 is the pessimistic bound: Min of a similarity, Max of a distance.
TKernelProc KernelProc(Treatment mode, Coefficient coefficient);
// The Average-with-SD kernel of coefficient 0-5; nullptr for any other code.
TAvgSDKernelProc AvgSDKernelProc(Coefficient coefficient);
// The message for a treatment or coefficient without a kernel ("TeskCore: Unknown mode 1",
// "TeskCore/TPopGenDataSet: Unknown coeffient 1"); nullptr when both are known.
const char* KernelCodeProblem(Treatment mode, Coefficient coefficient);

// What the kernels of a data set read: the counter within its current layer, its NeiLiR and
// AvgDraws, the stream random, and its ReportError for undefined Nei-Li distances.
KernelSource KernelSourceOf(TPopGenDataSet& ds, RandomStream& random);

// Sets kernel to the kernel of (mode, coefficient) bound to ds and random (each call reads ds as it
// then is). Otherwise reports KernelCodeProblem, leaves kernel unset and returns false.
bool GetCoefficientFunc(TPopGenDataSet& ds, Treatment mode, Coefficient coefficient, RandomStream& random,
                        TKernelFunc& kernel);
// Sets kernel to the Average-with-SD kernel of coefficient 0-5 bound to ds and random; otherwise
// reports "TeskCore/TPopGenDataSet: Unknown coeffient 2" and returns false.
bool GetAvgSDKernel(TPopGenDataSet& ds, Coefficient coefficient, RandomStream& random, TAvgSDKernelFunc& kernel);

// The undefined Nei-Li distances of one run, collected so that the run reports them in one message
// (how many pairs, and the first few with their values) instead of one per pair. A run hands its
// collector to the kernels through KernelSource::Problems; a parallel run gives each worker its own
// and merges them in pair order.
class NeiLiProblems {
public:
    struct Entry {
        char kind;          // 's' Standard, 'x' max bound, 'n' min bound, 'a' no value between the bounds
        std::size_t i, j;
        Extended s;         // 4P-1 over 3 (for 'a': the lower bound)
        Extended f;         // the Dice value (for 'a': the upper bound)
    };
    static constexpr std::size_t kListed = 5;

    void Record(const Entry& e);
    std::size_t Count() const { return count_; }
    // The one message listing what was collected; empty when nothing was.
    std::string Message() const;
    void Clear();
    // Adds what a collector of later pairs holds, as if its pairs had been recorded here.
    void Append(const NeiLiProblems& later);

private:
    std::vector<Entry> first_;
    std::size_t count_ = 0;
};
