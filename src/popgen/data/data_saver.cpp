#include "popgen/data/data_saver.h"

#include <memory>
#include <optional>
#include <unordered_map>

#include "foundation/char_set.h"
#include "foundation/file_io.h"
#include "foundation/number_text.h"
#include "foundation/scope_exit.h"
#include "foundation/strings.h"
#include "foundation/text_file.h"
#include "popgen/data/data_loader.h"
#include "popgen/data/name_rules.h"

namespace {

// The names the saved file gives its individuals or loci: the layer's own when they are written,
// else those the loader will number them with.
AString FileNames(const AString& names, bool written, SetKind kind) {
    if (written) return names;
    AString numbered(names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        numbered[i] = (kind == SetKind::Individuals ? "OTU" : "Locus") + UIntToStr(i + 1);
    return numbered;
}

// The names of a layer's individuals or loci. A layer built without names takes them from layer 0
// through its mask; failing that they are numbered as the loader numbers them.
AString LayerNames(const TPopGenDataSet& ds, const TDSLayer& layer, SetKind kind) {
    const bool ind = kind == SetKind::Individuals;
    const AString& own = ind ? layer.IndNames : layer.LocNames;
    const std::size_t n = ind ? layer.NInd : layer.NLoci;
    if (own.size() == n) return own;
    const TDSLayer& base = ds.Layers[kLoadedLayer];
    const AByte& mask = ind ? layer.IndMask : layer.LocMask;
    const AString& baseNames = ind ? base.IndNames : base.LocNames;
    std::size_t ones = 0;
    for (std::uint8_t b : mask) ones += b == 1 ? 1 : 0;
    AString names(n);
    if (ones == n && mask.size() == baseNames.size()) {
        MaskStrArray(mask, baseNames, names);
        return names;
    }
    return FileNames(names, false, kind);
}

// The sets with only the members that are among names (a saved selection holds fewer), each
// renamed to the name the saved file gives it, so that the sets read back with the same members
// also where the file numbers its individuals or loci anew.
TFilterArray SetsWithin(const TFilterArray& sets, const AString& names, const AString& fileNames) {
    std::unordered_map<std::string_view, std::size_t> index;
    index.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) index.emplace(names[i], i);
    TFilterArray kept = sets;
    for (TdsFilterRec& set : kept) {
        AString members;
        for (const std::string& m : set.Members) {
            const auto found = index.find(m);
            if (found != index.end()) members.push_back(fileNames[found->second]);
        }
        set.Members = std::move(members);
        set.Count = set.Members.size();
    }
    return kept;
}

// What the saved file holds besides the cells, as SaveData decides it.
struct SavedFile {
    const AString* rowNames = nullptr;
    const AString* columnNames = nullptr;
    NameKind rowKind = NameKind::Individual;
    NameKind columnKind = NameKind::Locus;
    bool writeColumnNames = false;
    bool writeRowLabels = false;
    TFilterArray groups;  // as written, members under their names in the file
    TFilterArray locusSets;
};

constexpr std::string_view kNotSaved = "Data not saved:\r\n";

// The sets of a section that WriteSetSection writes.
std::size_t FirstWrittenSet(const TFilterArray& sets, bool writeDefaults) {
    if (writeDefaults || sets.empty() || (sets[0].Name != "AllData" && sets[0].Name != "AllLoci")) return 0;
    // The loader takes a first set of the default set's name that holds everything for the written
    // default set; a set of that name that would come first is kept apart by the default set before it.
    return sets.size() > 1 && sets[1].Name == sets[0].Name ? 0 : 1;
}

// What a band symbol or the delimiter would be read as besides itself, or nothing.
std::optional<std::string_view> SymbolClash(char c, bool onFirstLine, bool isDelimiter, const FileParamRecord& params,
                                            const CharSet& delimiters) {
    if (c == '\r' || c == '\n') return "a line break";
    if (!isDelimiter && delimiters.Contains(c)) return "a delimiter";
    if (c == params.EndOfDataChar) return "the end-of-data mark";
    if (c == params.OpenRemarkChar) return "a remark mark";
    if (onFirstLine && (c == '<' || c == '>')) return "a mark of the file specification line";
    return std::nullopt;
}

bool RefuseName(TPopGenDataSet& ds, NameKind kind, const std::string& name, std::size_t index, const NameFault& fault) {
    ds.ReportError(std::string(kNotSaved) + NameFaultText(kind, name, index, fault));
    return false;
}

bool CheckNames(TPopGenDataSet& ds, const AString& names, NameKind kind, std::uint8_t places,
                const FileParamRecord& params, bool firstOnFirstLine) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::uint8_t at = firstOnFirstLine && i == 0 ? places | kNameOnFirstLine : places;
        if (const auto fault = FindNameFault(names[i], at, params)) return RefuseName(ds, kind, names[i], i, *fault);
    }
    return true;
}

