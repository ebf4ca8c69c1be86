// Shannon's index of the Analysis menu, its bootstrapped variance of the Replicate Analyses menu
// (over loci, or at a fixed number of individuals), and the Welch t-tests between groups.
#pragma once

#include <cstdint>

#include "foundation/types.h"
#include "popgen/analyses/shannon.h"

// What a bootstrap does with its replicates (the Sh2File and ShannonZeroInStats settings).
struct ShannonReplicateOptions {
    bool ToFile = false;       // every replicate's index to the analysis file first
    bool IncludeZero = false;  // replicates with an index of 0 count (else they are drawn again)
};

// How a t-test's verdict is reported (the numbers of the TTestConfOutput setting).
enum class TTestConfidence : std::uint8_t {
    Significance = 0,  // significantly different or not at the level TTestAlpha (also an unknown code)
    PValue = 1,        // the p-value
};

// The sections and lines of the t-test report (the TTest... settings) and how groups are computed.
struct ShannonTTestOptions {
    bool RemoveMono = true;  // a group's monomorphic loci removed before its Bowman index
    bool Bowman = false;     // a section with Bowman's variance
    bool Bootstrap = false;  // a section with the variance bootstrapped SHReplicates times
    TTestConfidence Confidence = TTestConfidence::PValue;
    bool OutputShannon = true;             // every group's index, variance and size before the tests
    bool OutputT = true;                   // t(df) before the verdict
    ShannonReplicateOptions Replicates{};  // of the bootstrapped section
};

// Shannon's index of the current layer with Bowman's variance (options as ShannonVarSD reads them:
// missing cells are not replaced). Monomorphic loci are offered for removal first (answered by
// `answer` as AskUserEx does); the rounding mode is `roundMode` for the computation and is restored
// afterwards. The result is shown and, when the user agrees, written to the analysis file.
void CmdShannonIndex(const ShannonOptions& options, std::uint8_t roundMode, int answer);

// Shannon's index and its variance bootstrapped over loci (replicates at least 2); with
// output.ToFile every replicate's index goes to the analysis file first.
void CmdBootstrapShannon(const ShannonOptions& options, std::int32_t replicates, const ShannonReplicateOptions& output);
// The same with n individuals (at least 1) drawn for every replicate.
void CmdBootstrapShannonAtN(std::int32_t n, const ShannonOptions& options, std::int32_t replicates,
                            const ShannonReplicateOptions& output);

// Welch t-tests of Shannon's index between every pair of the selected groups (one byte per group),
// with Bowman's variance and/or the bootstrapped one; one report to the analysis file. Reads
// SHReplicates and TTestAlpha.
void CmdShannonTTests(const AByte& selection, const ShannonOptions& options, const ShannonTTestOptions& test);

bool ExtLess(Extended a, Extended b);
