#include "shell/statistics_commands.h"

#include <functional>
#include <string>
#include <vector>

#include "foundation/number_text.h"
#include "foundation/scope_exit.h"
#include "popgen/analyses/band_profiles.h"
#include "popgen/data/band_stats.h"
#include "shell/commands.h"
#include "shell/global_dataset.h"
#include "shell/message_area.h"
#include "shell/reporting.h"
#include "shell/settings.h"
#include "shell/ui_port.h"

namespace {

constexpr const char* kCrLf = "\r\n";

int WriteReport(const std::string& text, bool append) { return SaveTextToFile(AnalysisFileName, text, append); }

// A row's name, or its number when the layer was built without names.
std::string NameOf(const AString& names, std::size_t index) {
    return index < names.size() ? names[index] : UIntToStr(index + 1);
}

// Calls each(name) once per group, in list order, with that group of the working data (the
// current layer, or layer 1 when a selection or temporary layer is current) by the current locus
// set as the current layer. A scratch layer holds it (4, or 5 when a resampled data set is current
// in 4); afterwards the current layer, group and locus set are back and the scratch is emptied. A
// group without individuals in the working data is left out.
bool ForEachGroup(TPopGenDataSet& ds, const std::function<void(const std::string& name)>& each) {
    const std::size_t layer = ds.CurLayer;
    const std::size_t group = ds.CurGroup, locusSet = ds.CurLocusSet;
    const std::size_t source = layer <= kWorkingLayer ? layer : kWorkingLayer;
    const std::size_t scratch = layer == kScratchLayer ? kExportLayer : kScratchLayer;
    // Also when a memory shortage ends the loop.
    const ScopeExit restore([&] {
        ds.CurLayer = layer;
        ds.CurGroup = group;
        ds.CurLocusSet = locusSet;
        ds.Layers[scratch] = TDSLayer{};
    });
    for (std::size_t g = 0; g < ds.Groups.size(); ++g) {
        std::vector<std::size_t> rows;
        if (!SetPositionsInLayer(ds, ds.Layers[source], ds.Groups[g].Mask, SetKind::Individuals, rows)) {
            ds.ReportError("The data matrix does not match its groups");
            return false;
        }
        if (rows.empty()) continue;
        if (!ds.MakeSubsetLayer(source, scratch, g, locusSet)) return false;
        each(ds.Groups[g].Name);
    }
    return true;
}

// The two blocks of the mean-band report; `suffix` follows each heading (" in group " + name).
std::string MeanBandsText(const TPopGenDataSet& ds, const std::string& suffix) {
    Extended mean, sd, var, meanMD, sdMD, varMD;
    MeanBandsPerInd(ds, mean, sd, var);
    MeanBandsPerIndMD(ds, meanMD, sdMD, varMD);
    return "Band presences per individual" + suffix + "\r\nMean= " + ExtToStr(mean) + "\r\nVariance= " + ExtToStr(var) +
           "\r\nStd.Dev.= " + ExtToStr(sd) + "\r\n\r\n" + "Band presences and missing data per individual" + suffix +
           "\r\nMean= " + ExtToStr(meanMD) + "\r\nVariance= " + ExtToStr(varMD) + "\r\nStd.Dev.= " + ExtToStr(sdMD);
}

// One band-count command: the texts of its two forms and the count.
struct BandCount {
    const char* displayMsg;                                  // current data: the line before the question
    const char* caption;                                     // of the question
    const char* groupsMsg;                                   // groups: the line after writing
    bool calculating;                                        // the current-data count shows "Calculating"
    const char* writtenMsg;                                  // current data: appended after writing (or nullptr)
    std::function<std::string(const TPopGenDataSet&)> text;  // current data
    std::function<std::string(const TPopGenDataSet&, const std::string& name)> groupText;
};

void RunBandCount(const BandCount& c) {
    if (!NeedData()) return;
    TPopGenDataSet& ds = *DataSet;
    CommandRun run;
    if (ds.Groups.size() < 2) {
        std::string text;
        const auto count = [&] {
            text = c.text(ds);
            return true;
        };
        if (!(c.calculating ? run.Calculate(count) : run.Run(count))) return;
        run.Finish();
        WriteMsg(c.displayMsg);
        if (!UserAgreed(AskUser(text + "\r\n\r\n" + "Write to analysis file?", c.caption, kQuestionYesNo))) return;
        if (run.Write(AnalysisFileName, [&](bool append) { return WriteReport(text + "\r\n\r\n", append); }) &&
            c.writtenMsg != nullptr)
            AppendMsg(c.writtenMsg);
        return;
    }
    std::string report;
    if (!run.Calculate([&] {
            return ForEachGroup(ds, [&](const std::string& name) { report += c.groupText(ds, name) + "\r\n\r\n"; });
        }))
        return;
    if (run.Write(AnalysisFileName, [&](bool append) { return WriteReport(report, append); })) WriteMsg(c.groupsMsg);
}

void RunPrivateBands(bool fixed) {
    if (!NeedData()) return;
    TPopGenDataSet& ds = *DataSet;
    if (ds.Groups.size() < 2) {
        ShowError("You need to have several groups defined to use this feature");
        return;
    }
    CommandRun run;
    std::vector<std::size_t> counts;
    if (!run.Calculate([&] { return fixed ? FixedPrivateBands(ds, counts) : PrivateBands(ds, counts); })) return;
    std::string report = fixed ? "Number of fixed private bands found in groups (only meaningful if groups are "
                                 "mutually exclusive)\r\n"
                               : "Number of private bands found in groups (only meaningful if groups are mutually "
                                 "exclusive)\r\n";
    for (std::size_t i = 0; i < counts.size() && i + 1 < ds.Groups.size(); ++i)
        report += ds.Groups[i + 1].Name + ": " + UIntToStr(counts[i]) + kCrLf;
    report += kCrLf;
    if (run.Write(AnalysisFileName, [&](bool append) { return WriteReport(report, append); }))
        WriteMsg(fixed ? "Writing fixed private bands to analysis output file"
                       : "Writing private bands to analysis output file");
}

}  // namespace