bool CheckSection(TPopGenDataSet& ds, const TFilterArray& sets, std::string_view title, NameKind setKind,
                  NameKind memberKind, const FileParamRecord& params) {
    const std::size_t from = FirstWrittenSet(sets, params.WriteDefaultSets);
    if (from >= sets.size()) return true;
    // The loader takes remarks out of the whole section, its title and separators included.
    if ((std::string(title) + "= ,;").find(params.OpenRemarkChar) != std::string::npos) {
        ds.ReportError(std::string(kNotSaved) + "The remark mark " + QuotedChar(params.OpenRemarkChar) +
                       " is part of the text of the " + std::string(title) + " section");
        return false;
    }
    for (std::size_t k = from; k < sets.size(); ++k) {
        const TdsFilterRec& set = sets[k];
        if (const auto fault = FindNameFault(set.Name, kNameOfSet, params))
            return RefuseName(ds, setKind, set.Name, k, *fault);
        if (!CheckNames(ds, set.Members, memberKind, kNameInSetList, params, false)) return false;
    }
    return true;
}

// Reports, as "Data not saved:\r\n" and the reason, what of the layer the file could not carry
// so that LoadDataFile reads the same data back with the same record: a name, a band symbol or
// the delimiter that the loader would read as something else. True when the file reads back.
bool FileReadsBack(TPopGenDataSet& ds, const TDSLayer& layer, const SavedFile& file, const FileParamRecord& params) {
    if (file.writeColumnNames &&
        !CheckNames(ds, *file.columnNames, file.columnKind, kNameInMatrix | kNameOnFirstLine, params, false))
        return false;
    if (file.writeRowLabels &&
        !CheckNames(ds, *file.rowNames, file.rowKind, kNameInMatrix, params, !file.writeColumnNames))
        return false;

    const CharSet delimiters = MakeCharSet(params.Delimiters);
    if (file.writeColumnNames || file.writeRowLabels || params.DelimitedData) {
        const char d = FieldDelimiter(params);
        if (!delimiters.Contains(d)) {
            ds.ReportError(std::string(kNotSaved) + "The layout has no delimiter");
            return false;
        }
        if (const auto clash = SymbolClash(d, true, true, params, delimiters)) {
            ds.ReportError(std::string(kNotSaved) + "The delimiter " + QuotedChar(d) + " is also " +
                           std::string(*clash));
            return false;
        }
    }
    // Only the states the layer holds are written. Without column names the first row stands on
    // the first line.
    bool held[3] = {false, false, false};
    for (const std::uint8_t cell : layer.Matrix) {
        if (cell == kAbsent) held[0] = true;
        else if (cell == kPresent) held[1] = true;
        else if (cell == kMissing) held[2] = true;
    }
    const struct {
        std::size_t index;
        char symbol;
        const char* state;
    } symbols[] = {{1, params.PresenceChar, "present bands"},
                   {2, params.AmbiguityChar, "missing cells"},
                   {0, params.AbsenceChar, "absent bands"}};
    // The loader tests presence, then missing, then absence: a symbol taken by an earlier state is lost.
    std::string earlier;
    for (const auto& s : symbols) {
        const auto clash = SymbolClash(s.symbol, !file.writeColumnNames, false, params, delimiters);
        std::string reason;
        if (clash) reason = std::string(*clash);
        else if (earlier.find(s.symbol) != std::string::npos)
            reason = s.symbol == params.PresenceChar ? "the symbol of present bands" : "the symbol of missing cells";
        if (held[s.index] && !reason.empty()) {
            ds.ReportError(std::string(kNotSaved) + "The symbol " + QuotedChar(s.symbol) + " of " + s.state +
                           " is also " + reason);
            return false;
        }
        earlier += s.symbol;
    }

    if (!params.IncludeGroups) return true;
    const bool sections = FirstWrittenSet(file.groups, params.WriteDefaultSets) < file.groups.size() ||
                          FirstWrittenSet(file.locusSets, params.WriteDefaultSets) < file.locusSets.size();
    if (sections && (params.EndOfDataChar == '\r' || params.EndOfDataChar == '\n')) {
        ds.ReportError(std::string(kNotSaved) + "The end-of-data mark is a line break");
        return false;
    }
    return CheckSection(ds, file.groups, "[Groups]", NameKind::Group, NameKind::Individual, params) &&
           CheckSection(ds, file.locusSets, "[LocusSets]", NameKind::LocusSet, NameKind::Locus, params);
}

}  // namespace

