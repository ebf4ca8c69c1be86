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

bool LayerHas(const TDSLayer& layer, bool needData, bool needDist) {
    if (!needData && !needDist) return false;
    if (needData && !layer.HasMatrix()) return false;
    if (needDist && layer.DistMatrix.empty()) return false;
    return true;
}

bool Answer(bool ok, std::uint8_t complain) {
    if (!ok && complain == 1) ShowError("No data loaded");
    return ok;
}

}  // namespace

bool DataAvailable(std::uint8_t needData, std::uint8_t needDist, std::uint8_t complain) {
    bool ok = false;
    if (DataSet && (needData == 1 || needDist == 1)) {
        ok = true;
        // The data test is the data set's own: data loaded and a band matrix in the current layer.
        if (needData == 1) ok = DataSet->HasData();
        if (needDist == 1) ok = ok && !DataSet->GetCurrLayer().DistMatrix.empty();
    }
    return Answer(ok, complain);
}

bool LayerDataAvailable(std::size_t layer, std::uint8_t needData, std::uint8_t needDist,
                        std::uint8_t complain) {
    if (layer >= kLayerCount) return false;
    const bool ok = DataSet && LayerHas(DataSet->Layers[layer], needData == 1, needDist == 1);
    return Answer(ok, complain);
}

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
