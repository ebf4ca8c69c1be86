// Shannon's index of the Analysis menu, its bootstrapped variance of the Replicate Analyses menu
// (over loci, or at a fixed number of individuals), and the Welch t-tests between groups.
#pragma once

#include <cstdint>

#include "foundation/types.h"

// Shannon's index of the current layer with Bowman's variance. Monomorphic loci are offered for
// removal first (answered by `answer` as AskUserEx does); the rounding mode is `roundMode` for
// the computation and is restored afterwards. The result is shown and, when the user agrees,
// written to the analysis file.
void CmdShannonIndex(std::uint8_t logBase, std::uint8_t freqMode, std::uint8_t roundMode, Extended logA,
                     std::uint8_t answer);

// Shannon's index and its variance bootstrapped over loci (replicates at least 2); with sh2File
// every replicate's index goes to the analysis file first.
void CmdBootstrapShannon(std::uint8_t logBase, std::uint8_t freqMode, std::int32_t replicates, Extended logA,
                         std::uint8_t rmd, std::uint8_t sh2File, std::uint8_t zeroInStats, Extended mdFraction);
// The same with n individuals (at least 1) drawn for every replicate.
void CmdBootstrapShannonAtN(std::int32_t n, std::uint8_t logBase, std::uint8_t freqMode, Extended logA,
                            std::int32_t replicates, std::uint8_t rmd, std::uint8_t sh2File, std::uint8_t zeroInStats,
                            Extended mdFraction);

// Welch t-tests of Shannon's index between every pair of the selected groups (one byte per group),
// with Bowman's variance and/or the bootstrapped one; one report to the analysis file. Reads
// SHReplicates and TTestAlpha.
void CmdShannonTTests(const AByte& selection, std::uint8_t logBase, std::uint8_t freqMode, std::uint8_t rmd,
                      Extended mdFraction, std::uint8_t removeMono, Extended logA, std::uint8_t confOutput,
                      std::uint8_t outputShannon, std::uint8_t outputT, std::uint8_t bowman, std::uint8_t bootstrap,
                      std::uint8_t sh2File, std::uint8_t zeroInStats);

// Degrees of freedom (varA + varB)^2 / (varA^2 / sizeA + varB^2 / sizeB), rounded up when not whole
// (the sizes as given, not less one). -1 when a size is 0 or the value is not a finite number.
std::int64_t WelchDF(std::uint32_t sizeA, std::uint32_t sizeB, Extended varA, Extended varB);
// (indexB - indexA) / sqrt(varA + varB).
Extended TStatistic(Extended indexA, Extended indexB, Extended varA, Extended varB);
// Two-sided Student t probability of |t| with df degrees of freedom; sets the math error code.
Extended TDistProb(std::int32_t df, Extended t);
bool ExtLess(Extended a, Extended b);
