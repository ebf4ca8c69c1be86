#include "popgen/data/resampling.h"

#include <algorithm>
#include <limits>
#include <string>
#include <utility>

#include "foundation/number_text.h"

namespace {

constexpr std::size_t kMaxDrawRange = std::numeric_limits<std::uint32_t>::max();

std::uint32_t DrawRange(std::size_t n) { return static_cast<std::uint32_t>(n); }

// The current layer as a resampling source; reported when there is none or it is too large to draw from.
const TDSLayer* SourceLayer(TPopGenDataSet& ds, const char* routine) {
    if (ds.CurLayer >= kLayerCount || !ds.GetCurrLayer().HasMatrix() || ds.GetCurrLayer().NLoci == 0 ||
        ds.GetCurrLayer().NInd == 0) {
        ds.ReportError(std::string(routine) + ": no band data to resample.");
        return nullptr;
    }
    const TDSLayer& l = ds.GetCurrLayer();
    if (l.NLoci > kMaxDrawRange || l.NInd > kMaxDrawRange) {
        ds.ReportError(std::string(routine) + ": too many loci or individuals to draw from.");
        return nullptr;
    }
    return &l;
}

bool CheckTarget(TPopGenDataSet& ds, std::size_t target, const char* routine) {
    if (target >= kLayerCount || target == ds.CurLayer) {
        ds.ReportError(std::string(routine) + ": cannot resample into layer " + UIntToStr(target) + ".");
        return false;
    }
    return true;
}

bool InitLayer(TPopGenDataSet& ds, std::size_t n, std::size_t target, bool copyNames, const char* routine) {
    const TDSLayer* source = SourceLayer(ds, routine);
    if (source == nullptr || !CheckTarget(ds, target, routine)) return false;
    const std::size_t nLoci = source->NLoci;
    const std::size_t sourceIndex = ds.CurLayer;
    AString names;
    if (copyNames) names = source->IndNames;
    const Transformation transform = ds.DistTransform;  // clearing a scratch layer is no new matrix run
    ds.ClearLayer(target);
    ds.DistTransform = transform;
    if (!ds.AllocLayerMatrix(target, n, nLoci)) return false;
    TDSLayer& t = ds.Layers[target];
    t.IndNames = std::move(names);
    t.SourceLayer = sourceIndex;
    return true;
}

}  // namespace

bool InitLayerLikeCurrent(TPopGenDataSet& ds, std::size_t target, bool copyNames) {
    const std::size_t n = ds.GetCurrLayer().NInd;
    return InitLayer(ds, n, target, copyNames, "InitLayerLikeCurrent");
}

bool InitLayerWithIndCount(TPopGenDataSet& ds, std::size_t n, std::size_t target) {
    return InitLayer(ds, n, target, false, "InitLayerWithIndCount");
}

std::vector<std::size_t> DrawLoci(RandomStream& random, std::size_t nLoci, std::size_t n) {
    std::vector<std::size_t> loci(n);
    for (std::size_t& j : loci) j = static_cast<std::size_t>(random.Random(DrawRange(nLoci))) + 1;
    return loci;
}

void ResampledLoci(const TDSLayer& source, std::span<const std::size_t> loci, TDSLayer& out) {
    const std::size_t n = source.NInd;
    out.NInd = n;
    out.NLoci = loci.size();
    out.NCells = n * loci.size();
    out.Matrix.resize(out.NCells);
    const bool locusWeights = source.Weights.size() == source.NLoci && source.NLoci > 0;
    const bool cellWeights = !locusWeights && source.NInd > 0 && source.Weights.size() == source.NCells;
    out.Weights.clear();
    if (locusWeights) out.Weights.resize(loci.size());
    if (cellWeights) out.Weights.resize(out.NCells);
    for (std::size_t k = 0; k < loci.size(); ++k) {
        const std::size_t from = (loci[k] - 1) * n;
        std::copy_n(source.Matrix.begin() + static_cast<std::ptrdiff_t>(from), n,
                    out.Matrix.begin() + static_cast<std::ptrdiff_t>(k * n));
        if (locusWeights) out.Weights[k] = source.Weights[loci[k] - 1];
        if (cellWeights)
            std::copy_n(source.Weights.begin() + static_cast<std::ptrdiff_t>(from), n,
                        out.Weights.begin() + static_cast<std::ptrdiff_t>(k * n));
    }
}

