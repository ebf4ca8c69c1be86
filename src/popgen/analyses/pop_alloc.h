// Population allocation and reallocation: every individual of the analysed layer is assigned to the
// most likely of the chosen populations (groups) by the base-10 log-likelihood of its band profile
// under each population's band frequencies, when it beats the second best by a minimum difference.
// A member of a population is left out of that population's frequencies for its own likelihood.
// Frequencies of exactly 0 or 1 are replaced by a correction: 1/(1 + N) for a sample of N, or a
// fixed epsilon.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/reporter.h"
#include "foundation/text_file.h"
#include "foundation/types.h"

class TPopGenDataSet;

// Best entry of an individual left unallocated (-1 as a signed number).
inline constexpr std::uint32_t kNoAllocation = 0xFFFFFFFFU;

struct PopAllocOptions {
    Extended MinDiff = 2.0L;          // minimum log-likelihood difference of an allocation
    Extended MissingProb = 0.0L;      // probability of a band given to a missing cell; 0: taken as absent
    bool SampleSizeCorrection = true; // correction 1/(1 + N); otherwise Epsilon
    Extended Epsilon = 1e-5L;
};

// One chosen population as the likelihood sees it, at the loci of the analysis.
struct PopAllocPopulation {
    std::size_t Group = 0;  // index into the group list
    AExt Freqs;             // band frequency per locus, corrected away from 0 and 1
    ADWord Presences;       // band presences per locus among the members
    std::size_t Members = 0;  // members in the analysed layer
    AByte IsMember;         // per individual of the analysed layer: 1 = member
};

// What PopAlloc produces. Individuals are those of the analysed layer, in layer order.
struct TPopAllocResults {
    AAExt LogLik;      // [chosen population][individual], populations in group order
    ADWord Best;       // allocated group's index, or kNoAllocation
    AExt Diff;         // best minus second best; 0 on a tie for the best
    AString IndNames;  // of the analysed layer
};

// f, with exactly 0 made c and exactly 1 made 1 - c.
Extended CorrectedFrequency(Extended f, Extended c);

// The log-likelihood of every individual (states [locus][individual]) under one population. A
// member's own frequencies leave it out: (presences - its band) / (N - 1), corrected by 1/N (or
// epsilon). A missing cell has the probability MissingProb · f (1 - f when MissingProb is 0).
// False, with the error reported, for a cell other than 0, 1, 9 or a probability outside (0, 1).
bool PopReAllocLogLik(Reporter& reporter, const PopAllocPopulation& population, const AAByte& states,
                      const PopAllocOptions& options, AExt& logLik);

// Best and Diff per individual from the log-likelihood rows of the populations (groups: their
// group indexes). A tie for the best, or a difference below minDiff, allocates nothing.
void AllocateBest(const AAExt& logLik, const std::vector<std::size_t>& groups, Extended minDiff, ADWord& best,
                  AExt& diff);

// Allocates the individuals of the current layer (layer 1 when a selection is current) to the
// selected groups (one flag per group; empty: all; group 0 "AllData" never counts) at the loci of
// the current locus set. Refusals are reported and give false with empty results. The current
// layer, group and locus set are the same afterwards; layer 5 is cleared.
bool PopAlloc(TPopGenDataSet& ds, const ABool& selection, const PopAllocOptions& options, TPopAllocResults& results);

// The report of an allocation; false, with "Population selection array is invalid" reported, when
// the selection does not fit the groups (empty means all).
bool PopReAllocReport(TPopGenDataSet& ds, const ABool& selection, const TPopAllocResults& results,
                      const PopAllocOptions& options, Ttf& report);
// The report appended to (or rewriting) the data set's output file: 0, -1 for a short write, the
// system error code, or -1 when the selection is invalid (reported).
int OutputPopReAlloc2File(TPopGenDataSet& ds, const ABool& selection, const TPopAllocResults& results,
                          const PopAllocOptions& options, bool append);
