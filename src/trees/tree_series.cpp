#include "trees/tree_series.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "foundation/number_text.h"
#include "foundation/random.h"
#include "foundation/thread_pool.h"
#include "popgen/analyses/allele_freq.h"
#include "popgen/analyses/bi_allele.h"
#include "popgen/analyses/pop_distance.h"
#include "popgen/data/resampling.h"
#include "popgen/distance/band_planes.h"
#include "popgen/distance/coefficients.h"
#include "popgen/distance/distance_matrix.h"
#include "popgen/distance/pair_count.h"
#include "trees/tree_text.h"

namespace {

// Replicates built on the cores at a time; bounds the locus lists and texts held at once.
constexpr std::size_t kReplicateBatch = 64;

// What one replicate reported, to be passed on in replicate order from the calling thread.
struct Collected {
    std::vector<std::pair<bool, std::string>> Messages;  // true: an error
    Reporter Channel{[this](const std::string& m) { Messages.emplace_back(true, m); },
                     [this](const std::string& m) { Messages.emplace_back(false, m); }};
};

struct Replicate {
    Collected Reports;
    std::string Text;
    bool Ok = false;
};

// Passes what a replicate reported on to the data set; false when it failed.
bool PassOn(TPopGenDataSet& ds, Replicate& r) {
    for (const auto& [error, message] : r.Reports.Messages) {
        if (error) ds.ReportError(message);
        else ds.ReportWarning(message);
    }
    return r.Ok;
}

DistRunOptions RunOptionsOf(const TreeSeriesOptions& o) { return {o.Mode, o.Coeff, o.Transform, o.NeiLiR, o.Draws}; }

// The tree of one layer's band data: its matrix under the options (drawing from random), the tree
// titled `title`, its text. Reports through reporter only.
bool TreeOfLayer(const TDSLayer& layer, const TPopGenDataSet& ds, const TreeSeriesOptions& options,
                 RandomStream& random, const std::string& title, Reporter& reporter, std::string& text) {
    NeiLiProblems problems;
    DistMatrices result;
    // Counts from bit planes or weighted rows where the scheme and cells allow: the same numbers as
    // the byte scan, at a fraction of the cost.
    BandPlanes planes;
    WeightedRows rows;
    TPairCountFunc counter = PlanePairCounter(planes, ds.WeightingScheme, ds.StateWeights);
    if (!counter && rows.Build(layer, ds.WeightingScheme)) counter = WeightedRowsCounter(rows);
    else if (!counter || !planes.Build(layer.Matrix.data(), layer.NInd, layer.NLoci))
        counter = PairCounter(layer, layer, ds.WeightingScheme, ds.StateWeights);
    if (!ComputeDistances(layer, counter, RunOptionsOf(options), false, random, problems, reporter, result))
        return false;
    TDistAnalysis analysis(reporter, ds.ValueSize);
    analysis.NOTU = layer.NInd;
    analysis.Dist = std::move(result.Dist);
    analysis.OTUNames = layer.IndNames;
    analysis.UndefinedPairs = result.UndefinedPairs;  // the builder refuses such a matrix, naming it
    if (!analysis.BuildTree(options.Kind, title)) return false;
    text = SeriesTreeText(analysis, options.Kind);
    return !text.empty();
}

// The series' start: a temporary layer gives way to the working copy; the number of trees is checked.
bool BeginSeries(TPopGenDataSet& ds, const TreeSeriesOptions& options, const std::string& switchWarning,
                 AString& trees) {
    trees.clear();
    if (options.NTrees == 0) {
        ds.ReportError("The number of trees must be at least 1.");
        return false;
    }
    if (ds.CurLayer > kSelectionLayer && ds.CurLayer < kLayerCount) {
        ds.ReportWarning(switchWarning);
        ds.CurLayer = kWorkingLayer;
    }
    if (ds.CurLayer >= kLayerCount) {
        ds.ReportError("No band data to compute distances from.");
        return false;
    }
    return true;
}

// Every locus of a replicate takes part in its estimate: the replicate's loci were drawn from the
// selected ones already, and repeat, so the user's locus set (a mask over the loaded loci) cannot
// describe them. A locus set over the replicate's own loci stands in while the series runs.
class ReplicateLocusSet {
public:
    ReplicateLocusSet(TPopGenDataSet& ds, std::size_t nLoci) : ds_(ds), kept_(ds.CurLocusSet) {
        TdsFilterRec all;
        all.Mask.assign(nLoci, 1);
        all.Count = nLoci;
        ds_.LocusSets.push_back(std::move(all));
        ds_.CurLocusSet = ds_.LocusSets.size() - 1;
    }
    ~ReplicateLocusSet() {
        ds_.LocusSets.pop_back();
        ds_.CurLocusSet = kept_;
    }
    ReplicateLocusSet(const ReplicateLocusSet&) = delete;
    ReplicateLocusSet& operator=(const ReplicateLocusSet&) = delete;

private:
    TPopGenDataSet& ds_;
    std::size_t kept_;
};

}  // namespace

