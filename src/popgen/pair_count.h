// Pair-state counters: how many loci (or how much locus weight) show state a in individual i and
// state b in individual j, for every weighting scheme, within the current layer or between two
// layers. The kernels only ever see the counter installed in TPopGenDataSet::PairCount, so any
// counter with the same results (a bit-packed popcount one, say) can be swapped in.
#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/types.h"
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

// Scheme 0: plain counts.
Extended PairCountNone(const TPopGenDataSet& ds, std::size_t i, std::size_t j, std::uint8_t a, std::uint8_t b);
Extended PairCountNoneBetween(const TPopGenDataSet& ds, std::size_t i, std::size_t j, std::uint8_t a,
                              std::uint8_t b);
// Schemes 1 and 2: counts times StateWeights[min(a, 2)][min(b, 2)].
Extended PairCountState(const TPopGenDataSet& ds, std::size_t i, std::size_t j, std::uint8_t a, std::uint8_t b);
Extended PairCountStateBetween(const TPopGenDataSet& ds, std::size_t i, std::size_t j, std::uint8_t a,
                               std::uint8_t b);
// Scheme 3: sums of per-locus weights (between layers: the weights of layer A).
Extended PairCountLoci(const TPopGenDataSet& ds, std::size_t i, std::size_t j, std::uint8_t a, std::uint8_t b);
Extended PairCountLociBetween(const TPopGenDataSet& ds, std::size_t i, std::size_t j, std::uint8_t a,
                              std::uint8_t b);
// Scheme 4: sums of w(i, l) * w(j, l) of per-cell weights (between layers: i's from A, j's from B).
Extended PairCountLociIndiv(const TPopGenDataSet& ds, std::size_t i, std::size_t j, std::uint8_t a,
                            std::uint8_t b);
Extended PairCountLociIndivBetween(const TPopGenDataSet& ds, std::size_t i, std::size_t j, std::uint8_t a,
                                   std::uint8_t b);

// Stores the scheme and installs its counters into PairCountWithin and PairCountBetween (scheme 3
// and 4 also give the current layer unit weights); a scheme above 4 reports "Unknown Weighting
// Scheme" and keeps the installed counters. PairCount := PairCountWithin in every case.
void SetWeightingScheme(TPopGenDataSet& ds, std::uint8_t scheme);
// All nine state weights := 1.0.
void ResetStateWeights(TPopGenDataSet& ds);
// One weight 1.0 per locus of the layer (when it has loci).
void InitLocusWeights(TPopGenDataSet& ds, std::size_t layer);
// One weight 1.0 per cell of the layer (when it has loci and individuals).
void InitCellWeights(TPopGenDataSet& ds, std::size_t layer);
