#include "popgen/data/data_loader.h"

#include <cstring>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "foundation/char_set.h"
#include "foundation/file_io.h"
#include "foundation/number_text.h"
#include "foundation/scope_exit.h"
#include "foundation/strings.h"
#include "foundation/text_file.h"
#include "popgen/data/name_rules.h"

namespace {

const std::string kLoadFailed = "Loading data failed";

// Lines quoted in messages are cut so that a garbage file does not fill a message box.
constexpr std::size_t kQuotedLineMax = 200;

std::string Quoted(std::string_view line) { return AbbrevLeft(line, kQuotedLineMax, "", "..."); }

// Every line is split at each CR LF, LF and lone CR (text from the clipboard or another system
// may use any of them); the empty lines this leaves are removed later.
void SplitAtLineBreaks(Ttf& tf) {
    tf.ReplaceCharsAllLines('\r', MakeCharSet("\n"), false);
    tf.SplitLinesAtChar('\r', false);
}

// Pieces of text between the members of set (empty pieces included).
AString SplitAtSet(std::string_view text, const CharSet& set) {
    AString parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!set.Contains(text[i])) continue;
        parts.emplace_back(text.substr(start, i - start));
        start = i + 1;
    }
    parts.emplace_back(text.substr(start));
    return parts;
}

std::size_t CountInSet(std::string_view text, const CharSet& set) {
    std::size_t n = 0;
    for (char c : text)
        if (set.Contains(c)) ++n;
    return n;
}

// Position of the first member of set in text, or npos.
std::size_t FirstInSet(std::string_view text, const CharSet& set) {
    for (std::size_t i = 0; i < text.size(); ++i)
        if (set.Contains(text[i])) return i;
    return std::string_view::npos;
}

std::string TrimBlanks(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return std::string(text);
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && UpperCaseAscii(a) == UpperCaseAscii(b);
}

// A line that closes a set section: "*", "[", or the title of the next section ("[...]").
bool EndsSection(const std::string& line) {
    const std::string t = TrimBlanks(line);
    if (t == "*" || t == "[") return true;
    return t.size() >= 2 && t.front() == '[' && t.back() == ']' && t.find('=') == std::string::npos;
}

std::string MemberNotFound(SetKind kind, const std::string& member) {
    return kind == SetKind::Individuals ? "Group Filter could not be read. Individual not found:\r\n" + member +
                                              "\r\n" + "\r\n" + "Operation aborted."
                                        : "Locus Filter could not be read. Locus not found:\r\n" + member + "\r\n" +
                                              "\r\n" + "Operation aborted.";
}

// The data set after a rejected matrix: nothing loaded and no text held.
bool RejectLoad(TPopGenDataSet& ds) {
    ds.Clear();
    ds.DataText.reset();
    return false;
}

}  // namespace

std::size_t FindLineWithChar(const Ttf& lines, char ch, std::size_t from) {
    std::size_t index = from;
    std::size_t pos = 0;
    if (lines.FindLineContaining(std::string_view(&ch, 1), index, pos)) return index;
    return lines.Count();
}

std::size_t LastDataLine(const Ttf& lines, char eodChar) {
    const std::size_t eod = FindLineWithChar(lines, eodChar, 0);
    if (eod == lines.Count()) return lines.Count() == 0 ? 0 : lines.Count() - 1;
    return eod > 0 ? eod - 1 : 0;
}

bool OpenInputFile(TPopGenDataSet& ds, const std::string& name) {
    ds.InputText.reset();
    if (!FileCanOpen(name)) {
        ds.ReportError("File not found:\r\n" + name);
        return false;
    }
    auto text = std::make_shared<Ttf>();
    const int rc = ReadTextLines(name, text->Lines);
    if (rc != 0) {
        ds.ReportError("Could not read file:\r\n" + name + "\r\n" + FileErrorText(rc));
        return false;
    }
    ds.InputText = std::move(text);
    return true;
}