void CmdMeanBands() {
    RunBandCount(
        {"Displaying mean number of bands per individuals", "Bands per individual",
         "Writing mean number of bands per individuals in different groups to analysis output file", false,
         ". Written to analysis file.", [](const TPopGenDataSet& ds) { return MeanBandsText(ds, ""); },
         [](const TPopGenDataSet& ds, const std::string& name) { return MeanBandsText(ds, " in group " + name); }});
}

void CmdPolymorphicBands() {
    RunBandCount({"Displaying number of polymorphic bands", "Polymorphic bands",
                  "Writing number of polymorphic bands in groups to analysis output file", true, nullptr,
                  [](const TPopGenDataSet& ds) {
                      return "Number of polymorphic bands found: " + UIntToStr(NumPolymorphicLoci(ds));
                  },
                  [](const TPopGenDataSet& ds, const std::string& name) {
                      return "Number of polymorphic bands found in group " + name + ": " +
                             UIntToStr(NumPolymorphicLoci(ds));
                  }});
}

void CmdFixedBands() {
    RunBandCount(
        {"Displaying number of fixed bands", "Fixed bands",
         "Writing number of fixed bands in groups to analysis output file", false, nullptr,
         [](const TPopGenDataSet& ds) { return "Number of fixed bands found: " + UIntToStr(NumFixedBands(ds)); },
         [](const TPopGenDataSet& ds, const std::string& name) {
             return "Number of fixed bands found in group " + name + ": " + UIntToStr(NumFixedBands(ds));
         }});
}

void CmdPrivateBands() { RunPrivateBands(false); }
void CmdFixedPrivateBands() { RunPrivateBands(true); }

void CmdFreqPerIndividual() {
    if (!NeedData()) return;
    TPopGenDataSet& ds = *DataSet;
    CommandRun run("Writing frequencies (indiv) to analysis output file...");
    std::string report;
    if (!run.Run([&] {
            AExt freqs;
            IndBandFreqs(ds, freqs);
            const AString& names = ds.GetCurrLayer().IndNames;
            report = "Frequencies (band presences) in individuals:\r\n\r\n";
            for (std::size_t i = 0; i < freqs.size(); ++i)
                report += NameOf(names, i) + " " + ExtToStr(freqs[i]) + kCrLf;
            report += kCrLf;
            return true;
        }))
        return;
    run.Write(AnalysisFileName, [&](bool append) { return WriteReport(report, append); });
}

void CmdFreqPerLocus() {
    if (!NeedData()) return;
    TPopGenDataSet& ds = *DataSet;
    const std::string mode = BoolToText(ShannonFreqMode);
    CommandRun run("Writing frequencies [Frq/Locus= " + mode + "] to analysis output file...");
    std::string report;
    if (!run.Run([&] {
            AExt freqs;
            if (!LocusBandFreqs(ds, ShannonFreqMode == 1, freqs)) return false;
            const AString& names = ds.GetCurrLayer().LocNames;
            report = "Frequencies (band presences) in loci (per-locus: " + mode + "):\r\n\r\n";
            for (std::size_t l = 0; l < freqs.size(); ++l)
                report += NameOf(names, l) + " " + ExtToStr(freqs[l]) + kCrLf;
            report += kCrLf;
            return true;
        }))
        return;
    run.Write(AnalysisFileName, [&](bool append) { return WriteReport(report, append); });
}

void CmdMissingDataStats() {
    if (!NeedData()) return;
    TPopGenDataSet& ds = *DataSet;
    CommandRun run("Writing missing data statistics to analysis output file...");
    std::string report;
    if (!run.Run([&] {
            const TDSLayer& layer = ds.GetCurrLayer();
            report = "Missing data in individuals\r\n\r\n";
            for (std::size_t i = 1; i <= layer.NInd; ++i)
                report += NameOf(layer.IndNames, i - 1) + " " + PercentText(IndMissingFraction(ds, i)) + kCrLf;
            report += "\r\nMissing data in loci\r\n\r\n";
            for (std::size_t l = 1; l <= layer.NLoci; ++l)
                report += NameOf(layer.LocNames, l - 1) + " " + PercentText(LocMissingFraction(ds, l)) + kCrLf;
            report += kCrLf;
            return true;
        }))
        return;
    run.Write(AnalysisFileName, [&](bool append) { return WriteReport(report, append); });
}
