#include "popgen/data/data_import.h"

#include <cmath>
#include <limits>
#include <memory>
#include <utility>

#include "foundation/char_set.h"
#include "foundation/number_text.h"
#include "foundation/scope_exit.h"
#include "foundation/strict_number.h"
#include "foundation/strings.h"
#include "foundation/text_file.h"
#include "popgen/data/data_loader.h"
#include "popgen/data/name_rules.h"

namespace {

constexpr std::size_t kQuotedLineMax = 200;

std::string Quoted(std::string_view line) { return AbbrevLeft(line, kQuotedLineMax, "", "..."); }

bool FailCleared(TPopGenDataSet& ds) {
    ds.Clear();
    ds.InputText.reset();
    ds.DataText.reset();
    return false;
}

// Clears the data set when the load is left without Dismiss: a failure, or a memory shortage
// passing through.
auto ClearedUnlessLoaded(TPopGenDataSet& ds) {
    return ScopeExit([&ds] { FailCleared(ds); });
}

// Frees the load's texts however the load is left.
auto FreeTexts(TPopGenDataSet& ds) {
    return ScopeExit([&ds] {
        ds.DataText.reset();
        ds.InputText.reset();
    });
}

constexpr CharSet kDistSeparators = MakeCharSet("\t\r\n ");

bool HoldsOnlySeparators(std::string_view line) {
    for (const char c : line)
        if (!kDistSeparators.Contains(c)) return false;
    return true;
}

// Whether the line is the end-of-data mark alone, with separators around it at most. A mark that
// also stands in numbers (a digit, '.', '-', 'e') or between them (a blank) ends no row of them.
bool IsDistEndLine(std::string_view line, char eodChar) {
    if (kDistSeparators.Contains(eodChar))
        return line.find(eodChar) != std::string_view::npos && HoldsOnlySeparators(line);
    std::size_t at = 0;
    while (at < line.size() && kDistSeparators.Contains(line[at])) ++at;
    return at < line.size() && line[at] == eodChar && HoldsOnlySeparators(line.substr(at + 1));
}

// The line that ends the distance-matrix block starting at line `from`: the first end-of-data line
// after the title and the labels (input.Count() when there is none). The title and the labels are
// text, and a name may be the end-of-data character: only the rows of numbers can end at it.
std::size_t DistBlockEnd(const Ttf& input, std::size_t from, const DistMatrixLayout& layout, char eodChar) {
    std::size_t pos = from;
    // The parser takes the title from the first non-empty line and the labels from the next one
    // that holds more than separators.
    if (layout.HasTitle) {
        while (pos < input.Count() && input.Lines[pos].empty()) ++pos;
        if (pos < input.Count()) ++pos;
    }
    if (layout.HasLabels) {
        while (pos < input.Count() && HoldsOnlySeparators(input.Lines[pos])) ++pos;
        if (pos < input.Count()) ++pos;
    }
    while (pos < input.Count() && !IsDistEndLine(input.Lines[pos], eodChar)) ++pos;
    return pos;
}

// Labels become leaf names of trees: two alike, or one with a NUL byte (the tree reader drops it,
// so "t" and "t" + NUL would be one leaf), could not be told apart there. Every other character
// is carried: the matrix has no layout of its own, so only what no place carries is refused.
bool CheckDistLabels(TPopGenDataSet& ds, const AString& labels) {
    return CheckReadNames(ds, labels, NameKind::Individual, FileParamRecord{}) &&
           !ReportDuplicateNames(ds, labels, NameKind::Individual);
}

}  // namespace