std::string SeriesTreeText(const TDistAnalysis& analysis, TreeKind kind) {
    switch (kind) {
        case TreeKind::UPGMA: return analysis.StoredTree;
        case TreeKind::NJ: return analysis.DendrogramText();
    }
    return {};
}

bool MultiAvgTrees(TPopGenDataSet& ds, const TreeSeriesOptions& options, RandomStream& random, AString& trees) {
    if (!BeginSeries(ds, options,
                     "Cannot work on this data layer (" + UIntToStr(ds.CurLayer) + "), switching to AllData!", trees))
        return false;
    const std::string prefix =
        SimMethodToStr(true, options.Mode, options.Coeff) + CoeffToStr(options.Coeff) + UIntToStr(options.Draws) + "x";
    const TDSLayer& layer = ds.GetCurrLayer();
    WarnCutNameClashes(ds.Reporting(), layer.IndNames);
    AString result;
    result.reserve(options.NTrees);
    // Each matrix draws from the one stream, so the trees are made one after the other.
    for (std::size_t i = 1; i <= options.NTrees; ++i) {
        Replicate r;
        r.Ok = TreeOfLayer(layer, ds, options, random, prefix + UIntToStr(i), r.Reports.Channel, r.Text);
        if (!PassOn(ds, r)) return false;
        result.push_back(std::move(r.Text));
    }
    trees = std::move(result);
    return true;
}

bool BsTrees(TPopGenDataSet& ds, const TreeSeriesOptions& options, RandomStream& random, AString& trees) {
    if (!BeginSeries(ds, options,
                     "Cannot work on this data layer (" + UIntToStr(ds.CurLayer) + "), switching to AllData!", trees))
        return false;
    const TemporaryLayerScope restore(ds);
    const TDSLayer& source = ds.GetCurrLayer();
    if (!source.HasMatrix() || source.NLoci == 0 || source.NInd == 0) {
        ds.ReportError("No band data to compute distances from.");
        return false;
    }
    if (source.NLoci > 0xFFFFFFFFull) {
        ds.ReportError("BsTrees: too many loci to draw from.");
        return false;
    }
    WarnCutNameClashes(ds.Reporting(), source.IndNames);
    const std::string prefix = "Bs" + SimMethodToStr(true, options.Mode, options.Coeff) + CoeffToStr(options.Coeff);
    // A replicate: its loci, then (Average only) the draws of its matrix, in replicate order.
    const auto build = [&](std::size_t i, std::span<const std::size_t> loci, RandomStream& draws, Replicate& r) {
        TDSLayer replicate;
        replicate.IndNames = source.IndNames;
        ResampledLoci(source, loci, replicate);
        r.Ok = TreeOfLayer(replicate, ds, options, draws, prefix + UIntToStr(i), r.Reports.Channel, r.Text);
    };
    AString result;
    result.reserve(options.NTrees);
    if (options.Mode == Treatment::Average) {
        for (std::size_t i = 1; i <= options.NTrees; ++i) {
            const std::vector<std::size_t> loci = DrawLoci(random, source.NLoci, source.NLoci);
            Replicate r;
            build(i, loci, random, r);
            if (!PassOn(ds, r)) return false;
            result.push_back(std::move(r.Text));
        }
    } else {
        // The matrices draw nothing: every replicate's loci are drawn first, in order, and the
        // replicates are built on all cores.
        for (std::size_t first = 1; first <= options.NTrees; first += kReplicateBatch) {
            const std::size_t count = std::min(kReplicateBatch, options.NTrees - first + 1);
            std::vector<std::vector<std::size_t>> loci(count);
            for (auto& list : loci) list = DrawLoci(random, source.NLoci, source.NLoci);
            std::vector<Replicate> batch(count);
            ParallelPieces(count, [&](std::size_t k) {
                RandomStream unused;  // no kernel of these treatments draws
                build(first + k, loci[k], unused, batch[k]);
            });
            for (Replicate& r : batch) {
                if (!PassOn(ds, r)) return false;
                result.push_back(std::move(r.Text));
            }
        }
    }
    trees = std::move(result);
    return true;
}

