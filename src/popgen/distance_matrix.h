// Distance-matrix runs over the current layer: the packed raw (kernel) matrix, the transformed
// matrix that trees, PCoA and AMOVA read, the variance and SD matrices of the Average treatment,
// the six distance transformations and single-pair evaluations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/types.h"
#include "popgen/dataset.h"

// The NaN that reads of a missing value yield: sign 1, exponent all ones, mantissa C000000000000000.
Extended DistNaN();

// True when m = k(k+1)/2 for some k: packed slot m-1 then lies on the diagonal.
bool IsTriangularNumber(std::size_t m);

// The transformation code a run of `coefficient` uses for the given code: 0-2 for a similarity,
// 3-5 for a distance, keeping the base (code mod 3). Codes above 5 are returned unchanged.
std::uint8_t NormalizedTransform(std::uint8_t coefficient, std::uint8_t transform);

// Installs the kernel of (mode, coefficient), resets the floating-point state, stores the run
// options and sizes RawMatrix and DistMatrix of the current layer. transform comes back normalised
// (and is stored in DistTransform). Refuses (false, reported) an unknown code, an Average run with
// fewer than 1 draw, a layer without band data and a matrix that cannot be allocated.
bool PrepareDistRun(TPopGenDataSet& ds, std::uint8_t mode, std::uint8_t coefficient, std::size_t draws,
                    Extended neiLiR, std::uint8_t& transform);

// Fills RawMatrix (kernel values) and DistMatrix (transformed) of the current layer in packed order.
// prepare = 1 runs PrepareDistRun first; with 0 the kernel and matrices of an earlier prepared run
// are reused. Undefined Nei-Li distances are reported once for the whole run. False when the run was
// refused or stopped ("DistXF: Unknown option.").
bool CalcDistMatrix(TPopGenDataSet& ds, std::uint8_t mode, std::uint8_t coefficient, std::uint8_t transform,
                    Extended neiLiR, std::size_t draws, std::uint8_t prepare);

// The Average treatment with spread: RawMatrix (mean), VarMatrix, SDMatrix (untransformed) and
// DistMatrix (transformed mean). Kernel is left unchanged.
bool CalcDistances(TPopGenDataSet& ds, std::uint8_t coefficient, std::uint8_t transform, Extended neiLiR,
                   std::size_t draws);

// x transformed by DistTransform; an unknown code reports "DistXF: Unknown option." and gives DistNaN().
Extended DistXF(TPopGenDataSet& ds, Extended x);
// DistXF(Kernel(i, j)); DistNaN() without a kernel or for a pair outside the current layer.
Extended KernelXF(TPopGenDataSet& ds, std::size_t i, std::size_t j);
// The installed kernel on individual i of layerA and j of layerB (same loci in the same order),
// transformed; PairCount is restored afterwards. DistNaN() (reported) for layers that cannot be paired.
Extended BetweenLayersXF(TPopGenDataSet& ds, std::uint8_t layerA, std::uint8_t layerB, std::size_t i,
                         std::size_t j);
// One pair of the current layer under (mode, coefficient, transform); Kernel and DistTransform are
// restored, no matrix is touched and the floating-point state is left alone.
Extended PairDistance(TPopGenDataSet& ds, std::uint8_t mode, std::uint8_t coefficient, std::uint8_t transform,
                      std::size_t i, std::size_t j);
// DistMatrix value of (i, j) in either order; DistNaN() for i or j = 0, a pair outside the matrix or
// a layer without one.
Extended GetDist(const TPopGenDataSet& ds, std::size_t i, std::size_t j);

// A copy of the current layer's DistMatrix in packed order, for the tree builders. Without a matrix
// reports "ExpOldStyleDistMatrix: pDistances not set", leaves block alone and returns false.
bool ExpOldStyleDistMatrix(TPopGenDataSet& ds, AExt& block);

// Lists (0-based packed indices, in order) the off-diagonal slots of the current DistMatrix whose
// value is below threshold, and with replace = 1 sets them to newValue. True when any was listed.
bool FindDistancesBelow(TPopGenDataSet& ds, std::vector<std::size_t>& list, std::uint8_t replace, Extended threshold,
                        Extended newValue);
