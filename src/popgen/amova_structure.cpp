// The AMOVA structure from the group hierarchy, and the run that drives the computation.
#include <memory>
#include <string>
#include <utility>

#include "foundation/number_text.h"
#include "popgen/amova.h"
#include "popgen/band_stats.h"
#include "popgen/group_levels.h"
#include "popgen/groups.h"

bool GroupMaskInLayer(const TPopGenDataSet& ds, const TDSLayer& layer, const AByte& mask, AByte& out) {
    const std::size_t base = ds.Layers[kLoadedLayer].NInd;
    AByte picked;
    if (mask.size() == base && layer.IndMask.size() == base) {
        // A filtered working copy holds fewer individuals than layer 0: its IndMask says which.
        for (std::size_t k = 0; k < base; ++k)
            if (layer.IndMask[k] == 1) picked.push_back(mask[k] == 1 ? 1 : 0);
    } else if (mask.size() == layer.NInd) {
        for (const std::uint8_t b : mask) picked.push_back(b == 1 ? 1 : 0);
    } else {
        return false;
    }
    if (picked.size() != layer.NInd) return false;
    out = std::move(picked);
    return true;
}

namespace {

// A population entry of group g over the current layer; false (reported) for a mask that does not
// fit the layer or a population without individuals in it.
bool EntryOf(TPopGenDataSet& ds, std::size_t g, PopEntry& entry) {
    const TDSLayer& layer = ds.GetCurrLayer();
    if (!GroupMaskInLayer(ds, layer, ds.Groups[g].Mask, entry.MaskInUse)) {
        ds.ReportError("AMOVA structure invalid");
        return false;
    }
    entry.GroupIndex = g;
    entry.Count = CountOnes(entry.MaskInUse);
    if (entry.Count == 0) {
        ds.ReportError("AMOVA error: population " + ds.Groups[g].Name + " has no individuals in the data");
        return false;
    }
    return true;
}

// A level-3 group p lies in the level-2 group g when its name continues g's name after a "/"
// ("AllData/R1" holds "AllData/R1/P3", not "AllData/R10/P3").
bool IsInside(const std::string& p, const std::string& g) {
    return p.size() > g.size() + 1 && p.compare(0, g.size(), g) == 0 && p[g.size()] == '/';
}

}  // namespace

bool SetupStruc1Level(TPopGenDataSet& ds, TAmovaRec& rec) {
    for (std::size_t g = 1; g < ds.Groups.size(); ++g) {
        if (GroupLevelOf(ds.Groups, static_cast<std::uint32_t>(g)) != 2) continue;
        PopEntry entry;
        if (!EntryOf(ds, g, entry)) return false;
        rec.Structure.push_back({std::move(entry)});
    }
    rec.NTopUnits = rec.Structure.size();
    return true;
}

bool SetupStruc2Levels(TPopGenDataSet& ds, TAmovaRec& rec) {
    for (std::size_t g = 1; g < ds.Groups.size(); ++g) {
        if (GroupLevelOf(ds.Groups, static_cast<std::uint32_t>(g)) != 2) continue;
        std::vector<PopEntry> unit;
        for (std::size_t p = 1; p < ds.Groups.size(); ++p) {
            if (GroupLevelOf(ds.Groups, static_cast<std::uint32_t>(p)) != 3 ||
                !IsInside(ds.Groups[p].Name, ds.Groups[g].Name))
                continue;
            PopEntry entry;
            if (!EntryOf(ds, p, entry)) return false;
            unit.push_back(std::move(entry));
            ++rec.NNestedPops;
        }
        if (unit.empty()) {
            ds.ReportError("AMOVA error: group " + ds.Groups[g].Name + " holds no populations");
            return false;
        }
        rec.Structure.push_back(std::move(unit));
    }
    rec.NTopUnits = rec.Structure.size();
    return true;
}

bool SetupStruc4AMOVA(TPopGenDataSet& ds, std::uint8_t level, TAmovaRec& rec) {
    if (level != 1 && level != 2) {
        ds.ReportError("Wrong Level in SetupStruc4AMOVA");
        return false;
    }
    ClearAmovaRec(rec);
    const TDSLayer& layer = ds.GetCurrLayer();
    const bool wholeMask = layer.LocMask.empty() && layer.NLoci == ds.Layers[kLoadedLayer].NLoci;
    if (!wholeMask && CountOnes(layer.LocMask) != layer.NLoci) {
        ds.ReportError("AMOVA: LocMask not properly set!!");
        return false;
    }
    rec.NTotal = layer.NInd;
    rec.LociUsed = wholeMask ? AByte(layer.NLoci, 1) : layer.LocMask;
    const bool built = level == 1 ? SetupStruc1Level(ds, rec) : SetupStruc2Levels(ds, rec);
    return built && MakeAmovaAssignment(ds, rec);
}

bool AMOVA(TPopGenDataSet& ds, const AmovaOptions& o, Transformation& transform) {
    if (o.Recalc) {
        if (!o.KeepLayer && ds.CurLayer > kWorkingLayer && ds.CurLayer < kLayerCount) ds.CurLayer = kWorkingLayer;
        if (!PrepareAmovaKernel(ds, o.Mode, o.Coeff, o.Transform, o.NeiLiR, o.Draws)) return false;
        transform = ds.DistTransform;
    }
    if (o.Level != 1 && o.Level != 2) {
        ds.ReportError("Invalid AMOVA hierarchy level: " + UIntToStr(o.Level));
        return false;
    }
    TDSLayer& layer = ds.GetCurrLayer();
    if (!layer.HasMatrix()) {
        ds.ReportError("No band data to compute distances from.");
        return false;
    }
    TAmovaRec rec;
    if (o.Recalc) {
        if (!SetupStruc4AMOVA(ds, o.Level, rec)) return false;
    } else if (layer.Amova) {
        rec = *layer.Amova;
    } else {
        ds.ReportError("Amova_MakeStrucutre failed (1)");
        return false;
    }
    std::vector<std::size_t> loci;
    if (o.LocusByLocus)
        for (std::size_t l = 0; l < layer.NLoci; ++l)
            if (IsPolymorphicLocus(ds, l + 1)) loci.push_back(l);
    if (!ComputeAmova(ds, rec, o.Level, o.LocusByLocus, loci, o.Permutations)) return false;
    layer.Amova = std::make_shared<TAmovaRec>(std::move(rec));
    return true;
}
