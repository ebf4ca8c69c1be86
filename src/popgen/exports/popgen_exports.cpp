#include "popgen/exports/popgen_exports.h"

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

#include "foundation/number_text.h"
#include "foundation/text_file.h"
#include "popgen/exports/export_support.h"
#include "popgen/data/filters.h"
#include "popgen/data/group_levels.h"

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

namespace {

std::string Enclosed(const std::string& text) { return "\"" + text + "\""; }

// Characters an Arlequin name may hold: names are blank-separated, sample names quoted.
bool IsArlequinNameChar(char c) { return IsTokenChar(c) && c != '"'; }

}  // namespace

bool ExportArlequin(TPopGenDataSet& ds, const std::string& fileName, char missing) {
    const std::size_t levels = GroupLevels(ds);
    if (levels <= 1) {
        ds.ReportError("To export an Arlequin Project, you need to have groups defined!");
        return false;
    }
    if (levels > 3) ds.ReportWarning("Only first 3 levels of your grouping hierarchy can be exported");
    bool twoLevels = false;
    if (levels > 2) {
        const int answer = ds.Ask(
            "Do you wish to use the first level of hierarchical structure only?\r\nAlternatively, [clicking no], "
            "the first two levels will be used.",
            "Export to Arlequin", kQuestionYesNo);
        if (!UserChose(answer)) return false;  // neither level chosen: nothing written
        twoLevels = answer == kAnswerNo;
    }
    const TDSLayer& layer = ds.GetCurrLayer();
    if (layer.IndNames.empty()) {
        ds.Ask("Cannot write Arlequin Project file: No individual names defined", "Error", kMessageOk);
        return false;
    }
    if (!BandCellsValid(ds, layer, "Data Error. Could not complete saving of data file (ARP)")) return false;
    const std::uint8_t sampleLevel = twoLevels ? 3 : 2;
    ExportNames fit("Arlequin", IsArlequinNameChar);
    AbsentMembers absent;
    const std::string m = std::string(1, missing) + " ";

    Ttf tf;
    tf.Add("[Profile]");
    tf.Add(" Title=" + Enclosed("TESK Data"));
    tf.Add(" NbSamples=" + UIntToStr(CountGroupsAtLevel(ds, sampleLevel)));
    tf.Add(" GenotypicData=0");
    tf.Add(" DataType=RFLP");
    tf.Add(" LocusSeparator=NONE");
    tf.Add(" MissingData=" + Enclosed(std::string(1, missing)));
    tf.Add(" CompDistMatrix=1");
    tf.Add("");
    tf.Add("[Data]");
    tf.Add(" [[HaplotypeDefinition]]");
    tf.Add("  HaplListName=" + Enclosed("List of fingerprint phenotypes"));
    tf.Add("  HaplList={");
    const AString haplotypes = fit.FitAll(layer.IndNames);
    for (std::size_t i = 1; i <= layer.NInd; ++i) {
        std::string row = "  " + haplotypes[i - 1] + " ";
        for (std::size_t l = 1; l <= layer.NLoci; ++l) row += CellSymbol(layer.Cell(i, l), "1 ", "0 ", m);
        tf.Add(std::move(row));
    }
    tf.Add("  }");
    tf.Add("");
    tf.Add(" [[Samples]]");
    tf.Add("");
    for (std::size_t g = 0; g < ds.Groups.size(); ++g) {
        if (GroupLevel(ds, static_cast<std::uint32_t>(g)) != sampleLevel) continue;
        const TdsFilterRec& group = ds.Groups[g];
        AString members;
        for (const std::string& member : group.Members) {
            if (IndIndexByName(ds, member) == 0) absent.Add(member);
            else members.push_back("  " + fit.Fit(member) + " 1");
        }
        tf.Add("  SampleName=" + Enclosed(fit.Fit(StrAfterLastSlash(group.Name))));
        tf.Add("  SampleSize=" + UIntToStr(members.size()));
        tf.Add("  SampleData={");
        tf.AddStrings(std::move(members));
        tf.Add("  }");
        tf.Add("");
    }
    tf.Add(" [[Structure]]");
    tf.Add("  StructureName=" + Enclosed("AllData"));
    if (!twoLevels) {
        tf.Add("  NbGroups=1");
        tf.Add("  Group={");
        for (std::size_t g = 0; g < ds.Groups.size(); ++g)
            if (GroupLevel(ds, static_cast<std::uint32_t>(g)) == 2)
                tf.Add("  " + Enclosed(fit.Fit(StrAfterLastSlash(ds.Groups[g].Name))));
        tf.Add("  }");
        tf.Add("");
    } else {
        tf.Add("  NbGroups=" + UIntToStr(CountGroupsAtLevel(ds, 2)));
        for (std::size_t g = 0; g < ds.Groups.size(); ++g) {
            if (GroupLevel(ds, static_cast<std::uint32_t>(g)) != 2) continue;
            // A sample belongs under its own parent only: "AllData/A" does not hold "AllData/AB/x".
            const std::string prefix = ds.Groups[g].Name + "/";
            tf.Add("  Group={");
            for (std::size_t s = 0; s < ds.Groups.size(); ++s)
                if (GroupLevel(ds, static_cast<std::uint32_t>(s)) == 3 && ds.Groups[s].Name.starts_with(prefix))
                    tf.Add("  " + Enclosed(fit.Fit(StrAfterLastSlash(ds.Groups[s].Name))));
            tf.Add("  }");
            tf.Add("");
        }
    }
    fit.Report(ds);
    absent.Report(ds, "Arlequin");
    return SaveExportFile(ds, tf, fileName);
}

