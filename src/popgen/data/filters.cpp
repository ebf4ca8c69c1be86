#include "popgen/data/filters.h"

#include <functional>
#include <string>
#include <utility>

#include "popgen/data/band_stats.h"

namespace {

constexpr const char* kAllLoci = "The current setting would result in removal of ALL loci.\r\nOperation was aborted.";
constexpr const char* kAllInds =
    "The current setting would result in removal of ALL individuals.\r\nOperation was aborted.";

struct Counts {
    std::size_t p = 0, a = 0, m = 0;
};

using RemoveTest = std::function<bool(const Counts&, std::size_t n)>;

Extended Fraction(std::size_t count, std::size_t n) { return static_cast<Extended>(count) / static_cast<Extended>(n); }

bool Usable(const TDSLayer& layer) {
    return layer.NInd != 0 && layer.NLoci != 0 && layer.Matrix.size() == layer.NInd * layer.NLoci;
}

// How a filter words its refusal and its inconsistent counts.
struct FilterTexts {
    const char* allGone;
    bool quietable = false;      // QuietMode turns the refusal into QuietFailures
    bool detailedError = false;  // the matrix error names the entry and its counts
    const char* matrixError = "Data matrix error.";
};

// What a filter walks: the loci or the individuals of the current layer.
enum class FilterAxis { Loci, Individuals };

// Removes the entries along axis for which remove(counts, number of cells of an entry) holds.
std::size_t FilterEntries(TPopGenDataSet& ds, std::size_t target, FilterAxis axis, const FilterTexts& texts,
                          const RemoveTest& remove) {
    const TDSLayer& c = ds.GetCurrLayer();
    if (!Usable(c)) return 0;
    const bool loci = axis == FilterAxis::Loci;
    const std::size_t entries = loci ? c.NLoci : c.NInd;
    const std::size_t cells = loci ? c.NInd : c.NLoci;
    const auto count = [&](std::size_t e, std::uint8_t state) {
        return loci ? CountLocState(ds, e, state) : CountIndState(ds, e, state);
    };
    AByte keep(entries, 1);
    std::size_t removed = 0;
    for (std::size_t e = 1; e <= entries; ++e) {
        const Counts k{count(e, kPresent), count(e, kAbsent), count(e, kMissing)};
        if (k.p + k.a + k.m != cells) {
            std::string msg = texts.matrixError;
            if (texts.detailedError)
                msg += std::to_string(e) + " " + std::to_string(k.p) + " " + std::to_string(k.a) + " " +
                       std::to_string(k.m) + " " + std::to_string(cells);
            ds.ReportError(msg);
            return 0;
        }
        if (remove(k, cells)) {
            keep[e - 1] = 0;
            ++removed;
        }
    }
    if (removed == 0) return 0;
    if (removed == entries) {
        if (texts.quietable && ds.QuietMode) ds.QuietFailures = 1;
        else ds.ReportError(texts.allGone);
        return 0;
    }
    const bool ok = loci ? RmvCpyCurr2TargetLyr(ds, target, {}, removed, 0, keep)
                         : RmvCpyCurr2TargetLyr(ds, target, keep, 0, removed, {});
    return ok ? removed : 0;
}

std::size_t FilterLoci(TPopGenDataSet& ds, std::size_t target, const FilterTexts& texts, const RemoveTest& remove) {
    return FilterEntries(ds, target, FilterAxis::Loci, texts, remove);
}

std::size_t FilterInds(TPopGenDataSet& ds, std::size_t target, const RemoveTest& remove) {
    return FilterEntries(ds, target, FilterAxis::Individuals,
                         {.allGone = kAllInds, .matrixError = "Data matrix error (RemoveIndMD)"}, remove);
}

bool FixedPresence(const Counts& k) { return k.a == 0 && k.p >= k.m; }
bool FixedAbsence(const Counts& k) { return k.p == 0 && k.a >= k.m; }

// The loaded data is never changed by a filter or a replacement: layer 0 goes to the working copy.
std::size_t WritableTarget(std::size_t target) { return target == kLoadedLayer ? kWorkingLayer : target; }

// A layer's mask over its reference layer; a layer as large as the reference without one holds all.
bool MaskOverReference(const AByte& mask, std::size_t count, std::size_t refCount, AByte& result) {
    if (mask.size() == refCount) result = mask;
    else if (mask.empty() && count == refCount) result.assign(refCount, 1);
    else return false;
    return true;
}

std::size_t Ones(const AByte& mask) {
    std::size_t n = 0;
    for (const std::uint8_t b : mask) n += b == 1;
    return n;
}

}  // namespace