bool LoadDataFile(TPopGenDataSet& ds, const std::string& name, const FileParamRecord& params) {
    // No half-built data set stays, however the load is left.
    ScopeExit rejected([&ds] {
        ds.InputText.reset();
        RejectLoad(ds);
    });
    ds.MarkErrors();
    if (!OpenInputFile(ds, name)) return false;
    Ttf& input = *ds.InputText;

    // The file specification block holds the end-of-data character; it must not end the data at line 0.
    if (ds.PreParse && input.Count() > 0) {
        std::string& line0 = input.Lines[0];
        const std::size_t open = line0.find(ds.PreParseOpen);
        const std::size_t close =
            open == std::string::npos ? std::string::npos : line0.find(ds.PreParseClose, open + 1);
        if (close != std::string::npos) line0 = line0.substr(0, open) + line0.substr(close + 1);
    }

    const std::size_t lastDataLine = LastDataLine(input, params.EndOfDataChar);

    ds.DataText = std::make_shared<Ttf>();
    if (input.Count() > 0) input.CopyRangeTo(0, lastDataLine, true, *ds.DataText);
    const bool ok = LoadDataTF(ds, params);
    const TDSLayer& loaded = ds.Layers[ds.LoadLayer];
    if (ds.ErrorCount() == 0 && ok && CheckReadNames(ds, loaded.IndNames, NameKind::Individual, params) &&
        CheckReadNames(ds, loaded.LocNames, NameKind::Locus, params)) {
        MakeDefaultSets(ds);
        ReadSetSections(ds, lastDataLine, params);
    }
    ds.InputText.reset();

    if (ds.ErrorCount() == 0) {
        ds.DataFileName = name;
        if (ds.Layers[ds.LoadLayer].IndMask.empty()) ds.ReportError("!IndMask not initialised!");
        else if (ds.AutoWorkingCopy) ds.MakeSubsetLayer(kLoadedLayer, kWorkingLayer, 0, 0);
    }
    // Duplicate names, a bad set section or a failed working copy: no half-built data set stays.
    if (ds.ErrorCount() != 0 || !ok) return false;
    rejected.Dismiss();
    return true;
}

