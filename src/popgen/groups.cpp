#include "popgen/groups.h"

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
