#include "popgen/nexus_export.h"

#include <string_view>

#include "foundation/number_text.h"
#include "foundation/text_file.h"
#include "popgen/export_support.h"

namespace {

constexpr std::string_view kNexusPunctuation = "()[]{}/\\,;:=*'\"`<>";

void AddTaxaBlock(Ttf& tf, const AString& names) {
    tf.Add("BEGIN TAXA;");
    tf.Add("DIMENSIONS NTAX= " + UIntToStr(names.size()) + ";");
    tf.Add("TAXLABELS");
    for (const std::string& name : names) tf.Add(name);
    tf.Add(";");
    tf.Add("END;");
    tf.Add("");
}

}  // namespace

bool IsNexusNameChar(char c) { return IsTokenChar(c) && kNexusPunctuation.find(c) == std::string_view::npos; }

bool ExportNexus(TPopGenDataSet& ds, const std::string& fileName, char presence, char missing, char absence) {
    const TDSLayer& layer = ds.GetCurrLayer();
    if (layer.IndNames.empty()) {
        ds.ReportError("No individual names. Could not export to .nex");
        return false;
    }
    if (!BandCellsValid(ds, layer, "Data Error. Could not complete saving of data file(2)")) return false;
    const std::size_t n = layer.NInd;
    const std::size_t loci = layer.NLoci;
    ExportNames fit("NEXUS", IsNexusNameChar);
    const AString names = fit.FitAll(layer.IndNames);

    Ttf tf;
    tf.Add("#NEXUS");
    AddTaxaBlock(tf, names);
    if (ds.Ask("Export data as CHARACTERS block? The alternative is a DATA block?", "Data export", 4) ==
        kAnswerYes) {
        tf.Add("BEGIN CHARACTERS;");
        tf.Add("DIMENSIONS NCHAR= " + UIntToStr(loci) + ";");
    } else {
        tf.Add("BEGIN DATA;");
        tf.Add("DIMENSIONS NTAX= " + UIntToStr(n) + " NCHAR= " + UIntToStr(loci) + ";");
    }
    const bool standard = ds.Ask("Set nexus datatype to STANDARD? The alternative is RESTRICTION (not recognised by PAUP*)?",
                                 "DataType", 4) == kAnswerYes;
    tf.Add(std::string("FORMAT DATATYPE= ") + (standard ? "STANDARD" : "RESTRICTION") + " MISSING= " + missing +
           " INTERLEAVE;");
    tf.Add("MATRIX");
    const std::string p(1, presence), a(1, absence), m(1, missing);
    for (std::size_t i = 1; i <= n; ++i) {
        std::string row = names[i - 1] + " ";
        row.reserve(row.size() + loci);
        for (std::size_t l = 1; l <= loci; ++l) row += CellSymbol(layer.Cell(i, l), p, a, m);
        tf.Add(std::move(row));
    }
    tf.Add(";");
    tf.Add("END;");
    tf.Add("");

    if (!layer.DistMatrix.empty() && layer.DistMatrix.size() == PackedSize(n) &&
        ds.Ask("You have an active (dis)similarity matrix.\r\nDo you wish to export the distance matrix?",
               "Nexus Data Export", 4) == kAnswerYes) {
        tf.Add("BEGIN DISTANCES;");
        tf.Add("DIMENSIONS NTAX=" + UIntToStr(n) + ";");
        tf.Add("FORMAT TRIANGLE=LOWER DIAGONAL NOLABELS;");
        tf.Add("MATRIX");
        for (std::size_t i = 1; i <= n; ++i) {
            std::string row;
            for (std::size_t j = 1; j <= i; ++j) row += ExtToStrF(layer.DistMatrix[PairIndex(i, j)], 11, 10) + " ";
            tf.Add(std::move(row));
        }
        tf.Add(";");
        tf.Add("END;");
        tf.Add("");
    }
    fit.Report(ds);
    return SaveExportFile(ds, tf, fileName);
}