namespace {

// What the cleaned data block holds: its orientation, where the matrix rows start and how many
// columns a row has.
struct BlockShape {
    bool indInColumns = false;
    bool delimited = false;
    bool labels = false;    // each row starts with its name
    std::size_t rows = 0;   // matrix rows (the header line not counted)
    std::size_t first = 0;  // line of the first matrix row
    std::size_t columns = 0;
    AString columnNames;  // from the header line; empty without one
    std::size_t NInd() const { return indInColumns ? columns : rows; }
    std::size_t NLoci() const { return indInColumns ? rows : columns; }
    std::size_t LineLength() const { return indInColumns ? NInd() : NLoci(); }
};

// Line breaks, remarks, trailing delimiters, empty lines and a closing end-of-data line out of the block.
bool CleanDataBlock(TPopGenDataSet& ds, Ttf& tf, const FileParamRecord& params, const CharSet& delimiters) {
    SplitAtLineBreaks(tf);
    // An unclosed remark would silently swallow every row after it.
    if (tf.StripDelimited(params.OpenRemarkChar, params.CloseRemarkChar)) {
        ds.ReportError(kLoadFailed + ": Remark not closed in the data block");
        return false;
    }
    if (delimiters.Contains(' ')) {
        tf.CollapseSeparatorsAllLines(delimiters, ' ');
    } else {
        // Every field is written followed by the delimiter; the last one delimits nothing.
        for (std::string& line : tf.Lines)
            while (!line.empty() && delimiters.Contains(line.back())) line.pop_back();
    }
    tf.RemoveEmptyLines();
    if (tf.Count() > 0 && tf.Lines.back() == std::string(1, params.EndOfDataChar)) tf.DeleteLast();
    return true;
}

// The shape of the block, from its first line; false (reported) for a block without cells.
bool ReadBlockShape(TPopGenDataSet& ds, const Ttf& tf, const FileParamRecord& params, const CharSet& delimiters,
                    BlockShape& shape) {
    shape.indInColumns = params.IndInColumns;
    shape.delimited = params.DelimitedData;
    const bool header = shape.indInColumns ? params.IndHeader : params.LocHeader;
    shape.labels = shape.indInColumns ? params.LocHeader : params.IndHeader;
    shape.rows = tf.Count();
    if (shape.rows > 0) {
        const std::string& line0 = tf.Lines[0];
        if (header) {
            shape.columnNames = SplitAtSet(line0, delimiters);
            shape.columns = shape.columnNames.size();
            shape.rows -= 1;
            shape.first = 1;
        } else if (shape.delimited) {
            shape.columns = CountInSet(line0, delimiters) + 1 - (shape.labels ? 1 : 0);
        } else if (!shape.labels) {
            shape.columns = line0.size();
        } else {
            const std::size_t at = FirstInSet(line0, delimiters);
            if (at == std::string::npos) ds.ReportError(kLoadFailed + ": Cannot interpret input");
            else shape.columns = line0.size() - at - 1;
        }
    }
    if (shape.NLoci() == 0 || shape.NInd() == 0) {
        ds.ReportError(kLoadFailed + ": No data");
        return false;
    }
    return true;
}

// Every line is checked and turned into cell codes before the matrix is allocated, so that a
// malformed file cannot ask for a huge block. Labels, then line lengths, then characters are
// checked over all lines in turn, so a file with several faults reports the first kind.
bool TakeRowLabels(TPopGenDataSet& ds, Ttf& tf, const BlockShape& shape, const CharSet& delimiters, AString& rowNames) {
    rowNames.assign(shape.labels ? shape.rows : 0, std::string());
    if (!shape.labels) return true;
    for (std::size_t r = 0; r < shape.rows; ++r) {
        std::string& line = tf.Lines[shape.first + r];
        const std::size_t at = FirstInSet(line, delimiters);
        if (at == std::string::npos) {
            ds.ReportError(kLoadFailed + " (1): Error parsing lines");
            return false;
        }
        rowNames[r] = line.substr(0, at);
        line.erase(0, at + 1);
    }
    return true;
}

bool CheckLineLengths(TPopGenDataSet& ds, Ttf& tf, const BlockShape& shape, const CharSet& delimiters) {
    for (std::size_t r = 0; r < shape.rows; ++r) {
        std::string& line = tf.Lines[shape.first + r];
        if (shape.delimited) line = RemoveCharsInSet(line, delimiters);
        if (line.size() != shape.LineLength()) {
            ds.ReportError(kLoadFailed + " (2): Unexpected data line length" + "\r\n" + Quoted(line));
            return false;
        }
    }
    return true;
}

// The characters of the rows become cell codes in place.
bool EncodeCells(TPopGenDataSet& ds, Ttf& tf, const BlockShape& shape, const FileParamRecord& params) {
    for (std::size_t r = 0; r < shape.rows; ++r) {
        for (char& c : tf.Lines[shape.first + r]) {
            if (c == params.PresenceChar) c = static_cast<char>(kPresent);
            else if (c == params.AmbiguityChar) c = static_cast<char>(kMissing);
            else if (c == params.AbsenceChar) c = static_cast<char>(kAbsent);
            else {
                ds.ReportError(kLoadFailed + " (3): Unknown data character: " + ShownChar(c));
                return false;
            }
        }
    }
    return true;
}

// The coded rows into layer l's matrix, locus-major.
bool StoreCells(TPopGenDataSet& ds, std::size_t l, const Ttf& tf, const BlockShape& shape) {
    const std::size_t nInd = shape.NInd(), nLoci = shape.NLoci(), lineLength = shape.LineLength();
    if (!ds.AllocLayerMatrix(l, nInd, nLoci)) return false;
    TDSLayer& layer = ds.Layers[l];
    AByte cells(nInd * nLoci);
    for (std::size_t r = 0; r < shape.rows; ++r) {
        const std::string& line = tf.Lines[shape.first + r];
        std::memcpy(cells.data() + r * lineLength, line.data(), lineLength);
    }
    // Lines are rows of the file; the layer is locus-major, so individuals in rows are transposed.
    if (shape.indInColumns) layer.Matrix = std::move(cells);
    else TransposeByteMatrix(cells, layer.Matrix, nLoci, nInd);
    return true;
}

// Names from the header and the row labels; the ones the file does not give are numbered.
void StoreNames(TDSLayer& layer, const FileParamRecord& params, BlockShape& shape, AString& rowNames) {
    AString& columnTarget = shape.indInColumns ? layer.IndNames : layer.LocNames;
    AString& rowTarget = shape.indInColumns ? layer.LocNames : layer.IndNames;
    columnTarget = std::move(shape.columnNames);
    rowTarget = std::move(rowNames);
    layer.IndNames.resize(layer.NInd);
    layer.LocNames.resize(layer.NLoci);
    if (!params.IndHeader)
        for (std::size_t i = 0; i < layer.NInd; ++i) layer.IndNames[i] = "OTU" + UIntToStr(i + 1);
    if (!params.LocHeader)
        for (std::size_t l = 0; l < layer.NLoci; ++l) layer.LocNames[l] = "Locus" + UIntToStr(l + 1);
}

}  // namespace

