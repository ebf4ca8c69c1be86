#include "popgen/exports/export_support.h"

#include <algorithm>
#include <map>

#include "foundation/file_io.h"
#include "foundation/text_file.h"

bool BandCellsValid(TPopGenDataSet& ds, const TDSLayer& layer, const std::string& dataError) {
    const bool valid = std::all_of(layer.Matrix.begin(), layer.Matrix.end(),
                                   [](std::uint8_t c) { return c == kPresent || c == kAbsent || c == kMissing; });
    if (!valid) ds.ReportError(dataError);
    return valid;
}

std::string ExportNames::Fit(const std::string& name) {
    std::string fitted = name;
    if (maxLength_ > 0 && fitted.size() > maxLength_) fitted.resize(maxLength_);
    for (char& c : fitted)
        if (!fits_(c)) c = '_';
    if (fitted != name && std::find_if(changes_.begin(), changes_.end(),
                                       [&](const auto& c) { return c.first == name; }) == changes_.end())
        changes_.emplace_back(name, fitted);
    return fitted;
}

AString ExportNames::FitAll(const AString& names) {
    AString fitted;
    fitted.reserve(names.size());
    std::map<std::string, const std::string*> origin;  // fitted name -> the first name giving it
    for (const std::string& name : names) {
        fitted.push_back(Fit(name));
        const auto [at, fresh] = origin.emplace(fitted.back(), &name);
        if (!fresh && *at->second != name &&
            std::find(clashes_.begin(), clashes_.end(), fitted.back()) == clashes_.end())
            clashes_.push_back(fitted.back());
    }
    return fitted;
}

void ExportNames::Report(TPopGenDataSet& ds) const {
    if (changes_.empty()) return;
    std::string text = "Names changed for the " + format_ + " file:";
    constexpr std::size_t kListed = 20;  // a box that fits on the screen
    for (std::size_t k = 0; k < changes_.size() && k < kListed; ++k)
        text += "\r\n\"" + changes_[k].first + "\" -> \"" + changes_[k].second + "\"";
    if (changes_.size() > kListed) text += "\r\n... and " + std::to_string(changes_.size() - kListed) + " more";
    if (!clashes_.empty()) {
        text += "\r\nDifferent names became the same; rename them before exporting:";
        for (std::size_t k = 0; k < clashes_.size() && k < kListed; ++k) text += "\r\n\"" + clashes_[k] + "\"";
        if (clashes_.size() > kListed) text += "\r\n... and " + std::to_string(clashes_.size() - kListed) + " more";
    }
    ds.ReportWarning(text);
}

bool IsTokenChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u > ' ' && u != 127;
}

std::string DerivedFileName(const std::string& fileName, std::string_view text) {
    const std::size_t slash = fileName.find_last_of('/');
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = fileName.find_last_of('.');
    std::string derived = fileName;
    if (dot != std::string::npos && dot >= start) derived.insert(dot, text);
    else derived.insert(start, text);
    return derived;
}

bool SaveExportFile(TPopGenDataSet& ds, const Ttf& lines, const std::string& fileName) {
    const int rc = lines.SaveToFile(fileName, false);
    if (rc == 0) return true;
    ds.ReportError("Could not write the file:\r\n" + fileName + "\r\n" + FileErrorText(rc));
    return false;
}

void AbsentMembers::Report(TPopGenDataSet& ds, std::string_view format) const {
    if (names_.empty()) return;
    std::string text = "Group members not in the current data were left out of the " + std::string(format) + " file:";
    constexpr std::size_t kListed = 20;
    for (std::size_t k = 0; k < names_.size() && k < kListed; ++k) text += "\r\n" + names_[k];
    if (names_.size() > kListed) text += "\r\n... and " + std::to_string(names_.size() - kListed) + " more";
    ds.ReportWarning(text);
}
