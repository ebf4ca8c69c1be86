// Maximum-likelihood hybrid index of dominant band data. For every tested individual h is the
// share of its genome from parent 1 (h = 1 pure parent 1, h = 0 pure parent 2), estimated from the
// parents' band frequencies under a two-allele model with a dominant band allele, with a support
// interval (the h whose log-likelihood lies within 2 units of the maximum), the maximum
// log-likelihood and a status for each of the three numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/text_file.h"
#include "foundation/types.h"

class RandomStream;
class TPopGenDataSet;

// Status of one number, two bits each; an individual's three are packed into one byte: estimate
// in bits 0-1, lower limit in bits 2-3, upper limit in bits 4-5.
enum class MLHStatus : std::uint8_t {
    OK = 0,
    NonConverged = 1,
    CorrectedNonConv = 2,  // iteration limit reached at a boundary: the estimate set to 0 or 1
    Error = 3,
};
// "OK", "NonConverged", "Corrected(NonConv)", "Error" (of the low two bits).
std::string MLHStatusText(std::uint8_t code);

// Log-likelihood of an impossible observation, and of an h outside [0, 1].
inline constexpr Extended kMLHImpossible = -1.0e200L;

// What the objective functions of the minimiser and the root finder reach through their context
// pointer: the data of one run (shared, not owned) and the state of the individual worked on.
struct TMLHIndexConstLikelihoodParamsEx {
    const AAByte* States = nullptr;  // [locus][individual]
    const AExt* FreqH1 = nullptr;    // band-allele frequency per locus of the parent expected at h = 1
    const AExt* FreqH0 = nullptr;    // ... of the parent expected at h = 0
    std::uint32_t NLoci = 0;
    std::uint32_t Individual = 0;    // 0-based
    double MaxLnL = 0.0;             // the estimate's log-likelihood, kept at double precision
    Extended MinFreqDiff = 0.0L;     // loci whose parental frequencies differ less are left out
    std::uint32_t MaxIter = 0;
    const Extended* Tol = nullptr;
    std::uint8_t StatusH = 0;
    std::uint8_t StatusLB = 0;
    std::uint8_t StatusUB = 0;
    const Extended* HEstimate = nullptr;  // the current individual's estimate
};

// ln(q²), q = (1 - h)(1 - pH0) + h(1 - pH1): the log-probability of a band absence; kMLHImpossible
// when q² is not above 0.
Extended LnAbsenceProb(Extended h, Extended pH1, Extended pH0);
// Sum over the loci with |FreqH1 - FreqH0| >= minFreqDiff of the log-probability of the
// individual's state: absence ln(q²), presence ln(p² + 2pq), missing 0. kMLHImpossible for h outside
// [0, 1]; an observation of probability 0 contributes kMLHImpossible.
Extended MLHLogLikelihood(const AAByte& states, const AExt& freqH1, const AExt& freqH0, Extended h,
                          std::uint32_t nLoci, std::uint32_t individual, Extended minFreqDiff);
// The objectives, ctx a TMLHIndexConstLikelihoodParamsEx: -lnL(x), and lnL(x) - MaxLnL + 2.
Extended MLHNegLogLikelihood(void* ctx, Extended x);
Extended MLHSupportFunction(void* ctx, Extended x);

// The estimate of the record's individual; sets StatusH and MaxLnL.
Extended MLHEstimate(TMLHIndexConstLikelihoodParamsEx& params);
// The support limits below and above *HEstimate; set StatusLB / StatusUB. A limit at a boundary
// (the support there is not negative) is the boundary; otherwise the root is searched between the
// boundary and the estimate only.
Extended MLHLowerBound(TMLHIndexConstLikelihoodParamsEx& params);
Extended MLHUpperBound(TMLHIndexConstLikelihoodParamsEx& params);

// Results of a run, one entry per tested individual in the order of the test layer, and the
// 0-based excluded and poor loci in increasing order. IndNames and LocNames are the test layer's
// (filled by MLHybridIndex, for the report).
struct TMLHybridIndexResults {
    AExt H, LowerBound, UpperBound, LnL;
    AByte Status;
    ADWord ExcludedLoci, PoorLoci;
    AString IndNames, LocNames;
};

// Estimates, limits and statuses of every individual (the length of the first row of states) from
// the parents' band frequencies. False, with empty results, unless freqBand1 is not empty,
// freqBand2 and states have its length, every row of states has the same non-zero length, every
// frequency lies in [0, 1], maxIter > 0 and tol > 0. Loci whose allele frequencies differ by less
// than minFreqDiff are excluded, by less than poorFreqDiff poor (they stay in the likelihood).
bool MLHybridIndices(const AExt& freqBand1, const AExt& freqBand2, const AAByte& states, std::uint32_t maxIter,
                     Extended tol, Extended minFreqDiff, Extended poorFreqDiff, TMLHybridIndexResults& results);

// The states of the current layer, [locus][individual]; empty without individuals or loci.
void StateMatrix(const TPopGenDataSet& ds, AAByte& m);

// The hybrid indices of the test group between the two parental groups (group indexes), taken on
// the current layer (layer 1 when a selection is current, with the warning "Switching to AllData")
// at the loci of the current locus set. With replaceMissing the parents' missing cells are
// replaced (a band with probability replaceFraction, drawn from random) before their band
// frequencies (presences over individuals) are taken. Layer 5 is the
// scratch layer and is cleared afterwards; the current layer, group and locus set are as before
// (layer 1 after the switch). False, with the reason reported, when a group has no members in the
// layer or the run gives no result.
bool MLHybridIndex(TPopGenDataSet& ds, std::size_t parent1, std::size_t parent2, std::size_t testGroup,
                   bool replaceMissing, Extended replaceFraction, std::uint32_t maxIter, Extended tol,
                   RandomStream& random, TMLHybridIndexResults& results);

// Appends the report to report: with withLociLists the excluded and poor loci (by locus name, or
// "Locus # " and the 1-based number without names), the title and parents, the header and one
// line per individual, fields joined by separator. Nothing is appended unless there are
// individual names and every result array has one entry per name.
void OutputMLHybridIndex(const std::string& nameParent1, const std::string& nameParent2, const AString& indNames,
                         const AString& locNames, const TMLHybridIndexResults& results, bool withLociLists,
                         char separator, Ttf& report);