bool LoadDataTF(TPopGenDataSet& ds, const FileParamRecord& params) {
    if (!ds.DataText) {
        ds.ReportError("LoadDataTF serious error: tf is nil");
        return false;
    }
    ds.Clear();
    const std::size_t L = ds.LoadLayer;
    Ttf& tf = *ds.DataText;
    const CharSet delimiters = MakeCharSet(params.Delimiters);
    BlockShape shape;
    AString rowNames;
    if (!CleanDataBlock(ds, tf, params, delimiters) || !ReadBlockShape(ds, tf, params, delimiters, shape) ||
        !TakeRowLabels(ds, tf, shape, delimiters, rowNames) || !CheckLineLengths(ds, tf, shape, delimiters) ||
        !EncodeCells(ds, tf, shape, params) || !StoreCells(ds, L, tf, shape))
        return RejectLoad(ds);
    TDSLayer& layer = ds.Layers[L];
    StoreNames(layer, params, shape, rowNames);
    layer.IndMask.assign(layer.NInd, 1);
    layer.LocMask.assign(layer.NLoci, 1);
    ds.DataText.reset();
    ds.CurLayer = L;
    ds.DataLoaded = true;

    if (!ReportDuplicateNames(ds, layer.IndNames, NameKind::Individual))
        ReportDuplicateNames(ds, layer.LocNames, NameKind::Locus);
    return true;
}

void MakeDefaultSets(TPopGenDataSet& ds) {
    const TDSLayer& layer = ds.Layers[ds.LoadLayer];
    TdsFilterRec all;
    all.Name = "AllData";
    all.Members = layer.IndNames;
    all.Count = layer.NInd;
    all.Mask.assign(layer.NInd, 1);
    ds.Groups.assign(1, all);
    all.Name = "AllLoci";
    all.Members = layer.LocNames;
    all.Count = layer.NLoci;
    all.Mask.assign(layer.NLoci, 1);
    ds.LocusSets.assign(1, std::move(all));
}