std::size_t RemoveLocMoreMDThanBands(TPopGenDataSet& ds, std::size_t target) {
    return FilterLoci(ds, target, {kAllLoci}, [](const Counts& k, std::size_t) { return k.p < k.m; });
}

std::size_t RemoveLocMD(TPopGenDataSet& ds, std::size_t target, Extended f) {
    return FilterLoci(ds, target, {kAllLoci}, [f](const Counts& k, std::size_t n) { return Fraction(k.m, n) > f; });
}

std::size_t RemoveMonomorphicLoci(TPopGenDataSet& ds, std::size_t target) {
    const FilterTexts texts{"Removing monomorphic loci would result in removal of ALL loci.\r\nOperation was aborted.",
                            true, true};
    return FilterLoci(ds, target, texts,
                      [](const Counts& k, std::size_t) { return FixedPresence(k) || FixedAbsence(k); });
}

std::size_t RemoveMonomorphicAbsences(TPopGenDataSet& ds, std::size_t target) {
    const FilterTexts texts{
        "Removing monomorphic loci (absent) would result in removal of ALL loci.\r\nOperation was aborted.", true};
    return FilterLoci(ds, target, texts, [](const Counts& k, std::size_t) { return FixedAbsence(k); });
}

std::size_t RemoveMonomorphicPresences(TPopGenDataSet& ds, std::size_t target) {
    const FilterTexts texts{
        "Removing monomorphic loci (presences) would result in removal of ALL loci.\r\nOperation was aborted."};
    return FilterLoci(ds, target, texts, [](const Counts& k, std::size_t) { return FixedPresence(k); });
}

std::size_t RemoveLocHighFreq(TPopGenDataSet& ds, std::size_t target, Extended f) {
    return FilterLoci(ds, target, {kAllLoci}, [f](const Counts& k, std::size_t n) { return Fraction(k.p, n) > f; });
}

std::size_t RemoveLocLowFreq(TPopGenDataSet& ds, std::size_t target, Extended f) {
    return FilterLoci(ds, target, {kAllLoci}, [f](const Counts& k, std::size_t n) { return Fraction(k.p, n) < f; });
}

std::size_t RemoveIndMD(TPopGenDataSet& ds, std::size_t target, Extended f) {
    return FilterInds(ds, target, [f](const Counts& k, std::size_t n) { return Fraction(k.m, n) > f; });
}

std::size_t RemoveIndHighFreq(TPopGenDataSet& ds, std::size_t target, Extended f) {
    return FilterInds(ds, target, [f](const Counts& k, std::size_t n) { return Fraction(k.p, n) > f; });
}

std::size_t RemoveIndLowFreq(TPopGenDataSet& ds, std::size_t target, Extended f) {
    return FilterInds(ds, target, [f](const Counts& k, std::size_t n) { return Fraction(k.p, n) < f; });
}

bool MakeNEwMaskFromSubMask(TPopGenDataSet& ds, const AByte& templateMask, const AByte& sub, AByte& result) {
    if (templateMask.empty()) {
        ds.ReportError("MakeNEwMaskFromSubMask ERROR: TemplateMask has not been assigned a length");
        return false;
    }
    if (Ones(templateMask) != sub.size()) {
        ds.ReportError("MakeNEwMaskFromSubMask ERROR: SubMask does not match TemplateMask");
        return false;
    }
    AByte mask(templateMask.size(), 0);
    std::size_t next = 0;
    for (std::size_t k = 0; k < templateMask.size(); ++k)
        if (templateMask[k] == 1) mask[k] = sub[next++] == 1 ? 1 : 0;
    result = std::move(mask);
    return true;
}

