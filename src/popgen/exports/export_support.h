// What the writers of other programs' formats share: the check that every cell is a band code,
// the names a format can carry, derived file names, and the save that reports a failed write.
//
// Every writer builds its whole file as lines first and saves it at the end, always overwriting,
// with CR LF after every line; a refusal or a data error writes nothing.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "foundation/types.h"
#include "popgen/data/dataset.h"

class Ttf;  // foundation/text_file.h

// True when every cell of the layer is 0, 1 or 9; otherwise reports dataError and returns false.
bool BandCellsValid(TPopGenDataSet& ds, const TDSLayer& layer, const std::string& dataError);

// The symbol of a band cell: present, absent or missing (the caller has checked the cells).
inline std::string_view CellSymbol(std::uint8_t cell, std::string_view present, std::string_view absent,
                                   std::string_view missing) {
    return cell == kPresent ? present : cell == kAbsent ? absent : missing;
}

// Names as a format can carry them. A character that the format's readers would take for
// something else becomes '_', and a name longer than the format allows is cut. Every change is
// collected, and Report gives them in one warning, so the user can match the exported names with
// the data.
class ExportNames {
public:
    using Fits = std::function<bool(char)>;
    ExportNames(std::string format, Fits fits, std::size_t maxLength = 0)
        : format_(std::move(format)), fits_(std::move(fits)), maxLength_(maxLength) {}

    std::string Fit(const std::string& name);
    // The names of one list (the taxa of a file); distinct names that become the same are noted,
    // since the format's readers would take them for one.
    AString FitAll(const AString& names);
    // One warning listing "old" -> "new" for every changed name and the names that became the
    // same; none when nothing changed.
    void Report(TPopGenDataSet& ds) const;
    bool Changed() const { return !changes_.empty(); }

private:
    std::string format_;
    Fits fits_;
    std::size_t maxLength_;
    std::vector<std::pair<std::string, std::string>> changes_;
    AString clashes_;  // fitted names that stand for more than one name of a list
};

// Characters of a name that whitespace-separated formats read as one token.
bool IsTokenChar(char c);

// The file name with text inserted before the last '.' of its last path component; without a '.'
// there the text goes in front of the file name (never into a folder name).
std::string DerivedFileName(const std::string& fileName, std::string_view text);

// Saves the lines, overwriting. A failed write is reported with the file's name and the system's
// reason ("Could not write the file:\r\n" name "\r\n" reason) and returns false.
bool SaveExportFile(TPopGenDataSet& ds, const Ttf& lines, const std::string& fileName);

// Keeps the user's current layer, group and locus set while an export builds temporary layers
// (building one changes the current choice), and puts them back when it ends.
class SelectionKeeper {
public:
    explicit SelectionKeeper(TPopGenDataSet& ds)
        : ds_(ds), layer_(ds.CurLayer), group_(ds.CurGroup), locusSet_(ds.CurLocusSet) {}
    ~SelectionKeeper() {
        ds_.CurLayer = layer_;
        ds_.CurGroup = group_;
        ds_.CurLocusSet = locusSet_;
    }
    SelectionKeeper(const SelectionKeeper&) = delete;
    SelectionKeeper& operator=(const SelectionKeeper&) = delete;

private:
    TPopGenDataSet& ds_;
    std::size_t layer_;
    std::size_t group_;
    std::size_t locusSet_;
};

// Members of groups that the current layer does not hold, collected while a writer lists groups
// by their members, and reported in one warning.
class AbsentMembers {
public:
    void Add(const std::string& name) { names_.push_back(name); }
    void Report(TPopGenDataSet& ds, std::string_view format) const;

private:
    AString names_;
};
