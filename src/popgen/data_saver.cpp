#include "popgen/data_saver.h"

#include <memory>
#include <unordered_map>

#include "foundation/file_io.h"
#include "foundation/number_text.h"
#include "foundation/scope_exit.h"
#include "foundation/strings.h"
#include "foundation/text_file.h"
#include "popgen/data_loader.h"

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
    const TDSLayer& base = ds.Layers[0];
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

}  // namespace

std::string CellText(std::span<const std::uint8_t> matrix, std::size_t nInd, std::size_t locus,
                     std::size_t ind, const FileParamRecord& params, bool& invalid) {
    switch (matrix[locus * nInd + ind]) {
        case kAbsent: return std::string(1, params.AbsenceChar);
        case kPresent: return std::string(1, params.PresenceChar);
        case kMissing:
            if (params.DelimitedData == 1 && params.AmbiguityNegative == 1)
                return std::string("-") + params.AmbiguityChar;
            return std::string(1, params.AmbiguityChar);
        default: invalid = true; return std::string(1, params.InvalidStateChar);
    }
}

void WriteSetSection(TPopGenDataSet& ds, const TFilterArray& sets, std::string_view title, bool writeDefaults,
                     std::string_view closing) {
    std::size_t from = 0;
    if (!writeDefaults && !sets.empty() && (sets[0].Name == "AllData" || sets[0].Name == "AllLoci")) from = 1;
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
    const bool indInColumns = params.IndInColumns == 1;
    const std::size_t rows = indInColumns ? layer.NLoci : layer.NInd;
    const std::size_t columns = indInColumns ? layer.NInd : layer.NLoci;
    const AString& rowNames = indInColumns ? locNames : indNames;
    const AString& columnNames = indInColumns ? indNames : locNames;
    const bool writeColumnNames = (indInColumns ? params.IndHeader : params.LocHeader) == 1;
    const bool writeRowLabels = (indInColumns ? params.LocHeader : params.IndHeader) == 1;
    const char d = FieldDelimiter(params);

    // The file text is built in memory first and let go however the save ends.
    ScopeExit freeText([&ds] { ds.DataText.reset(); });
    ds.DataText = std::make_shared<Ttf>();
    Ttf& tf = *ds.DataText;
    tf.AddEmpty(writeColumnNames ? rows + 2 : rows + 1);
    tf.Lines[0] = specLine;
    std::size_t line = 0;
    if (writeColumnNames) {
        for (const std::string& n : columnNames) (tf.Lines[0] += n) += d;
        line = 1;
    }
    bool invalid = false;
    for (std::size_t r = 0; r < rows; ++r) {
        std::string& out = tf.Lines[line + r];
        if (writeRowLabels) (out += rowNames[r]) += d;
        for (std::size_t c = 0; c < columns; ++c) {
            const std::size_t locus = indInColumns ? r : c;
            const std::size_t ind = indInColumns ? c : r;
            out += CellText(layer.Matrix, layer.NInd, locus, ind, params, invalid);
            if (params.DelimitedData == 1) out += d;
        }
    }
    tf.Lines[line + rows] = std::string(1, params.EndOfDataChar);
    if (invalid) ds.ReportError("Data Inconsitency Error.");

    if (params.IncludeGroups == 1) {
        const bool indNamesWritten = (indInColumns ? writeColumnNames : writeRowLabels);
        const bool locNamesWritten = (indInColumns ? writeRowLabels : writeColumnNames);
        const bool defaults = params.WriteDefaultSets == 1;
        WriteSetSection(ds, SetsWithin(ds.Groups, indNames, FileNames(indNames, indNamesWritten, SetKind::Individuals)),
                        "[Groups]", defaults, "*");
        WriteSetSection(ds, SetsWithin(ds.LocusSets, locNames, FileNames(locNames, locNamesWritten, SetKind::Loci)),
                        "[LocusSets]", defaults, "*");
    }
    const int rc = tf.SaveToFile(name, append);
    if (rc != 0) {
        ds.ReportError("Could not save the data to file:\r\n" + name + "\r\n" + FileErrorText(rc));
        return false;
    }
    return true;
}