bool ExportStructure(TPopGenDataSet& ds, const std::string& fileName, bool withPopulation, std::uint8_t ploidy) {
    if (withPopulation && GroupLevels(ds) <= 1) {
        ds.ReportWarning("Cannot find population information to export. Ignoring requested parameter.");
        withPopulation = false;
    }
    if (ploidy == 0) ploidy = 1;
    const TDSLayer& layer = ds.GetCurrLayer();
    if (!BandCellsValid(ds, layer, "Data Error. Could not complete structure export of data file")) return false;
    ExportNames fit("Structure", IsTokenChar);
    Ttf tf;
    std::string line;
    for (const std::string& name : layer.LocNames) line += fit.Fit(name) + " ";
    tf.Add(std::move(line));
    line.clear();
    for (std::size_t l = 0; l < layer.NLoci; ++l) line += "0 ";
    tf.Add(std::move(line));
    for (std::size_t i = 1; i <= layer.NInd; ++i) {
        std::string row = layer.IndNames.empty() ? std::string() : fit.Fit(layer.IndNames[i - 1]) + " ";
        if (withPopulation) row += UIntToStr(layer.IndNames.empty() ? 0 : ds.FindIndGroup(layer.IndNames[i - 1])) + " ";
        for (std::size_t l = 1; l <= layer.NLoci; ++l) row += CellSymbol(layer.Cell(i, l), "1 ", "0 ", "-9 ");
        for (std::uint8_t k = 0; k < ploidy; ++k) tf.Add(row);
    }
    fit.Report(ds);
    return SaveExportFile(ds, tf, fileName);
}

AString AFLPOPFileNames(const TPopGenDataSet& ds, const std::string& baseName) {
    AString shortNames;
    for (std::size_t g = 1; g < ds.Groups.size(); ++g) shortNames.push_back(StrAfterLastSlash(ds.Groups[g].Name));
    const std::size_t slash = baseName.find_last_of('/');
    const std::size_t dot = baseName.find_last_of('.');
    const bool hasDot = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    AString names;
    for (std::size_t k = 0; k < shortNames.size(); ++k) {
        std::string part = shortNames[k];
        if (std::count(shortNames.begin(), shortNames.end(), part) > 1) {
            part = ds.Groups[k + 1].Name;
            std::replace(part.begin(), part.end(), '/', '_');
        }
        names.push_back(hasDot ? DerivedFileName(baseName, part) : baseName + part);
    }
    return names;
}

bool ExportAFLPOP(TPopGenDataSet& ds, const std::string& baseName, Extended replaceFraction, RandomStream& random) {
    if (ds.Groups.size() <= 1) {
        ds.ReportError("No groups defined");
        return false;
    }
    const bool switched = ds.CurLayer > kWorkingLayer;
    if (switched) ds.ReportWarning("Switching to AllData");
    const AString fileNames = AFLPOPFileNames(ds, baseName);
    std::vector<std::pair<std::string, Ttf>> files;
    AString skipped;
    ExportNames fit("AFLPOP", IsTableChar);
    bool dataError = false;
    {
        const SelectionKeeper keep(ds);
        constexpr std::size_t kGroupLayer = kExportLayer;
        const std::size_t locusSet = ds.CurLocusSet;
        const TDSLayer& whole = ds.Layers[kWorkingLayer];
        for (std::size_t g = 1; g < ds.Groups.size(); ++g) {
            const TdsFilterRec& group = ds.Groups[g];
            bool hasIndividuals = false;
            for (std::size_t i = 0; i < group.Mask.size() && i < whole.IndMask.size(); ++i)
                if (group.Mask[i] == 1 && whole.IndMask[i] == 1) hasIndividuals = true;
            if (!hasIndividuals) {
                skipped.push_back(group.Name);
                continue;
            }
            if (!ds.MakeSubsetLayer(kWorkingLayer, kGroupLayer, g, locusSet) ||
                !ReplaceMissingData(ds, kGroupLayer, replaceFraction, random))
                return false;
            const TDSLayer& layer = ds.Layers[kGroupLayer];
            Ttf tf;
            std::string header = "Num\tLoc ID";
            for (const std::string& name : layer.IndNames) header += "\t" + fit.Fit(name);
            tf.Add(std::move(header));
            for (std::size_t l = 1; l <= layer.NLoci; ++l) {
                std::string row =
                    UIntToStr(l) + "\t" + (l <= layer.LocNames.size() ? fit.Fit(layer.LocNames[l - 1]) : "");
                for (std::size_t i = 1; i <= layer.NInd; ++i) {
                    row += '\t';
                    const std::uint8_t cell = layer.Cell(i, l);
                    if (cell == kPresent) row += '1';
                    else if (cell == kAbsent) row += '0';
                    else dataError = true;  // the field stays empty
                }
                tf.Add(std::move(row));
            }
            files.emplace_back(fileNames[g - 1], std::move(tf));
        }
    }
    if (switched) ds.CurLayer = kWorkingLayer;
    if (dataError) ds.ReportError("Data Error");
    fit.Report(ds);
    if (!skipped.empty()) {
        std::string text = "Groups without individuals were not exported to AFLPOP files:";
        for (const std::string& name : skipped) text += "\r\n" + name;
        ds.ReportWarning(text);
    }
    for (const auto& [name, tf] : files)
        if (!SaveExportFile(ds, tf, name)) return false;
    return true;
}
