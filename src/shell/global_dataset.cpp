#include "shell/global_dataset.h"

#include <unordered_set>

#include "shell/reporting.h"
#include "shell/settings.h"

std::unique_ptr<TPopGenDataSet> DataSet;

std::unique_ptr<TPopGenDataSet> NewDataSet() {
    auto ds = std::make_unique<TPopGenDataSet>(ProgramReporter());
    ds->OutputFileName = AnalysisFileName;
    return ds;
}

void ResetDataSet() {
    DataSet.reset();  // the old one goes first: two data sets need not fit in memory together
    DataSet = NewDataSet();
}

void FreeDataSet() { DataSet.reset(); }

namespace {

bool LayerHas(const TDSLayer& layer, DataNeeds needs) {
    if (!needs.Data && !needs.Dist) return false;
    if (needs.Data && !layer.HasMatrix()) return false;
    if (needs.Dist && layer.DistMatrix.empty()) return false;
    return true;
}

bool Answer(bool ok, DataNeeds needs) {
    if (!ok && needs.Complain) ShowError("No data loaded");
    return ok;
}

}  // namespace

bool DataAvailable(DataNeeds needs) {
    bool ok = false;
    if (DataSet && (needs.Data || needs.Dist)) {
        ok = true;
        // The data test is the data set's own: data loaded and a band matrix in the current layer.
        if (needs.Data) ok = DataSet->HasData();
        if (needs.Dist) ok = ok && !DataSet->GetCurrLayer().DistMatrix.empty();
    }
    return Answer(ok, needs);
}

bool LayerDataAvailable(std::size_t layer, DataNeeds needs) {
    if (layer >= kLayerCount) return false;
    const bool ok = DataSet && LayerHas(DataSet->Layers[layer], needs);
    return Answer(ok, needs);
}

bool NeedData() { return DataAvailable({.Data = true, .Complain = true}); }

bool HasGroups(std::size_t n) { return DataSet && DataSet->Groups.size() > n; }

bool GroupContainsName(std::string_view name, const TFilterArray& groups, std::size_t index) {
    if (index >= groups.size()) return false;
    for (const std::string& member : groups[index].Members)
        if (member == name) return true;
    return false;
}

std::string LastPathPart(std::string_view s) { return StrAfterLastSlash(s); }

std::string GroupDisplayName(std::string_view name) {
    return GroupPathFormat == 1 ? std::string(name) : LastPathPart(name);
}

std::size_t MarkNamesInList(AByte& bits, const AString& namesA, const AString& namesB) {
    const std::unordered_set<std::string> lookup(namesB.begin(), namesB.end());
    bits.assign(namesA.size(), 0);
    std::size_t found = 0;
    for (std::size_t k = 0; k < namesA.size(); ++k) {
        if (lookup.count(namesA[k]) != 0) {
            bits[k] = 1;
            ++found;
        }
    }
    return found;
}

bool MakeLabelArray(TLabelArray& labels, const AString& names) {
    FreeLabelPtrs(labels);
    if (names.size() > kMaxLabels) {
        ShowError("Too many names for a tree: " + std::to_string(names.size()) + " (at most " +
                  std::to_string(kMaxLabels) + ")");
        return false;
    }
    for (const std::string& name : names) AddLabelPtr(labels, name);
    return true;
}

bool AddLabelPtr(TLabelArray& labels, std::string_view label) {
    if (labels.labels_.size() >= kMaxLabels) {
        ShowError("Too many names for a tree: at most " + std::to_string(kMaxLabels));
        return false;
    }
    labels.labels_.emplace_back(label.substr(0, kLabelLength));
    return true;
}

void FreeLabelPtrs(TLabelArray& labels) { labels.labels_.clear(); }
