#include "popgen/analyses/band_profiles.h"

#include <string>
#include <vector>

#include "popgen/data/band_stats.h"

namespace {

enum class Profile { Additive, Fixed };

// The profile rows (group-major: row g-1 holds group g's NLoci cells) of `source` through the
// groups and the current locus set, with the names of its columns.
struct ProfileRows {
    std::size_t nGroups = 0, nLoci = 0;
    AByte cells;
    AString locNames;
};

bool BuildProfile(TPopGenDataSet& ds, const TDSLayer& source, Profile kind, ProfileRows& out) {
    std::vector<std::size_t> loci;
    const bool fits = source.HasMatrix() && source.Matrix.size() == source.NInd * source.NLoci &&
                      ds.CurLocusSet < ds.LocusSets.size() &&
                      SetPositionsInLayer(ds, source, ds.LocusSets[ds.CurLocusSet].Mask, SetKind::Loci, loci);
    if (!fits || loci.empty()) {
        ds.ReportError("Band profile: the data matrix does not match its groups and locus sets");
        return false;
    }
    ProfileRows rows;
    rows.nGroups = ds.Groups.size() - 1;
    rows.nLoci = loci.size();
    rows.cells.assign(rows.nGroups * rows.nLoci, 0);
    for (std::size_t g = 1; g < ds.Groups.size(); ++g) {
        std::vector<std::size_t> members;
        if (!SetPositionsInLayer(ds, source, ds.Groups[g].Mask, SetKind::Individuals, members)) {
            ds.ReportError("Band profile: the data matrix does not match its groups and locus sets");
            return false;
        }
        const std::size_t n = members.size();
        for (std::size_t k = 0; k < loci.size(); ++k) {
            const std::uint8_t* col = source.Matrix.data() + loci[k] * source.NInd;
            std::size_t p = 0, m = 0;
            for (const std::size_t r : members) {
                p += col[r] == kPresent;
                m += col[r] == kMissing;
            }
            // A group without members in the data has no band, fixed or not.
            const bool band = kind == Profile::Additive ? p > 0 : p > 0 && (p == n || (m <= p && n - p - m == 0));
            rows.cells[(g - 1) * rows.nLoci + k] = band ? 1 : 0;
        }
    }
    if (source.LocNames.size() == source.NLoci)
        for (const std::size_t l : loci) rows.locNames.push_back(source.LocNames[l]);
    out = std::move(rows);
    return true;
}

bool StoreProfile(TPopGenDataSet& ds, Profile kind) {
    if (ds.Groups.size() < 2) return false;
    if (ds.CurLayer > kWorkingLayer) {
        ds.ReportError("Band profiles are built from the working data (AllData), not from a selection");
        return false;
    }
    ProfileRows rows;
    if (!BuildProfile(ds, ds.GetCurrLayer(), kind, rows)) return false;
    AByte matrix(rows.cells.size());
    TransposeByteMatrix(rows.cells, matrix, rows.nLoci, rows.nGroups);
    AString indNames;
    for (std::size_t g = 1; g < ds.Groups.size(); ++g) indNames.push_back(StrAfterLastSlash(ds.Groups[g].Name));

    ds.ClearLayer(kDerivedLayer);
    TDSLayer& t = ds.Layers[kDerivedLayer];
    t.Name = kind == Profile::Additive ? "Additive Band Profile" : "Fixed Band Profile";
    t.NInd = rows.nGroups;
    t.NLoci = rows.nLoci;
    t.NCells = t.NInd * t.NLoci;
    t.Matrix = std::move(matrix);
    t.IndNames = std::move(indNames);
    t.LocNames = std::move(rows.locNames);
    t.IndMask.assign(t.NInd, 1);
    t.LocMask.assign(t.NLoci, 1);
    // Its rows are groups, not loaded individuals: its masks refer to itself.
    t.MaskRefLayer = kDerivedLayer;
    t.SourceLayer = kNoLayer;
    ds.CurLayer = kDerivedLayer;
    return true;
}

// The working data the private bands are counted in.
const TDSLayer& WorkingLayer(const TPopGenDataSet& ds) {
    return ds.CurLayer <= kWorkingLayer ? ds.Layers[ds.CurLayer] : ds.Layers[kWorkingLayer];
}

bool CountPrivate(TPopGenDataSet& ds, bool fixed, std::vector<std::size_t>& counts) {
    if (ds.Groups.size() < 2) {
        ds.ReportError(fixed ? "fixedprivatebands error: indfilter" : "privatebands error: indfilter");
        return false;
    }
    ProfileRows additive, fixedRows;
    if (!BuildProfile(ds, WorkingLayer(ds), Profile::Additive, additive)) return false;
    if (fixed && !BuildProfile(ds, WorkingLayer(ds), Profile::Fixed, fixedRows)) return false;
    std::vector<std::size_t> result(additive.nGroups, 0);
    for (std::size_t l = 0; l < additive.nLoci; ++l) {
        std::size_t present = 0, row = 0;
        for (std::size_t g = 0; g < additive.nGroups; ++g)
            if (additive.cells[g * additive.nLoci + l] == 1) {
                ++present;
                row = g;
            }
        if (present != 1) continue;
        if (fixed && fixedRows.cells[row * fixedRows.nLoci + l] != 1) continue;
        ++result[row];
    }
    counts = std::move(result);
    return true;
}

}  // namespace

bool AdditiveBandProfile(TPopGenDataSet& ds) { return StoreProfile(ds, Profile::Additive); }
bool FixedBandProfile(TPopGenDataSet& ds) { return StoreProfile(ds, Profile::Fixed); }

bool PrivateBands(TPopGenDataSet& ds, std::vector<std::size_t>& counts) { return CountPrivate(ds, false, counts); }
bool FixedPrivateBands(TPopGenDataSet& ds, std::vector<std::size_t>& counts) { return CountPrivate(ds, true, counts); }