void ReadSetSections(TPopGenDataSet& ds, std::size_t lastDataLine, const FileParamRecord& params) {
    if (!ds.IncludeGroups || !ds.InputText) return;
    const Ttf& input = *ds.InputText;
    const struct {
        const char* title;
        TFilterArray& sets;
        SetKind kind;
    } sections[] = {{"[Groups]", ds.Groups, SetKind::Individuals}, {"[LocusSets]", ds.LocusSets, SetKind::Loci}};
    for (const auto& section : sections) {
        std::size_t start = lastDataLine + 1;
        while (start < input.Count() && !EqualsIgnoreCase(TrimBlanks(input.Lines[start]), section.title))
            ++start;
        if (start >= input.Count()) continue;  // a missing section is no error
        std::size_t end = start + 1;
        while (end < input.Count() && !EndsSection(input.Lines[end])) ++end;
        ds.DataText = std::make_shared<Ttf>();
        input.CopyRangeTo(start, end - 1, true, *ds.DataText);
        // A bad [Groups] section fails the load but does not hide what is wrong in [LocusSets].
        ReadSetDefinitions(ds, section.sets, section.kind, params);
    }
}

bool ReadSetDefinitions(TPopGenDataSet& ds, TFilterArray& sets, SetKind kind, const FileParamRecord& params) {
    if (sets.empty()) MakeDefaultSets(ds);
    if (!ds.DataText) return true;
    Ttf& tf = *ds.DataText;
    // An unclosed remark would silently swallow the sets after it.
    if (tf.StripDelimited(params.OpenRemarkChar, params.CloseRemarkChar)) {
        ds.ReportError(kLoadFailed + ": Remark not closed in " +
                       (kind == SetKind::Individuals ? "[Groups]" : "[LocusSets]"));
        ds.DataText.reset();
        return false;
    }
    tf.RemoveEmptyLines();

    const TDSLayer& layer = ds.Layers[ds.LoadLayer];
    const AString& names = kind == SetKind::Individuals ? layer.IndNames : layer.LocNames;
    std::unordered_map<std::string_view, std::size_t> index;
    index.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) index.emplace(names[i], i);  // first match wins

    static constexpr CharSet kNameJunk = MakeCharSet(" \t");
    static constexpr CharSet kMemberJunk = MakeCharSet(" \t;");
    const NameKind memberNameKind = kind == SetKind::Individuals ? NameKind::Individual : NameKind::Locus;
    const NameKind setNameKind = kind == SetKind::Individuals ? NameKind::Group : NameKind::LocusSet;
    bool first = true;  // the first definition of the section
    for (const std::string& line : tf.Lines) {
        std::string left, right;
        if (!SplitAtChar(line, '=', left, right)) continue;
        const std::string name = RemoveCharsInSet(left, kNameJunk);
        const std::string members = RemoveCharsInSet(right, kMemberJunk);
        // A set without members is saved as "name= ;": its ';' keeps it a definition, so a saved
        // selection loads again with every set. A line without even the ';' defines nothing.
        const bool noMembers = members.empty() && right.find(';') != std::string::npos;
        if (name.empty() || (members.empty() && !noMembers)) continue;
        if (!CheckReadNames(ds, AString{name}, setNameKind, params)) {
            ds.DataText.reset();
            return false;
        }
        TdsFilterRec rec;
        rec.Name = name;
        if (!noMembers) SplitByChar(members, ',', rec.Members);
        rec.Count = rec.Members.size();
        rec.Mask.assign(names.size(), 0);
        sets.push_back(std::move(rec));
        TdsFilterRec& added = sets.back();
        for (const std::string& member : added.Members) {
            const auto found = index.find(member);
            if (found == index.end()) {
                // No loaded name holds what CheckReadNames refuses: such a member is reported as refused.
                if (CheckReadNames(ds, AString{member}, memberNameKind, params))
                    ds.ReportError(MemberNotFound(kind, member));
                ds.DataText.reset();
                return false;
            }
            added.Mask[found->second] = 1;
        }
        // A file saved with its default sets lists "AllData" / "AllLoci" again as its first set; that
        // copy adds nothing to the default set the loader made. A later set of that name is one of
        // the file's own, whatever it holds: the saver writes the default set before it.
        if (first && sets.size() > 1 && added.Name == sets.front().Name && added.Mask == sets.front().Mask)
            sets.pop_back();
        first = false;
    }
    ds.DataText.reset();
    return true;
}
