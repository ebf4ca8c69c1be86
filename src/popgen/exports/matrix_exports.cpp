#include "popgen/exports/matrix_exports.h"

#include <set>
#include <string_view>

#include "foundation/number_text.h"
#include "foundation/text_file.h"
#include "popgen/exports/export_support.h"

namespace {

// A field of a tab-delimited table that R reads back as it stands (read.delim quotes with '"').
bool IsTableChar(char c) { return c != '\t' && c != '\r' && c != '\n' && c != '"'; }

}  // namespace

bool ExportSynTax(TPopGenDataSet& ds, const std::string& fileName) {
    const TDSLayer& layer = ds.GetCurrLayer();
    if (!BandCellsValid(ds, layer, "Data Error. Could not complete saving of data file")) return false;
    Ttf data;
    data.Add("TESK_Data");
    data.Add(UIntToStr(layer.NLoci) + " " + UIntToStr(layer.NInd));
    for (std::size_t l = 1; l <= layer.NLoci; ++l) {
        std::string row;
        for (std::size_t i = 1; i <= layer.NInd; ++i) row += CellSymbol(layer.Cell(i, l), "1 ", "0 ", "-1 ");
        data.Add(std::move(row));
    }
    data.Add("");
    if (!SaveExportFile(ds, data, fileName)) return false;

    if (layer.IndNames.empty()) {
        ds.ReportError("No individual names. Could not export indiv labels");
        return false;
    }
    Ttf indLabels;
    indLabels.Add(UIntToStr(layer.IndNames.size()));
    indLabels.AddStrings(layer.IndNames);
    if (!SaveExportFile(ds, indLabels, DerivedFileName(fileName, "_indivlabels"))) return false;

    if (layer.LocNames.empty()) {
        ds.ReportError("No locus names. Could not export  locus labels");
        return false;
    }
    Ttf locLabels;
    locLabels.Add(UIntToStr(layer.LocNames.size()));
    locLabels.AddStrings(layer.LocNames);
    return SaveExportFile(ds, locLabels, DerivedFileName(fileName, "_rowlabels"));
}

bool ExportNTSYS(TPopGenDataSet& ds, const std::string& fileName) {
    const TDSLayer& layer = ds.GetCurrLayer();
    if (!BandCellsValid(ds, layer, "Data Error. Could not complete genepop export of data file")) return false;
    ExportNames fit("NTSYSpc", IsTokenChar);
    Ttf tf;
    tf.Add("\"TESK exported data");
    tf.Add("1 " + UIntToStr(layer.NLoci) + "L " + UIntToStr(layer.NInd) + "L 1 -9");
    std::string line;
    for (const std::string& name : layer.LocNames) line += fit.Fit(name) + " ";
    tf.Add(std::move(line));
    line.clear();
    for (const std::string& name : layer.IndNames) line += fit.Fit(name) + " ";
    tf.Add(std::move(line));
    for (std::size_t l = 1; l <= layer.NLoci; ++l) {
        std::string row;
        for (std::size_t i = 1; i <= layer.NInd; ++i) row += CellSymbol(layer.Cell(i, l), "1  ", "0  ", "-9 ");
        tf.Add(std::move(row));
    }
    fit.Report(ds);
    return SaveExportFile(ds, tf, fileName);
}

bool ExportRTable(TPopGenDataSet& ds, const std::string& fileName) {
    const TDSLayer& layer = ds.GetCurrLayer();
    if (!BandCellsValid(ds, layer, "Data Error. Could not complete export to R table file")) return false;
    ExportNames fit("R table", IsTableChar);
    Ttf tf;
    std::string header;
    for (std::size_t i = 0; i < layer.IndNames.size(); ++i) header += (i > 0 ? "\t" : "") + fit.Fit(layer.IndNames[i]);
    tf.Add(std::move(header));
    for (std::size_t l = 1; l <= layer.NLoci; ++l) {
        std::string row = l <= layer.LocNames.size() ? fit.Fit(layer.LocNames[l - 1]) : std::string();
        for (std::size_t i = 1; i <= layer.NInd; ++i) {
            row += '\t';
            row += CellSymbol(layer.Cell(i, l), "1", "0", "NA");
        }
        tf.Add(std::move(row));
    }
    fit.Report(ds);
    return SaveExportFile(ds, tf, fileName);
}

bool ExportPhylipDistMatrix(TPopGenDataSet& ds, const std::string& fileName) {
    const TDSLayer& layer = ds.GetCurrLayer();
    const std::size_t n = layer.IndNames.empty() ? layer.NInd : layer.IndNames.size();
    if (layer.DistMatrix.empty() || layer.DistMatrix.size() != PackedSize(n)) {
        ds.ReportError("No distance matrix in memory. Could not export phylip matrix");
        return false;
    }
    if (layer.IndNames.empty()) {
        ds.ReportError("No individual names. Could not export phylip matrix");
        return false;
    }
    ExportNames fit("PHYLIP", IsTokenChar, kPhylipNameLength);
    Ttf tf;
    tf.Add(UIntToStr(n));
    std::set<std::string> seen;
    AString clashes;
    for (std::size_t i = 1; i <= n; ++i) {
        std::string row = fit.Fit(layer.IndNames[i - 1]);
        if (!seen.insert(row).second) clashes.push_back(row);
        row.resize(kPhylipNameLength, ' ');
        for (std::size_t j = 1; j <= n; ++j) row += " " + ExtToStrF(layer.DistMatrix[PairIndex(i, j)], 11, 10);
        tf.Add(std::move(row));
    }
    fit.Report(ds);
    if (!clashes.empty()) {
        std::string text =
            "These names are the same in the first " + UIntToStr(kPhylipNameLength) + " characters that PHYLIP reads:";
        for (const std::string& name : clashes) text += "\r\n\"" + name + "\"";
        ds.ReportWarning(text);
    }
    return SaveExportFile(ds, tf, fileName);
}

bool ExportOTUList(TPopGenDataSet& ds, const std::string& fileName) {
    const TDSLayer& layer = ds.GetCurrLayer();
    if (layer.IndNames.empty()) {
        ds.ReportError("No individual names. Could not export OTU list");
        return false;
    }
    Ttf tf;
    tf.AddStrings(layer.IndNames);
    return SaveExportFile(ds, tf, fileName);
}