bool BsPopTrees(TPopGenDataSet& ds, const PopTreeOptions& options, RandomStream& random, AString& trees) {
    trees.clear();
    if (options.NTrees == 0) {
        ds.ReportError("The number of trees must be at least 1.");
        return false;
    }
    if (ds.CurLayer > kSelectionLayer && ds.CurLayer < kLayerCount) {
        ds.ReportWarning("Cannot perform BsPopTrees from current data source layer (" + UIntToStr(ds.CurLayer) +
                         "): Switching to AllData");
        ds.CurLayer = kWorkingLayer;
    }
    if (ds.CurLayer >= kLayerCount) {
        ds.ReportError("No band data to compute distances from.");
        return false;
    }
    const TemporaryLayerScope restore(ds);
    const std::size_t c = restore.Layer();
    constexpr std::size_t kReplicate = kExportLayer, kPopulations = kScratchLayer;
    const std::string prefix = PopDistToStr(options.Measure);
    const ReplicateLocusSet loci(ds, ds.Layers[c].NLoci);
    AString result;
    result.reserve(options.NTrees);
    for (std::size_t i = 1; i <= options.NTrees; ++i) {
        ds.CurLayer = c;
        if (!InitLayerLikeCurrent(ds, kReplicate, false) || !BootstrapLoci(ds, kReplicate, {}, random))
            return false;
        TDSLayer& replicate = ds.Layers[kReplicate];
        // The same individuals as the source, so that the groups find their rows.
        replicate.IndMask = ds.Layers[c].IndMask;
        replicate.MaskRefLayer = ds.Layers[c].MaskRefLayer;
        replicate.LocMask.assign(replicate.NLoci, 1);
        ds.CurLayer = kReplicate;
        ds.DistTransform = Transformation::D;
        if (!FillBiAlleleRec(
                ds,
                {.UseMissing = options.UseMissing, .WithoutAllData = true, .MissingFraction = options.MissingShare}) ||
            !EstimateAlleleFreqs(ds, {.Method = options.Method, .Correction = options.Correction}) ||
            !PopDist(ds, options.Measure, kPopulations))
            return false;
        const TDSLayer& populations = ds.Layers[kPopulations];
        if (i == 1) WarnCutNameClashes(ds.Reporting(), populations.IndNames);  // every tree has these names
        TDistAnalysis analysis(ds.Reporting(), ds.ValueSize);
        analysis.NOTU = populations.NInd;
        analysis.Dist = populations.DistMatrix;
        analysis.OTUNames = populations.IndNames;
        if (!analysis.BuildTree(options.Kind, prefix + UIntToStr(i))) return false;
        std::string text = SeriesTreeText(analysis, options.Kind);
        if (text.empty()) return false;
        result.push_back(std::move(text));
    }
    trees = std::move(result);
    return true;
}
