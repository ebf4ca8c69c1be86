#include "popgen/analyses/pop_distance.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "foundation/packed_matrix.h"
#include "popgen/analyses/amova.h"
#include "popgen/analyses/bi_allele.h"
#include "popgen/distance/distance_matrix.h"
#include "popgen/distance/distance_report.h"

bool MakePopLayer(TPopGenDataSet& ds, std::size_t target, PopLayerOrder order) {
    if (target >= kLayerCount || target == ds.CurLayer || ds.CurLayer >= kLayerCount) {
        ds.ReportError("MakePopLayer: invalid target layer");
        return false;
    }
    const std::shared_ptr<TBiAlleleRec> rec = ds.GetCurrLayer().BiAllele;
    if (!rec) {
        ds.ReportError("No allele data in memory");
        return false;
    }
    const std::size_t source = ds.CurLayer;
    ds.ClearLayer(target);
    TDSLayer& t = ds.Layers[target];
    std::size_t n = rec->NGroups;
    // Only "AllData" is dropped, which the record lists last; a record without it keeps all groups.
    if (order.Reversed && order.DropLast && rec->IncludesAllData && n > 0) --n;
    t.NInd = n;
    t.SourceLayer = source;
    t.MaskRefLayer = source;
    t.IndNames.resize(n);
    for (std::size_t i = 0; i < n; ++i)
        t.IndNames[order.Reversed ? n - 1 - i : i] = StrAfterLastSlash(rec->GroupNames[i]);
    t.NLoci = 0;
    return true;
}

bool ChordDistMatrix(TPopGenDataSet& ds, std::size_t target) {
    if (target >= kLayerCount || target == ds.CurLayer) {
        ds.ReportError("ChordDistMatrix: invalid target layer");
        return false;
    }
    const std::shared_ptr<TBiAlleleRec> rec = ds.GetCurrLayer().BiAllele;
    // A failed or missing estimate has no frequencies to compare.
    if (!rec || rec->Method == 0 || rec->Freq.size() < rec->GroupSizes.size()) {
        ds.ReportError("ChordDistMatrix: no allele frequency estimate");
        return false;
    }
    const std::size_t g = rec->GroupSizes.size();
    const std::size_t loci = rec->NLoci;
    TDSLayer& t = ds.Layers[target];
    if (g != t.NInd) ds.ReportWarning("indiv/npops mismatch!");
    PackedMatrix matrix(PackedSize(g), 0.0L);
    ForEachPackedPair(g, [&](std::size_t i, std::size_t j, std::size_t k) {
        if (i == j) return;
        const AExt& a = rec->Freq[i - 1];
        const AExt& b = rec->Freq[j - 1];
        Extended sum = 0.0L;
        std::size_t skipped = 0;
        for (std::size_t l = 0; l < loci; ++l) {
            const Extended qi = a[l], qj = b[l];
            if (!(qi >= 0.0L && qi <= 1.0L)) continue;  // a marker or an estimate above 1 adds nothing
            if (qj > 1.0L) {
                ++skipped;
                continue;
            }
            if (!(qj >= 0.0L)) continue;
            const Extended c = std::sqrt(qi * qj) + std::sqrt((1.0L - qi) * (1.0L - qj));
            // Rounding can take c a hair above 1.
            const Extended u = std::max(2.0L * (1.0L - c), 0.0L);
            sum += std::sqrt(u);
        }
        const std::size_t used = loci - skipped;
        matrix[k] = used > 0 ? 2.0L * sum / (static_cast<Extended>(used) * std::numbers::pi_v<Extended>) : 1.0L;
    });
    t.NInd = g;
    t.NLoci = loci;
    t.DistMatrix = matrix;
    t.RawMatrix = std::move(matrix);
    ds.DistTransform = Transformation::D;
    ds.CurLayer = target;  // target < kLayerCount
    return true;
}