bool BootstrapLoci(TPopGenDataSet& ds, std::size_t target, const ReplicateLocusNames& naming, RandomStream& random) {
    const TDSLayer* source = SourceLayer(ds, "BootstrapLoci");
    if (source == nullptr || !CheckTarget(ds, target, "BootstrapLoci")) return false;
    TDSLayer& t = ds.Layers[target];
    if (t.NInd != source->NInd || t.NLoci != source->NLoci || t.Matrix.size() != source->NCells) {
        ds.ReportError("BootstrapLoci: the target layer is not shaped like the current layer.");
        return false;
    }
    const std::vector<std::size_t> loci = DrawLoci(random, source->NLoci, source->NLoci);
    AString names;
    if (naming.CopyNames) {
        names.resize(loci.size());
        for (std::size_t k = 0; k < loci.size(); ++k) {
            if (loci[k] - 1 < source->LocNames.size()) names[k] = source->LocNames[loci[k] - 1];
            if (naming.Suffix) names[k] += "_" + UIntToStr(k + 1);
        }
    }
    ResampledLoci(*source, loci, t);
    if (naming.CopyNames) t.LocNames = std::move(names);
    return true;
}

std::vector<std::size_t> RandomIndList(const TPopGenDataSet& ds, std::size_t n, RandomStream& random) {
    const std::size_t nInd = std::min(ds.GetCurrLayer().NInd, kMaxDrawRange);
    std::vector<std::size_t> list(n);
    for (std::size_t& i : list) i = static_cast<std::size_t>(random.Random(DrawRange(nInd))) + 1;
    return list;
}

std::vector<std::size_t> RandomIndSubset(const TPopGenDataSet& ds, std::size_t n, RandomStream& random) {
    const std::size_t nInd = std::min(ds.GetCurrLayer().NInd, kMaxDrawRange);
    const std::size_t size = std::max(n, nInd);
    std::vector<std::size_t> list(size);
    for (std::size_t t = 0; t < nInd; ++t) list[t] = t + 1;
    for (std::size_t t = nInd; t < size; ++t) list[t] = static_cast<std::size_t>(random.Random(DrawRange(nInd))) + 1;
    // Position t takes one of the entries not yet taken, from all of them, so any individual may
    // be chosen.
    for (std::size_t t = 0; t < n && size - t > 1 && size - t <= kMaxDrawRange; ++t)
        std::swap(list[t], list[t + random.Random(DrawRange(size - t))]);
    list.resize(n);
    return list;
}

bool BootstrapIndivLoci(TPopGenDataSet& ds, bool withReplacement, std::size_t target, RandomStream& random) {
    const TDSLayer* source = SourceLayer(ds, "BootstrapIndivLoci");
    if (source == nullptr || !CheckTarget(ds, target, "BootstrapIndivLoci")) return false;
    TDSLayer& t = ds.Layers[target];
    const std::size_t n = t.NInd;
    if (t.NLoci != source->NLoci || n == 0 || n > kMaxDrawRange || t.Matrix.size() != n * t.NLoci) {
        ds.ReportError("BootstrapIndivLoci: the target layer does not fit the current layer.");
        return false;
    }
    const std::vector<std::size_t> inds =
        withReplacement ? RandomIndList(ds, n, random) : RandomIndSubset(ds, n, random);
    const std::size_t srcInd = source->NInd;
    for (std::size_t k = 0; k < t.NLoci; ++k) {
        const std::size_t j = static_cast<std::size_t>(random.Random(DrawRange(source->NLoci)));
        const std::uint8_t* from = source->Matrix.data() + j * srcInd;
        std::uint8_t* to = t.Matrix.data() + k * n;
        for (std::size_t c = 0; c < n; ++c) to[c] = from[inds[c] - 1];
    }
    return true;
}