bool RmvCpyCurr2TargetLyr(TPopGenDataSet& ds, std::size_t target, const AByte& indKeep, std::size_t nLocRemoved,
                          std::size_t nIndRemoved, const AByte& locKeep) {
    target = WritableTarget(target);
    if (target >= kLayerCount || ds.CurLayer >= kLayerCount) return false;
    const std::size_t cur = ds.CurLayer;
    const TDSLayer& c = ds.Layers[cur];
    const std::size_t ref = c.MaskRefLayer < kLayerCount ? c.MaskRefLayer : kLoadedLayer;
    // A layer other than the loaded data whose masks refer to itself (a band profile) is its own
    // reference; everything else keeps its masks over the loaded data.
    const bool selfRef = ref == cur && cur != 0;
    AByte indMask, locMask;
    if (!MaskOverReference(c.IndMask, c.NInd, ds.Layers[ref].NInd, indMask)) {
        ds.ReportError("RmvCpyCurr2TargetLyr IndMask Error!");
        return false;
    }
    if (!MaskOverReference(c.LocMask, c.NLoci, ds.Layers[ref].NLoci, locMask)) {
        ds.ReportError("RmvCpyCurr2TargetLyr LocMask Error!");
        return false;
    }
    const AByte indSel = indKeep.empty() ? AByte(c.NInd, 1) : indKeep;
    const AByte locSel = locKeep.empty() ? AByte(c.NLoci, 1) : locKeep;
    if (indSel.size() != c.NInd || locSel.size() != c.NLoci || nIndRemoved > c.NInd || nLocRemoved > c.NLoci ||
        c.Matrix.size() != c.NInd * c.NLoci) {
        ds.ReportError("RmvCpyCurr2TargetLyr: the keep masks do not match the data matrix");
        return false;
    }
    const std::size_t nInd = c.NInd - nIndRemoved, nLoci = c.NLoci - nLocRemoved;
    AByte cells;
    cells.reserve(Ones(indSel) * Ones(locSel));
    for (std::size_t l = 0; l < c.NLoci; ++l) {
        if (locSel[l] != 1) continue;
        for (std::size_t i = 0; i < c.NInd; ++i)
            if (indSel[i] == 1) cells.push_back(c.Matrix[l * c.NInd + i]);
    }
    if (cells.size() != nInd * nLoci) {
        ds.ReportError("RmvCpyCurr2TargetLyr: MatrixSize mismatch: " + std::to_string(nInd * nLoci) + " vs " +
                       std::to_string(cells.size()));
        return false;
    }
    AString indNames, locNames;
    MaskStrs(indNames, c.IndNames, indSel);
    MaskStrs(locNames, c.LocNames, locSel);
    AByte newIndMask, newLocMask;
    if (selfRef) {
        newIndMask.assign(nInd, 1);
        newLocMask.assign(nLoci, 1);
    } else if (!MakeNEwMaskFromSubMask(ds, indMask, indSel, newIndMask) ||
               !MakeNEwMaskFromSubMask(ds, locMask, locSel, newLocMask)) {
        return false;
    }

    // Every allocation is done: from here on nothing can fail.
    TDSLayer t;
    t.Name = target == cur ? c.Name : std::string();
    t.SourceLayer = target == cur ? c.SourceLayer : cur;
    t.MaskRefLayer = selfRef ? target : ref;
    t.KeepMatrixList = c.KeepMatrixList;
    t.NInd = nInd;
    t.NLoci = nLoci;
    t.NCells = nInd * nLoci;
    t.Matrix = std::move(cells);
    t.IndNames = std::move(indNames);
    t.LocNames = std::move(locNames);
    t.IndMask = std::move(newIndMask);
    t.LocMask = std::move(newLocMask);
    ds.ClearLayer(target);
    ds.Layers[target] = std::move(t);
    ds.CurLayer = target;
    return true;
}

bool ReplaceMissingData(TPopGenDataSet& ds, std::size_t target, Extended p, RandomStream& random) {
    target = WritableTarget(target);
    if (target >= kLayerCount || !ds.HasData()) return false;
    if (!(p >= 0.0L && p <= 1.0L)) {
        ds.ReportError("ReplaceMissingData: the fraction must lie between 0 and 1");
        return false;
    }
    const std::size_t cur = ds.CurLayer;
    const TDSLayer& c = ds.Layers[cur];
    AByte cells = c.Matrix;
    for (std::uint8_t& cell : cells) {
        if (cell != kMissing) continue;
        if (p == 0.0L) cell = kAbsent;
        else if (p == 1.0L) cell = kPresent;
        else cell = p >= random.RandomFloat() ? kPresent : kAbsent;
    }
    TDSLayer t;
    if (target == cur) {
        t.Name = c.Name;
        t.SourceLayer = c.SourceLayer;
    } else {
        t.Name = "Missing Data Replaced";
        t.SourceLayer = cur;
    }
    // The current layer's own names and masks, so that the rows keep their names and the new layer
    // can be filtered, selected from and saved like the one it came from.
    t.MaskRefLayer = c.MaskRefLayer == cur && cur != kLoadedLayer ? target : c.MaskRefLayer;
    t.NInd = c.NInd;
    t.NLoci = c.NLoci;
    t.NCells = c.NCells;
    t.IndNames = c.IndNames;
    t.LocNames = c.LocNames;
    t.IndMask = c.IndMask;
    t.LocMask = c.LocMask;
    t.KeepMatrixList = c.KeepMatrixList;
    t.Matrix = std::move(cells);
    ds.ClearLayer(target);
    ds.Layers[target] = std::move(t);
    ds.CurLayer = target;
    return true;
}