bool ImportCountData(TPopGenDataSet& ds, const std::string& name, std::uint32_t absentMax, std::uint32_t presentMin,
                     const std::string& missingText, const FileParamRecord& params) {
    auto cleared = ClearedUnlessLoaded(ds);
    ds.Clear();
    if (!OpenInputFile(ds, name)) return FailCleared(ds);
    Ttf tf = std::move(*ds.InputText);
    ds.InputText.reset();
    if (tf.Count() > 0 && !tf.Lines[0].empty() && tf.Lines[0].front() == '\t') tf.Lines[0].erase(0, 1);
    tf.FilterCharsAllLines(1, MakeCharSet(" "));
    tf.RemoveEmptyLines();
    if (tf.Count() < 2) {
        ds.ReportError("Error importing data: no count data found in file:\r\n" + name);
        return FailCleared(ds);
    }

    AString indNames;
    SplitByChar(tf.Lines[0], '\t', indNames);
    const std::size_t nInd = indNames.size();
    const std::size_t nLoci = tf.Count() - 1;
    AString locNames(nLoci);
    // Cells are checked line by line before the matrix is allocated, so a malformed file cannot
    // ask for a block larger than its own text.
    AByte cells;
    AString items;
    for (std::size_t r = 0; r < nLoci; ++r) {
        const std::string& line = tf.Lines[r + 1];
        items.clear();
        SplitByChar(line, '\t', items);
        if (items.size() != nInd + 1) {
            ds.ReportError("Error importing data (1): Unexpected data line length\r\n" + Quoted(line));
            return FailCleared(ds);
        }
        locNames[r] = items[0];
        for (std::size_t i = 1; i <= nInd; ++i) {
            const std::string& item = items[i];
            if (item == missingText) {
                cells.push_back(kMissing);
                continue;
            }
            std::uint64_t value = 0;
            if (!StrictToUInt64(item, value) || value > std::numeric_limits<std::uint32_t>::max()) {
                ds.ReportError("Error importing data (2): Not a valid number:\r\n" + Quoted(item));
                return FailCleared(ds);
            }
            std::uint8_t cell = kMissing;
            if (value <= absentMax) cell = kAbsent;
            if (value >= presentMin) cell = kPresent;
            cells.push_back(cell);
        }
    }
    // Data that could not be saved and opened again are refused here, as a data file's are.
    if (!CheckNewNames(ds, indNames, NameKind::Individual, params) ||
        !CheckNewNames(ds, locNames, NameKind::Locus, params) ||
        ReportDuplicateNames(ds, indNames, NameKind::Individual) || ReportDuplicateNames(ds, locNames, NameKind::Locus))
        return FailCleared(ds);

    const std::size_t L = ds.LoadLayer;
    if (!ds.AllocLayerMatrix(L, nInd, nLoci)) return FailCleared(ds);
    TDSLayer& layer = ds.Layers[L];
    layer.Matrix = std::move(cells);  // line order is locus order, the layer's own
    layer.IndNames = std::move(indNames);
    layer.LocNames = std::move(locNames);
    ds.CurLayer = L;
    ds.DataLoaded = true;
    MakeDefaultSets(ds);
    layer.IndMask.assign(nInd, 1);
    layer.LocMask.assign(nLoci, 1);
    const std::size_t errors = ds.ErrorCount();
    if (ds.AutoWorkingCopy) ds.MakeSubsetLayer(kLoadedLayer, kWorkingLayer, 0, 0);
    if (ds.ErrorCount() != errors) return FailCleared(ds);
    cleared.Dismiss();
    return true;
}

bool LoadDataFromText(TPopGenDataSet& ds, const std::string& text, const FileParamRecord& params) {
    auto cleared = ClearedUnlessLoaded(ds);
    ds.MarkErrors();
    ds.DataText = std::make_shared<Ttf>();
    ds.DataText->Add(text);
    const bool ok = LoadDataTF(ds, params);
    // Unlike a data file's, these names have never been in a data file: they must fit one.
    if (ds.ErrorCount() == 0 && ok && CheckNewNames(ds, ds.Layers[ds.LoadLayer].IndNames, NameKind::Individual, params))
        CheckNewNames(ds, ds.Layers[ds.LoadLayer].LocNames, NameKind::Locus, params);
    if (ds.ErrorCount() == 0) {
        if (ok) MakeDefaultSets(ds);
        if (ds.AutoWorkingCopy) ds.MakeSubsetLayer(kLoadedLayer, kWorkingLayer, 0, 0);
    }
    if (ds.ErrorCount() != 0) return FailCleared(ds);
    if (ok) cleared.Dismiss();
    return ok;
}

bool ImportDistMatrix(TPopGenDataSet& ds, const std::string& name, const DistMatrixLayout& layout, char eodChar) {
    const auto texts = FreeTexts(ds);
    ds.MarkErrors();
    if (!OpenInputFile(ds, name)) return false;
    const Ttf& input = *ds.InputText;
    ds.DataText = std::make_shared<Ttf>();
    const std::size_t eod = DistBlockEnd(input, 0, layout, eodChar);
    if (eod > 0) input.CopyRangeTo(0, eod - 1, true, *ds.DataText);
    return LoadDissimMatrixTF(ds, name, layout, true);
}