std::string CellText(std::span<const std::uint8_t> matrix, std::size_t nInd, std::size_t locus,
                     std::size_t ind, const FileParamRecord& params, bool& invalid) {
    switch (matrix[locus * nInd + ind]) {
        case kAbsent: return std::string(1, params.AbsenceChar);
        case kPresent: return std::string(1, params.PresenceChar);
        case kMissing:
            if (params.DelimitedData && params.AmbiguityNegative) return std::string("-") + params.AmbiguityChar;
            return std::string(1, params.AmbiguityChar);
        default: invalid = true; return std::string(1, params.InvalidStateChar);
    }
}

void WriteSetSection(TPopGenDataSet& ds, const TFilterArray& sets, std::string_view title, bool writeDefaults,
                     std::string_view closing) {
    const std::size_t from = FirstWrittenSet(sets, writeDefaults);
    if (from >= sets.size()) return;
    if (!ds.DataText) ds.DataText = std::make_shared<Ttf>();
    Ttf& tf = *ds.DataText;
    tf.Add("");
    tf.Add(std::string(title));
    for (std::size_t i = from; i < sets.size(); ++i)
        tf.Add(sets[i].Name + "= " + JoinStrings(sets[i].Members, ", ") + ";");
    tf.Add(std::string(closing));
}

bool SaveData(TPopGenDataSet& ds, const std::string& name, bool append, const std::string& specLine,
              const FileParamRecord& params) {
    if (!ds.HasData()) {
        ds.ReportError("No data loaded");
        return false;
    }
    const TDSLayer& layer = ds.GetCurrLayer();
    const AString indNames = LayerNames(ds, layer, SetKind::Individuals);
    const AString locNames = LayerNames(ds, layer, SetKind::Loci);
    const bool indInColumns = params.IndInColumns;
    const std::size_t rows = indInColumns ? layer.NLoci : layer.NInd;
    const std::size_t columns = indInColumns ? layer.NInd : layer.NLoci;
    SavedFile file;
    file.rowNames = indInColumns ? &locNames : &indNames;
    file.columnNames = indInColumns ? &indNames : &locNames;
    file.rowKind = indInColumns ? NameKind::Locus : NameKind::Individual;
    file.columnKind = indInColumns ? NameKind::Individual : NameKind::Locus;
    file.writeColumnNames = indInColumns ? params.IndHeader : params.LocHeader;
    file.writeRowLabels = indInColumns ? params.LocHeader : params.IndHeader;
    if (params.IncludeGroups) {
        const bool indNamesWritten = indInColumns ? file.writeColumnNames : file.writeRowLabels;
        const bool locNamesWritten = indInColumns ? file.writeRowLabels : file.writeColumnNames;
        file.groups = SetsWithin(ds.Groups, indNames, FileNames(indNames, indNamesWritten, SetKind::Individuals));
        file.locusSets = SetsWithin(ds.LocusSets, locNames, FileNames(locNames, locNamesWritten, SetKind::Loci));
    }
    // Missing cells written as "-" and the symbol make a file for other programs, not one to reopen.
    const bool forOtherPrograms = params.DelimitedData && params.AmbiguityNegative;
    if (!forOtherPrograms && !FileReadsBack(ds, layer, file, params)) return false;
    const AString& rowNames = *file.rowNames;
    const AString& columnNames = *file.columnNames;
    const char d = FieldDelimiter(params);

    // The file text is built in memory first and let go however the save ends.
    ScopeExit freeText([&ds] { ds.DataText.reset(); });
    ds.DataText = std::make_shared<Ttf>();
    Ttf& tf = *ds.DataText;
    tf.AddEmpty(file.writeColumnNames ? rows + 2 : rows + 1);
    tf.Lines[0] = specLine;
    std::size_t line = 0;
    if (file.writeColumnNames) {
        for (const std::string& n : columnNames) (tf.Lines[0] += n) += d;
        line = 1;
    }
    bool invalid = false;
    for (std::size_t r = 0; r < rows; ++r) {
        std::string& out = tf.Lines[line + r];
        if (file.writeRowLabels) (out += rowNames[r]) += d;
        for (std::size_t c = 0; c < columns; ++c) {
            const std::size_t locus = indInColumns ? r : c;
            const std::size_t ind = indInColumns ? c : r;
            out += CellText(layer.Matrix, layer.NInd, locus, ind, params, invalid);
            if (params.DelimitedData) out += d;
        }
    }
    tf.Lines[line + rows] = std::string(1, params.EndOfDataChar);
    if (invalid) ds.ReportError("Data Inconsitency Error.");

    if (params.IncludeGroups) {
        WriteSetSection(ds, file.groups, "[Groups]", params.WriteDefaultSets, "*");
        WriteSetSection(ds, file.locusSets, "[LocusSets]", params.WriteDefaultSets, "*");
    }
    const int rc = tf.SaveToFile(name, append);
    if (rc != 0) {
        ds.ReportError("Could not save the data to file:\r\n" + name + "\r\n" + FileErrorText(rc));
        return false;
    }
    return true;
}
