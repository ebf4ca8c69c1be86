#include "popgen/popgen_exports.h"

#include <string_view>

#include "foundation/number_text.h"
#include "foundation/text_file.h"
#include "popgen/export_support.h"

namespace {

bool IsTableChar(char c) { return c != '\t' && c != '\r' && c != '\n' && c != '"'; }

}  // namespace

bool IsGenePopNameChar(char c) { return c != ',' && c != '\r' && c != '\n' && c != '\t'; }

bool ExportGenePop(TPopGenDataSet& ds, const std::string& fileName, bool absentAsHomozygote) {
    const TDSLayer& layer = ds.GetCurrLayer();
    if (!BandCellsValid(ds, layer, "Data Error. Could not complete genepop export of data file")) return false;
    ExportNames fit("GenePop", IsGenePopNameChar);
    Ttf tf;
    tf.Add("TESK exported data");
    std::string loci;
    for (std::size_t l = 0; l < layer.LocNames.size(); ++l) loci += (l > 0 ? ", " : "") + fit.Fit(layer.LocNames[l]);
    tf.Add(std::move(loci));
    tf.Add("POP");
    const std::string_view absent = absentAsHomozygote ? "0202 " : "0200 ";
    for (std::size_t i = 1; i <= layer.NInd; ++i) {
        std::string row = layer.IndNames.empty() ? std::string() : fit.Fit(layer.IndNames[i - 1]) + ", ";
        for (std::size_t l = 1; l <= layer.NLoci; ++l) row += CellSymbol(layer.Cell(i, l), "0100 ", absent, "0000 ");
        tf.Add(std::move(row));
    }
    fit.Report(ds);
    return SaveExportFile(ds, tf, fileName);
}

bool ExportAFLPDat(TPopGenDataSet& ds, const std::string& fileName, bool withPopulation) {
    const TDSLayer& layer = ds.GetCurrLayer();
    if (!BandCellsValid(ds, layer, "Data Error. Could not complete export to AFLPDat data file")) return false;
    ExportNames fit("AFLPDat", IsTableChar);
    Ttf tf;
    std::string header = withPopulation ? "x\tpop" : "x";
    for (const std::string& name : layer.LocNames) header += "\t" + fit.Fit(name);
    tf.Add(std::move(header));
    for (std::size_t i = 1; i <= layer.NInd; ++i) {
        const std::string name = layer.IndNames.empty() ? UIntToStr(i) : layer.IndNames[i - 1];
        std::string row = fit.Fit(name);
        if (withPopulation) {
            const std::size_t g = layer.IndNames.empty() ? 0 : ds.FindIndGroup(name);
            row += "\t" + fit.Fit(g < ds.Groups.size() ? ds.Groups[g].Name : std::string("AllData"));
        }
        for (std::size_t l = 1; l <= layer.NLoci; ++l) {
            row += '\t';
            row += CellSymbol(layer.Cell(i, l), "1", "0", "NA");
        }
        tf.Add(std::move(row));
    }
    fit.Report(ds);
    return SaveExportFile(ds, tf, fileName);
}