bool LoadDissimMatrix(TPopGenDataSet& ds, const std::string& name, const DistMatrixLayout& layout, char eodChar) {
    if (!OpenInputFile(ds, name)) return false;
    ds.Layers[ds.BaseLayer()].KeepMatrixList = true;
    const std::size_t errors = ds.ErrorCount();
    const Ttf& input = *ds.InputText;
    std::size_t read = 0;
    for (std::size_t pos = 0; pos < input.Count();) {
        const std::size_t eod = DistBlockEnd(input, pos, layout, eodChar);
        ds.DataText = std::make_shared<Ttf>();
        if (eod > pos) input.CopyRangeTo(pos, eod - 1, true, *ds.DataText);
        const bool ok = LoadDissimMatrixTF(ds, name, layout, false);
        ds.DataText.reset();
        if (!ok) break;
        ++read;
        pos = eod + 1;
    }
    ds.InputText.reset();
    // A block left empty after the last matrix (blank lines behind the last end-of-data line) ends
    // the series without making it a failure.
    return read > 0 && ds.ErrorCount() == errors;
}

bool LoadDissimMatrixTF(TPopGenDataSet& ds, const std::string& name, const DistMatrixLayout& layout, bool reportEmpty) {
    (void)name;
    if (ds.ValueSize == 0) {
        ds.ReportError("lExt not set");
        return false;
    }
    if (!ds.DataText) {
        ds.ReportError("LoadDissimMatrixTF serious error: tf is nil");
        return false;
    }
    Ttf& tf = *ds.DataText;
    tf.RemoveEmptyLines();
    const auto reportNoMatrix = [&] {
        if (reportEmpty) ds.ReportError("Could not find distance matrix to load");
        return false;
    };
    if (tf.Count() == 0) return reportNoMatrix();
    if (!(layout.F1 && layout.F2 && !layout.F4 && !layout.F5 && !layout.F6)) {
        ds.ReportError("REQUESTED PARAMETERS FOR LOADDISSIMMATRIXTF CURRENTLY NOT IMPLEMENTED");
        return false;
    }

    std::string title;
    if (layout.HasTitle) {
        title = tf.Lines[0];
        tf.Delete(0);
    }
    for (std::string& line : tf.Lines) CollapseSeparators(line, kDistSeparators, ' ', true);
    tf.RemoveEmptyLines();

    AString labels;
    std::size_t firstRow = 0;
    if (layout.HasLabels) {
        if (tf.Count() == 0) return reportNoMatrix();
        SplitByChar(tf.Lines[0], ' ', labels);
        firstRow = 1;
        if (tf.Count() - 1 != labels.size()) {
            ds.ReportError("Labels and apparent number of matrix entries do not match");
            return false;
        }
        if (!CheckDistLabels(ds, labels)) return false;
    } else {
        if (tf.Count() == 0) return reportNoMatrix();
        labels.resize(tf.Count());
        FillLabels(labels, "Ind", "");
    }
    const std::size_t n = labels.size();

    TDSLayer& layer = ds.Layers[ds.LoadLayer];
    if (layer.KeepMatrixList && !layer.IndNames.empty() && layer.IndNames != labels) {
        ds.ReportError("Individual label lists do not agree");
        return false;
    }

    PackedMatrix values;
    AString items;
    for (std::size_t r = 1; r <= n; ++r) {
        const std::string& line = tf.Lines[firstRow + r - 1];
        items.clear();
        SplitByChar(line, ' ', items);
        if (items.size() != r) {
            ds.ReportError("Elements found in line do not match number of expected elements (" + UIntToStr(r) +
                           "):" + "\r\n" + Quoted(line));
            return false;
        }
        for (const std::string& item : items) {
            Extended v = 0.0L;
            // Beyond double range a finite distance cannot reach R or the other programs' formats.
            if (!StrictToMatrixValue(item, v) || (std::isfinite(v) && std::fabs(v) > std::numeric_limits<double>::max())) {
                ds.ReportError("Not a valid number:\r\n" + Quoted(item));
                return false;
            }
            values.push_back(v);
        }
    }

    if (layer.KeepMatrixList) {
        if (layer.MatrixList.empty()) {
            layer.DistMatrix = values;
            layer.NInd = n;
            layer.IndNames = labels;
        }
        layer.MatrixList.push_back(TLabelledPtr{std::move(values), title});
    } else {
        layer.DistMatrix = std::move(values);
        layer.NInd = n;
        layer.IndNames = std::move(labels);
        layer.Name = title;
    }
    ds.DataLoaded = true;
    ds.CurLayer = ds.LoadLayer;
    return true;
}
