#include "popgen/exports/nexus_export.h"

#include <string_view>

#include "foundation/number_text.h"
#include "foundation/text_file.h"
#include "popgen/exports/export_support.h"
#include "popgen/data/group_levels.h"

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
    // Both blocks and both data types write the file: a box closed without an answer chose neither,
    // and nothing is written.
    const int block =
        ds.Ask("Export data as CHARACTERS block? The alternative is a DATA block?", "Data export", kQuestionYesNo);
    if (!UserChose(block)) return false;
    if (block == kAnswerYes) {
        tf.Add("BEGIN CHARACTERS;");
        tf.Add("DIMENSIONS NCHAR= " + UIntToStr(loci) + ";");
    } else {
        tf.Add("BEGIN DATA;");
        tf.Add("DIMENSIONS NTAX= " + UIntToStr(n) + " NCHAR= " + UIntToStr(loci) + ";");
    }
    const int dataType =
        ds.Ask("Set nexus datatype to STANDARD? The alternative is RESTRICTION (not recognised by PAUP*)?", "DataType",
               kQuestionYesNo);
    if (!UserChose(dataType)) return false;
    const bool standard = dataType == kAnswerYes;
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
        UserAgreed(ds.Ask("You have an active (dis)similarity matrix.\r\nDo you wish to export the distance matrix?",
                          "Nexus Data Export", kQuestionYesNo))) {
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

bool ExportHickory(TPopGenDataSet& ds, const std::string& fileName, char missing) {
    const std::size_t levels = GroupLevels(ds);
    if (levels <= 1) {
        ds.ReportError("You need to have groups (i.e., populations) defined.");
        return false;
    }
    if (levels > 2)
        ds.Ask(
            "You have more than one level of groups defined.\r\nOnly the first (highest) level of hierarchy will be "
            "exported.",
            "Export to Nexus for Hickory", kMessageOk);
    const std::size_t populations = CountGroupsAtLevel(ds, 2);
    const TDSLayer& layer = ds.GetCurrLayer();
    if (layer.IndNames.empty()) {
        ds.ReportError("No individual names. Could not export to .nex");
        return false;
    }
    if (!BandCellsValid(ds, layer, "Data Error. Could not complete saving of nex data file")) return false;
    ExportNames fit("NEXUS", IsNexusNameChar);
    AbsentMembers absent;
    Ttf tf;
    tf.Add("#NEXUS");
    tf.Add("[TESK exported data]");
    AddTaxaBlock(tf, fit.FitAll(layer.IndNames));
    tf.Add("BEGIN ALLELES;");
    tf.Add("DIMENSIONS NEWPOPS NLOCI= " + UIntToStr(layer.NLoci) + " NPOPS= " + UIntToStr(populations) + ";");
    tf.Add("DOMINANT;");
    tf.Add(std::string("FORMAT LABELS MISSING=") + missing + ";");
    tf.Add("MATRIX");
    const std::string m = std::string(1, missing) + " ";
    std::size_t k = 0;
    for (std::size_t g = 0; g < ds.Groups.size(); ++g) {
        if (GroupLevel(ds, static_cast<std::uint32_t>(g)) != 2) continue;
        ++k;
        const TdsFilterRec& group = ds.Groups[g];
        tf.Add(fit.Fit(StrAfterLastSlash(group.Name)) + ":");
        bool wroteMember = false;
        for (const std::string& member : group.Members) {
            const std::size_t i = IndIndexByName(ds, member);
            if (i == 0) {
                absent.Add(member);
                continue;
            }
            std::string row = fit.Fit(member) + " ";
            for (std::size_t l = 1; l <= layer.NLoci; ++l) row += CellSymbol(layer.Cell(i, l), "1 ", "0 ", m);
            tf.Add(std::move(row));
            wroteMember = true;
        }
        if (!wroteMember) tf.Add("");
        tf.AppendToLast(k == populations ? ";" : ",");
    }
    tf.Add("END;");
    fit.Report(ds);
    absent.Report(ds, "Hickory");
    return SaveExportFile(ds, tf, fileName);
}
