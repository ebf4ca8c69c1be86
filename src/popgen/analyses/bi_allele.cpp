#include "popgen/analyses/bi_allele.h"

#include <memory>
#include <utility>

#include "popgen/data/band_stats.h"

bool FillBiAlleleRec(TPopGenDataSet& ds, BiAlleleFill fill) {
    if (ds.CurLayer >= kLayerCount) return false;
    TDSLayer& layer = ds.Layers[ds.CurLayer];
    if (!layer.HasMatrix() || layer.Matrix.size() != layer.NInd * layer.NLoci) return false;
    if (layer.LocMask.empty()) {
        ds.ReportError("pLM nil");
        return false;
    }
    // A mask of this run only: excluding "AllData" once must not exclude it from later runs.
    AByte chosen = ds.GroupSelMask;
    if (chosen.size() != ds.Groups.size()) chosen.assign(ds.Groups.size(), 1);
    if (fill.WithoutAllData && !chosen.empty()) chosen[0] = 0;

    std::vector<std::size_t> loci;
    if (ds.CurLocusSet >= ds.LocusSets.size() ||
        !SetPositionsInLayer(ds, layer, ds.LocusSets[ds.CurLocusSet].Mask, SetKind::Loci, loci)) {
        ds.ReportError("FillBiAlleleRec: the data matrix does not match its groups and locus sets");
        return false;
    }
    const Extended missingShare = fill.UseMissing ? 1.0L - static_cast<Extended>(fill.MissingFraction) : 0.0L;
    auto rec = std::make_shared<TBiAlleleRec>();
    rec->IncludesAllData = !chosen.empty() && chosen[0] == 1;
    rec->NLoci = loci.size();
    for (std::size_t g = chosen.size(); g-- > 0;) {
        if (chosen[g] != 1) continue;
        std::vector<std::size_t> rows;
        if (!SetPositionsInLayer(ds, layer, ds.Groups[g].Mask, SetKind::Individuals, rows)) {
            ds.ReportError("FillBiAlleleRec: the data matrix does not match its groups and locus sets");
            return false;
        }
        AExt absences;
        absences.reserve(loci.size());
        for (const std::size_t l : loci) {
            const std::uint8_t* col = layer.Matrix.data() + l * layer.NInd;
            std::size_t a = 0, m = 0;
            for (const std::size_t r : rows) {
                a += col[r] == kAbsent;
                m += col[r] == kMissing;
            }
            absences.push_back(static_cast<Extended>(a) + missingShare * static_cast<Extended>(m));
        }
        rec->GroupNames.push_back(ds.Groups[g].Name);
        rec->GroupSizes.push_back(rows.size());
        rec->AbsenceCounts.push_back(std::move(absences));
    }
    rec->NGroups = rec->GroupNames.size();
    if (rec->NGroups == 0) {
        ds.ReportError("FillBiAlleleRec: no group selected");
        return false;
    }
    layer.BiAllele = std::move(rec);
    return true;
}
