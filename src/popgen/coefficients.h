// Pairwise (dis)similarity kernels of two individuals under the four missing-data treatments.
//
// A kernel never looks at band data: it combines the pair-state counts c_ab (a, b in 0, 1, 9)
// that an exchangeable counter returns, so the same kernels serve comparisons within a layer,
// between two layers and under every weighting scheme.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "foundation/types.h"
#include "popgen/dataset.h"

// An Average kernel with spread bound to its data: (i, j, out variance, out sd) -> mean.
using TAvgSDKernelFunc = std::function<Extended(std::size_t i, std::size_t j, Extended& variance, Extended& sd)>;

// Everything a kernel reads: the counter, r of Nei-Li, the draw count of the Average treatment,
// and where an undefined Nei-Li distance is reported when no run collects them.
struct KernelSource {
    const TPairCountFunc* PairCount;
    Extended NeiLiR = 6.0L;
    std::size_t AvgDraws = 100;
    void (*Report)(void* context, const std::string& msg) = nullptr;
    void* ReportContext = nullptr;

    Extended Count(std::size_t i, std::size_t j, std::uint8_t a, std::uint8_t b) const { return (*PairCount)(i, j, a, b); }
    void ReportError(const std::string& msg) const {
        if (Report) Report(ReportContext, msg);
    }
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

// The kernel of treatment mode 0-3 and coefficient 0-5; nullptr for any other code.
// Treatment 1 is the pessimistic bound: Min of a similarity, Max of a distance.
TKernelProc KernelProc(std::uint8_t mode, std::uint8_t coefficient);
// The Average-with-SD kernel of coefficient 0-5; nullptr for any other code.
TAvgSDKernelProc AvgSDKernelProc(std::uint8_t coefficient);

// What the kernels of a data set read: its installed PairCount (looked up at every count, so a
// run between layers can swap it), NeiLiR, AvgDraws, and its ReportError.
KernelSource KernelSourceOf(TPopGenDataSet& ds);

// Sets kernel to the kernel of treatment mode 0-3 and coefficient 0-5 bound to ds. Otherwise reports
// "TeskCore: Unknown mode 1" or "TeskCore/TPopGenDataSet: Unknown coeffient 1", leaves kernel
// unset and returns false.
bool GetCoefficientFunc(TPopGenDataSet& ds, std::uint8_t mode, std::uint8_t coefficient, TKernelFunc& kernel);
// Sets kernel to the Average-with-SD kernel of coefficient 0-5 bound to ds; otherwise reports
// "TeskCore/TPopGenDataSet: Unknown coeffient 2" and returns false.
bool GetAvgSDKernel(TPopGenDataSet& ds, std::uint8_t coefficient, TAvgSDKernelFunc& kernel);

// Collects the undefined Nei-Li distances of one run so that the run reports them in one message
// (how many pairs, and the first few with their values) instead of one per pair. While a scope
// is alive on this thread the kernels record into the innermost one; without a scope every pair
// is reported at once through KernelSource::ReportError.
class NeiLiReportScope {
public:
    struct Entry {
        char kind;          // 's' Standard, 'x' max bound, 'n' min bound, 'a' no value between the bounds
        std::size_t i, j;
        Extended s;         // 4P-1 over 3 (for 'a': the lower bound)
        Extended f;         // the Dice value (for 'a': the upper bound)
    };
    static constexpr std::size_t kListed = 5;

    explicit NeiLiReportScope(std::function<void(const std::string&)> report);
    ~NeiLiReportScope();
    NeiLiReportScope(const NeiLiReportScope&) = delete;
    NeiLiReportScope& operator=(const NeiLiReportScope&) = delete;

    // Reports what was collected (one message) and starts over; nothing when nothing was collected.
    void Flush();
    std::size_t Count() const { return count_; }

    // The innermost scope of this thread, or nullptr.
    static NeiLiReportScope* Current();
    void Record(const Entry& e);

private:
    std::function<void(const std::string&)> report_;
    std::vector<Entry> first_;
    std::size_t count_ = 0;
    NeiLiReportScope* outer_;
};
