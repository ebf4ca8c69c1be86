// Resampling of the current layer into a temporary layer: loci drawn with replacement (bootstrap
// over loci), optionally with the individuals drawn as well. Every draw comes from the stream
// given, in a fixed order: the individuals first, then one draw per
// target locus, so a run is reproducible from its seed.
//
// The pure pieces (DrawLoci, ResampledLoci) let a series draw every replicate's loci first, in
// the program's order, and build the replicates aside (trees/tree_series.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "foundation/random.h"
#include "popgen/data/codes.h"
#include "popgen/data/dataset.h"

// Restores the current layer and the distance transformation when it ends, whichever way a routine
// that works in the temporary layers leaves.
class TemporaryLayerScope {
public:
    explicit TemporaryLayerScope(TPopGenDataSet& ds) : ds_(ds), layer_(ds.CurLayer), transform_(ds.DistTransform) {}
    ~TemporaryLayerScope() {
        ds_.CurLayer = layer_;
        ds_.DistTransform = transform_;
    }
    TemporaryLayerScope(const TemporaryLayerScope&) = delete;
    TemporaryLayerScope& operator=(const TemporaryLayerScope&) = delete;
    std::size_t Layer() const { return layer_; }

private:
    TPopGenDataSet& ds_;
    std::size_t layer_;
    Transformation transform_;
};

// Layer target := an empty layer shaped like the current one (individuals, loci, a zeroed matrix),
// with copies of the current individual names when copyNames is set; its source is the current
// layer. False, reported, when there is no current layer with band data, when target is the current
// layer or no layer, or when the matrix cannot be had.
bool InitLayerLikeCurrent(TPopGenDataSet& ds, std::size_t target, bool copyNames);
// Layer target := an empty layer of n individuals and the current layer's loci. The same refusals.
bool InitLayerWithIndCount(TPopGenDataSet& ds, std::size_t n, std::size_t target);

// n locus numbers (1-based) drawn with replacement from nLoci loci: Random(nLoci) + 1 each.
std::vector<std::size_t> DrawLoci(RandomStream& random, std::size_t nLoci, std::size_t n);
// out's band matrix := the cells of source's loci in the order listed (1-based), all individuals
// in their order; out keeps its names. Per-locus and per-cell weights of the source go with their
// loci, so a weighted run weighs a replicate's loci as it weighs the originals.
void ResampledLoci(const TDSLayer& source, std::span<const std::size_t> loci, TDSLayer& out);

// The names of a bootstrap replicate's loci. CopyNames: target locus k takes the drawn locus's
// name, and with Suffix also "_" + k (its position), so a locus drawn twice has two names.
struct ReplicateLocusNames {
    bool CopyNames = false;
    bool Suffix = false;
};

// Fills target (prepared by InitLayerLikeCurrent) with NLoci loci drawn with replacement from the
// current layer, named as naming says. False, reported, when target is not shaped like the current
// layer.
bool BootstrapLoci(TPopGenDataSet& ds, std::size_t target, const ReplicateLocusNames& naming,
                   RandomStream& random);

// n individual numbers (1-based) of the current layer, drawn with replacement.
std::vector<std::size_t> RandomIndList(const TPopGenDataSet& ds, std::size_t n, RandomStream& random);
// n individual numbers of the current layer without repeats while n <= NInd: a partial shuffle
// over all individuals, so every individual can be chosen. Beyond NInd the extra entries are drawn
// with replacement.
std::vector<std::size_t> RandomIndSubset(const TPopGenDataSet& ds, std::size_t n, RandomStream& random);
// Fills target (NInd set by InitLayerWithIndCount) with the current layer's loci drawn with
// replacement, each holding the cells of the listed individuals (drawn first: with replacement, or
// as a subset). No names are set. False, reported, when target does not fit the current layer.
bool BootstrapIndivLoci(TPopGenDataSet& ds, bool withReplacement, std::size_t target,
                        RandomStream& random);