bool PopDist(TPopGenDataSet& ds, PopDistance kind, std::size_t target) {
    // A group without individuals in the current data (outside a group selection, say) has no
    // frequencies: its chord distances would come out 0 and place it anywhere in a tree.
    if (ds.CurLayer < kLayerCount) {
        if (const std::shared_ptr<TBiAlleleRec> rec = ds.GetCurrLayer().BiAllele) {
            for (std::size_t g = 0; g < rec->GroupSizes.size() && g < rec->GroupNames.size(); ++g)
                if (rec->GroupSizes[g] == 0) {
                    ds.ReportError("Population distance: group " + rec->GroupNames[g] +
                                   " has no individuals in the current data");
                    return false;
                }
        }
    }
    if (!MakePopLayer(ds, target, {.DropLast = true})) return false;
    if (kind != PopDistance::Chord) {
        ds.ReportError("Unknown population distance");
        return false;
    }
    return ChordDistMatrix(ds, target);
}

bool AvgInd2PopDist(TPopGenDataSet& ds, std::size_t target) {
    if (target >= kLayerCount || target == ds.CurLayer || ds.CurLayer >= kLayerCount) {
        ds.ReportError("Cannot proceed");
        return false;
    }
    const TDSLayer& layer = ds.GetCurrLayer();
    const std::size_t g = ds.Groups.empty() ? 0 : ds.Groups.size() - 1;
    if (g == 0) {
        ds.ReportError("AvgInd2PopDist:  No groups to work with!");
        return false;
    }
    std::vector<std::vector<std::size_t>> members(g);
    for (std::size_t a = 0; a < g; ++a) {
        AByte mask;
        if (!GroupMaskInLayer(ds, layer, ds.Groups[a + 1].Mask, mask)) {
            ds.ReportError("Cannot proceed");
            return false;
        }
        for (std::size_t k = 0; k < mask.size(); ++k)
            if (mask[k] == 1) members[a].push_back(k + 1);
        if (members[a].empty()) {
            ds.ReportError("Cannot proceed");
            return false;
        }
    }
    if (layer.DistMatrix.size() < PackedSize(layer.NInd) || layer.NInd == 0) {
        ds.ReportError("Cannot proceed");
        return false;
    }
    // Every pair of an individual of one group and one of the other counts, in either layer order.
    PackedMatrix matrix(PackedSize(g), 0.0L);
    ForEachPackedPair(g, [&](std::size_t a, std::size_t b, std::size_t k) {
        if (a == b) return;
        Extended sum = 0.0L;
        for (const std::size_t i : members[a - 1])
            for (const std::size_t j : members[b - 1]) sum += GetDist(ds, i, j);
        matrix[k] = sum / static_cast<Extended>(members[a - 1].size() * members[b - 1].size());
    });
    const Transformation kept = ds.DistTransform;
    ds.ClearLayer(target);
    ds.DistTransform = kept;
    TDSLayer& t = ds.Layers[target];
    t.NInd = g;
    t.DistMatrix = std::move(matrix);
    for (std::size_t a = 1; a <= g; ++a) t.IndNames.push_back(ds.Groups[a].Name);
    return true;
}

namespace {

std::string PopMethodText(FreqMethod method) {
    switch (method) {
        case FreqMethod::SquareRoot: return "square root";
        case FreqMethod::LynchMilligan: return "Lynch-Milligan";
        case FreqMethod::Bayesian: return "Bayesian (uniform prior)";
        case FreqMethod::BayesianAmongPopulations:
            return "Bayesian (non-uniform prior from among-population information)";
        case FreqMethod::BayesianAmongLoci: return "Bayesian (non-uniform prior from among-locus information)";
    }
    return "unknown";
}

}  // namespace

int OutputPopDist2File(const TPopGenDataSet& ds, PopDistance kind, FreqMethod method, const std::string& fileName,
                       bool append) {
    const std::string kindText = kind == PopDistance::Chord ? "chord distance" : "unknown";
    return WriteDistanceBlock(ds.GetCurrLayer(),
                              "Population-population distances: " + kindText +
                                  " from allele frequency estimates based on the " + PopMethodText(method) + " method.",
                              fileName, append);
}
