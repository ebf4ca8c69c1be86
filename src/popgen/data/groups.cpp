#include "popgen/data/groups.h"

#include "foundation/raw_memory.h"
#include "popgen/data/dataset.h"

#include <string>

void CopyFilterArray(const TFilterArray& source, TFilterArray& target) { target = source; }

void ClearFilterArray(TFilterArray& arr) { arr.clear(); }

void DeleteFilterRec(TFilterArray& arr, std::size_t i) {
    if (arr.size() <= 1 || i >= arr.size()) return;
    arr.erase(arr.begin() + static_cast<std::ptrdiff_t>(i));
}

void FillLabels(AString& labels, std::string_view prefix, std::string_view suffix) {
    for (std::size_t i = 0; i < labels.size(); ++i) {
        std::string label(prefix);
        label += std::to_string(i);
        label += suffix;
        labels[i] = std::move(label);
    }
}

// ---- selection methods of the data set -------------------------------------------------------

namespace {

// A set mask (over layer 0) or a caller's mask, brought to the rows of a layer. A mask as long as
// the layer is taken as it stands; one as long as layer 0 is compacted through the layer's own
// mask over layer 0 (its entries where the layer mask is 1). The result holds 0/1 bytes only, so
// that counting its 1 bytes and copying through it agree. False when the lengths fit neither way.
bool MaskForLayer(const AByte& mask, const AByte& layerMask, std::size_t layerCount,
                  std::size_t baseCount, AByte& result) {
    AByte picked;
    if (mask.size() == layerCount) {
        picked = mask;
    } else if (mask.size() == baseCount && layerMask.size() == baseCount) {
        MaskByteArray(layerMask, mask, picked);
    } else {
        return false;
    }
    if (picked.size() != layerCount) return false;
    result.resize(picked.size());
    for (std::size_t k = 0; k < picked.size(); ++k) result[k] = picked[k] == 1 ? 1 : 0;
    return true;
}

// A layer's mask over layer 0; a layer as large as layer 0 without a mask holds all of it.
AByte LayerMaskOverBase(const AByte& layerMask, std::size_t layerCount, std::size_t baseCount) {
    if (layerMask.empty() && layerCount == baseCount) return AByte(baseCount, 1);
    return layerMask;
}

// The cells of a locus-major matrix of nInd x nLoci selected by the two 0/1 masks.
AByte CutCells(const TDSLayer& source, const AByte& indMask, const AByte& locMask,
               std::size_t nI, std::size_t nL) {
    AByte cells(nI * nL);
    CompactByMasks(source.Matrix.data(), cells.data(), indMask.data(), locMask.data(),
                   static_cast<std::ptrdiff_t>(source.NInd),
                   static_cast<std::ptrdiff_t>(source.NLoci));
    return cells;
}

}  // namespace

std::size_t CountOnes(const AByte& mask) { return CountByte(mask.data(), 1, mask.size()); }

bool TPopGenDataSet::Select(std::size_t g, std::size_t l) {
    const std::size_t c = CurLayer;
    if (g == 0 && l == 0) return MakeSubsetLayer(kLoadedLayer, kWorkingLayer, 0, 0);
    // A temporary layer (missing data replaced, band profile, resampled) is never the source of
    // a selection; a selection is always taken from the whole working copy.
    std::size_t source = kLoadedLayer;
    if (c == kLoadedLayer || c == kWorkingLayer) source = c;
    else if (c == kSelectionLayer) source = kWorkingLayer;
    return MakeSubsetLayer(source, kSelectionLayer, g, l);
}

