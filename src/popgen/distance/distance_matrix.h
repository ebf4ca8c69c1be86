// Distance-matrix runs: the packed raw (kernel) matrix, the transformed matrix that trees, PCoA and
// AMOVA read, the variance and SD matrices of the Average treatment, the six distance
// transformations and single-pair evaluations.
//
// A run commits on success: ComputeDistances reads a layer through a const view and writes only
// matrices of its own; CalcDistMatrix and CalcDistances store them in the layer (with the run's
// options) only when the run succeeded, so a refused or failed run leaves the previous matrices.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/random.h"
#include "foundation/reporter.h"
#include "foundation/types.h"
#include "popgen/data/codes.h"
#include "popgen/distance/coefficients.h"
#include "popgen/data/dataset.h"
#include "popgen/distance/pair_count.h"

// The NaN that reads of a missing value yield: sign 1, exponent all ones, mantissa C000000000000000.
Extended DistNaN();

// True when m = k(k+1)/2 for some k: packed slot m-1 then lies on the diagonal.
bool IsTriangularNumber(std::size_t m);

// The transformation a run of `coefficient` applies for the given one: 0-2 for a similarity, 3-5
// for a distance, keeping the base (code mod 3). Codes above 5 are returned unchanged.
Transformation NormalizedTransform(Coefficient coefficient, Transformation transform);

// What a run computes with.
struct DistRunOptions {
    Treatment Mode = Treatment::Standard;  // CalcDistances always averages
    Coefficient Coeff = Coefficient::Jaccard;
    Transformation Transform = Transformation::OneMinusS;  // brought into line with Coeff by the run
    Extended NeiLiR = 6.0L;
    std::size_t Draws = 100;  // of the Average treatment; at least 1
};

// What a run produces before it is stored.
struct DistMatrices {
    PackedMatrix Raw, Dist;          // kernel values, transformed values
    PackedMatrix Var, SD;            // only with spread
    std::size_t UndefinedPairs = 0;  // slots holding kUndefinedDistance
    NoDrawPairs NoDraws;             // Average similarities whose bounds admit no draw
};

// One run over the band data of `layer`: for every pair in packed order the kernel of the options
// (spread: the Average kernel with variance and SD) through `counter`, drawing from `random` and
// collecting undefined Nei-Li pairs into `problems`; nothing else is written. Resets the
// floating-point state first. False, reported, for unknown codes, an Average without draws, a layer
// without band data, matrices that cannot be had ("Not enough memory for a distance matrix of n
// individuals.") and an unknown transformation ("DistXF: Unknown option."); `out` is then to be
// dropped. The counter is exchangeable: any with the same counts gives the same matrices.
bool ComputeDistances(const TDSLayer& layer, const TPairCountFunc& counter, const DistRunOptions& options, bool spread,
                      RandomStream& random, NeiLiProblems& problems, Reporter& reporter, DistMatrices& out);

// What a run on a layer counts with under a weighting scheme: bit planes where the scheme weights
// by state alone, weighted rows for locus and cell weights, the byte scan where cells other than 0,
// 1 and 9 (or copies that do not fit in memory) allow neither. All give the same numbers; on the
// planes of plain counts (scheme None) the run takes the nine counts of a pair in one pass and
// applies the kernel's formula to them. The layer and the weights must outlive it.
class LayerCounts {
public:
    LayerCounts(const TDSLayer& layer, Weighting scheme, const StateWeightTable& weights);
    LayerCounts(const LayerCounts&) = delete;
    LayerCounts& operator=(const LayerCounts&) = delete;

    const TPairCountFunc& Counter() const { return counter_; }
    // The planes of plain counts the run takes its counts from, or nullptr.
    const BandPlanes* Planes() const { return onPlanes_ ? &planes_ : nullptr; }

private:
    BandPlanes planes_;
    WeightedRows rows_;
    TPairCountFunc counter_;
    bool onPlanes_ = false;
};

// ComputeDistances with the counts chosen for the layer.
bool ComputeDistances(const TDSLayer& layer, const LayerCounts& counts, const DistRunOptions& options, bool spread,
                      RandomStream& random, NeiLiProblems& problems, Reporter& reporter, DistMatrices& out);

// The current layer's RawMatrix and DistMatrix under the options, drawing from random (the
// Average treatment). On success the layer gets the new matrices and UndefinedPairs, the data set the kernel
// choice and the options (SetDistOptions, with the transformation the run applied); undefined
// Nei-Li pairs keep their -1.0 and are listed in one warning. On failure nothing changes.
bool CalcDistMatrix(TPopGenDataSet& ds, const DistRunOptions& options, RandomStream& random);

// The Average treatment with spread: RawMatrix (mean), VarMatrix, SDMatrix (untransformed) and
// DistMatrix (transformed mean), stored as CalcDistMatrix stores; the kernel choice is left unchanged.
bool CalcDistances(TPopGenDataSet& ds, const DistRunOptions& options, RandomStream& random);

// x transformed by DistTransform; an unknown code reports "DistXF: Unknown option." and gives DistNaN().
Extended DistXF(TPopGenDataSet& ds, Extended x);
// DistXF of the installed kernel (ds.Kernel) on pair (i, j) of the current layer, an Average kernel
// drawing from random; DistNaN() for a pair outside it or a layer without band data.
Extended KernelXF(TPopGenDataSet& ds, std::size_t i, std::size_t j, RandomStream& random);
// The installed kernel on individual i of layerA and j of layerB (same loci in the same order),
// transformed. DistNaN() (reported) for layers that cannot be paired.
Extended BetweenLayersXF(TPopGenDataSet& ds, std::size_t layerA, std::size_t layerB, std::size_t i, std::size_t j,
                         RandomStream& random);
// One pair of the current layer under (mode, coefficient, transform), the Average treatment drawing
// from random; changes nothing in the data set and leaves the floating-point state alone.
Extended PairDistance(TPopGenDataSet& ds, Treatment mode, Coefficient coefficient, Transformation transform,
                      std::size_t i, std::size_t j, RandomStream& random);
// DistMatrix value of (i, j) in either order; DistNaN() for i or j = 0, a pair outside the matrix or
// a layer without one.
Extended GetDist(const TPopGenDataSet& ds, std::size_t i, std::size_t j);

// A copy of the current layer's DistMatrix in packed order, for the tree builders. Without a matrix
// reports "ExpOldStyleDistMatrix: pDistances not set", leaves block alone and returns false.
bool ExpOldStyleDistMatrix(TPopGenDataSet& ds, AExt& block);

// Lists (0-based packed indices, in order) the off-diagonal slots of the current DistMatrix whose
// value is below threshold, and with replace sets them to newValue. True when any was listed.
bool FindDistancesBelow(TPopGenDataSet& ds, std::vector<std::size_t>& list, bool replace, Extended threshold,
                        Extended newValue);
