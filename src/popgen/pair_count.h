// Pair-state counters: how many loci (or how much locus weight) show state a in individual i and
// state b in individual j, for every weighting scheme, within a layer or between two layers. The
// kernels only ever see a TPairCountFunc, so any counter with the same results (a bit-packed
// popcount one, say) can be swapped in: a distance run takes the counter it is given.
#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/types.h"
#include "popgen/band_planes.h"
#include "popgen/dataset.h"

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

// The counter within the data set's current layer under its scheme and state weights.
TPairCountFunc PairCounterOf(const TPopGenDataSet& ds);

// Stores the scheme (scheme 3 and 4 also give the current layer unit weights); a scheme above 4
// reports "Unknown Weighting Scheme" and keeps the scheme in use.
void SetWeightingScheme(TPopGenDataSet& ds, Weighting scheme);
// All nine state weights := 1.0.
void ResetStateWeights(TPopGenDataSet& ds);
// One weight 1.0 per locus of the layer (when it has loci).
void InitLocusWeights(TPopGenDataSet& ds, std::size_t layer);
// One weight 1.0 per cell of the layer (when it has loci and individuals).
void InitCellWeights(TPopGenDataSet& ds, std::size_t layer);