bool TPopGenDataSet::MakeSubsetLayer(std::size_t source, std::size_t target, std::size_t g, std::size_t l) {
    if (source == target) return false;
    // Everything is checked before the target is touched, so that a refused selection leaves
    // the current layer usable.
    if (source >= kLayerCount || target >= kLayerCount) {
        ReportError("Selection of group failed: no such layer");
        return false;
    }
    if (g >= Groups.size()) {
        ReportError("Selection of group failed: no such group");
        return false;
    }
    if (l >= LocusSets.size()) {
        ReportError("Selection of group failed: no such locus set");
        return false;
    }
    const TDSLayer& src = Layers[source];
    const TDSLayer& base = Layers[kLoadedLayer];
    const TdsFilterRec& group = Groups[g];
    const TdsFilterRec& locusSet = LocusSets[l];
    AByte indSel, locSel;
    const bool masksFit = MaskForLayer(group.Mask, src.IndMask, src.NInd, base.NInd, indSel) &&
                          MaskForLayer(locusSet.Mask, src.LocMask, src.NLoci, base.NLoci, locSel);
    const std::size_t nI = masksFit ? CountOnes(indSel) : 0;
    const std::size_t nL = masksFit ? CountOnes(locSel) : 0;
    if (nI == 0 || nL == 0) {
        ReportError("Selection of group failed: empty selection");
        return false;
    }
    if (src.MaskRefLayer != kLoadedLayer) {
        ReportError("Selection of group failed: MaskRefLayer>0");
        return false;
    }
    if (src.Matrix.size() != src.NInd * src.NLoci || group.Mask.size() != base.NInd ||
        locusSet.Mask.size() != base.NLoci) {
        ReportError("Selection of group failed: the layer does not match its masks");
        return false;
    }

    AByte cells = CutCells(src, indSel, locSel, nI, nL);
    AByte indMask = LayerMaskOverBase(src.IndMask, src.NInd, base.NInd);
    AByte locMask = LayerMaskOverBase(src.LocMask, src.NLoci, base.NLoci);
    if (indMask.size() != base.NInd || locMask.size() != base.NLoci) {
        ReportError("Selection of group failed: the layer does not match its masks");
        return false;
    }
    AndBytes(group.Mask.data(), indMask.data(), indMask.data(), indMask.size());
    AndBytes(locusSet.Mask.data(), locMask.data(), locMask.data(), locMask.size());
    AString indNames, locNames;
    if (!SkipLabels) {
        // Names come from the layer the masks refer to, through the new masks.
        MaskStrArray(indMask, base.IndNames, indNames);
        MaskStrArray(locMask, base.LocNames, locNames);
    }
    const std::size_t maskRef = src.MaskRefLayer;

    // Every allocation came before this point, so a shortage leaves the layers as they were.
    ClearLayer(target);
    TDSLayer& t = Layers[target];
    t.Matrix = std::move(cells);
    t.IndMask = std::move(indMask);
    t.LocMask = std::move(locMask);
    t.SourceLayer = source;
    t.MaskRefLayer = maskRef;
    t.NInd = nI;
    t.NLoci = nL;
    t.NCells = nI * nL;
    t.IndNames = std::move(indNames);
    t.LocNames = std::move(locNames);
    CurLayer = target;
    CurGroup = g;
    CurLocusSet = l;
    return true;
}

bool TPopGenDataSet::RestoreOriginalMatrix() {
    const bool ok = MakeSubsetLayer(kLoadedLayer, kWorkingLayer, 0, 0);
    CurLayer = kWorkingLayer;
    return ok;
}

bool TPopGenDataSet::MakeLayerFromSets(std::size_t g, std::size_t l, std::size_t target) {
    if (g >= Groups.size() || l >= LocusSets.size()) {
        ReportError("MakeLayerFromSets: no such group or locus set");
        return false;
    }
    return MakeLayerFromMasksOf(Groups[g].Mask, LocusSets[l].Mask, target, CurLayer);
}

bool TPopGenDataSet::MakeLayerFromMasks(const AByte& indMask, const AByte& locMask,
                                        std::size_t target) {
    return MakeLayerFromMasksOf(indMask, locMask, target, CurLayer);
}

bool TPopGenDataSet::MakeLayerFromMasksOf(const AByte& indMask, const AByte& locMask,
                                          std::size_t target, std::size_t source) {
    if (source >= kLayerCount || target >= kLayerCount) {
        ReportError("MakeLayerFromMasks: no such layer");
        return false;
    }
    const TDSLayer& src = Layers[source];
    const TDSLayer& base = Layers[kLoadedLayer];
    AByte indSel, locSel;
    if (src.Matrix.size() != src.NInd * src.NLoci ||
        !MaskForLayer(indMask, src.IndMask, src.NInd, base.NInd, indSel) ||
        !MaskForLayer(locMask, src.LocMask, src.NLoci, base.NLoci, locSel)) {
        ReportError("MakeLayerFromMasks: the masks do not match the layer");
        return false;
    }
    const std::size_t nI = CountOnes(indSel);
    const std::size_t nL = CountOnes(locSel);
    AByte cells = CutCells(src, indSel, locSel, nI, nL);
    TDSLayer& t = Layers[target];  // may be the source itself
    t.Matrix = std::move(cells);
    t.NInd = nI;
    t.NLoci = nL;
    t.NCells = nI * nL;
    return nI * nL > 0;
}

std::size_t TPopGenDataSet::FindIndGroup(std::string_view name) const {
    for (std::size_t g = 1; g < Groups.size(); ++g)
        for (const std::string& member : Groups[g].Members)
            if (member == name) return g;
    return 0;
}

void TPopGenDataSet::BackupFilters() {
    CopyFilterArray(Groups, EditGroups);
    CopyFilterArray(LocusSets, EditLocusSets);
    CopyFilterArray(ThirdSets, EditThirdSets);
}

void TPopGenDataSet::RestoreFilters() {
    CopyFilterArray(EditGroups, Groups);
    CopyFilterArray(EditLocusSets, LocusSets);
    CopyFilterArray(EditThirdSets, ThirdSets);
}

void TPopGenDataSet::ClearFilterBackups() {
    ClearFilterArray(EditGroups);
    ClearFilterArray(EditLocusSets);
    ClearFilterArray(EditThirdSets);
}
