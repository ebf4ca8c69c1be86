// Pair-state counters: how many loci (or how much locus weight) show state a in individual i and
// state b in individual j, for every weighting scheme, within a layer or between two layers. The
// kernels only ever see a TPairCountFunc, so any counter with the same results (a bit-packed
// popcount one, say) can be swapped in: a distance run takes the counter it is given.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/types.h"
#include "popgen/distance/band_planes.h"
#include "popgen/data/dataset.h"

// Scanning primitives over locus-major band matrices. Each visits n positions: position l reads
// a[l * strideA] and b[l * strideB] (the caller points a and b at individual i's and j's first
// cell). n is at least 1.
std::size_t CountStatePairs(const std::uint8_t* a, std::size_t strideA, const std::uint8_t* b, std::size_t strideB,
                            std::size_t n, std::uint8_t stateA, std::uint8_t stateB);
// Sum of w[l * strideW] over the positions that show the two states.
Extended SumStatePairWeights(const std::uint8_t* a, std::size_t strideA, const std::uint8_t* b, std::size_t strideB,
                             std::size_t n, std::uint8_t stateA, std::uint8_t stateB, const Extended* w,
                             std::size_t strideW);
// Sum of wa[l * strideWa] * wb[l * strideWb] over the positions that show the two states.
Extended SumStatePairWeightProducts(const std::uint8_t* a, std::size_t strideA, const std::uint8_t* b,
                                    std::size_t strideB, std::size_t n, std::uint8_t stateA, std::uint8_t stateB,
                                    const Extended* wa, std::size_t strideWa, const Extended* wb,
                                    std::size_t strideWb);

// The counter of a weighting scheme over two layers holding the same loci in the same order (one
// layer twice for pairs within it): how many loci, or how much locus weight, show state a in
// individual i of layer a and state b in individual j of layer b.
//   None        plain counts
//   State(Comb) counts times weights[min(a, 2)][min(b, 2)]
//   Loci        sums of the per-locus weights of layer a
//   LociIndiv   sums of w(i, l) * w(j, l), w(i, l) from layer a and w(j, l) from layer b
// A layer without a weight block of the scheme's size counts with unit weights. The counter reads
// the layers and weights it was given, which must outlive it. nullptr for an unknown scheme.
TPairCountFunc PairCounter(const TDSLayer& a, const TDSLayer& b, Weighting scheme, const StateWeightTable& weights);

// The counter of the schemes that weight by state alone (None, State, StateComb) on bit planes of
// one layer: the numbers PairCounter gives for that layer, at a fraction of the cost; nullptr for
// the other schemes. The planes and weights must outlive the counter; calls may run at once.
TPairCountFunc PlanePairCounter(const BandPlanes& planes, Weighting scheme, const StateWeightTable& weights);

// A layer's cells individual by individual with the weights of the Loci or LociIndiv scheme, for
// a counter that sums the weights of all nine state pairs of two individuals in one pass, each sum
// in locus order as PairCounter sums it: the same numbers, without a scan per state pair.
class WeightedRows {
public:
    // False, and nothing built, for another scheme, a layer without a weight block of the scheme's
    // size, or cells other than 0, 1 and 9.
    bool Build(const TDSLayer& layer, Weighting scheme);
    std::uint64_t BuildId() const { return id_; }
    // The nine sums of individuals i and j (1-based) by state index (0 absent, 1 present, 2 missing).
    void Sums(std::size_t i, std::size_t j, std::array<Extended, 9>& sums) const;

private:
    std::size_t n_ = 0, loci_ = 0;
    bool cells_ = false;               // weights per cell (LociIndiv) rather than per locus
    std::vector<std::uint8_t> state_;  // per individual: state index per locus
    std::vector<Extended> weights_;    // per locus, or per individual and locus
    std::uint64_t id_ = 0;
};

// The counter on rows built for one layer; the rows must outlive it; calls may run at once.
TPairCountFunc WeightedRowsCounter(const WeightedRows& rows);

// The counter within the data set's current layer under its scheme and state weights.
TPairCountFunc PairCounterOf(const TPopGenDataSet& ds);

// Stores the scheme (scheme 3 and 4 also give the current layer unit weights); a scheme above 4
// reports "Unknown Weighting Scheme" and keeps the scheme in use.
void SetWeightingScheme(TPopGenDataSet& ds, Weighting scheme);
// One weight 1.0 per locus of the layer (when it has loci).
void InitLocusWeights(TPopGenDataSet& ds, std::size_t layer);
// One weight 1.0 per cell of the layer (when it has loci and individuals).
void InitCellWeights(TPopGenDataSet& ds, std::size_t layer);
