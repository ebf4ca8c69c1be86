#include "shell/custom_analyses.h"

#include <cstdint>
#include <filesystem>

#include "foundation/code.h"
#include "foundation/file_io.h"
#include "foundation/number_text.h"
#include "popgen/distance/distance_report.h"
#include "popgen/analyses/pop_distance.h"
#include "shell/analysis_file.h"
#include "shell/commands.h"
#include "shell/data_commands.h"
#include "shell/file_name_commands.h"
#include "shell/filter_commands.h"
#include "shell/global_dataset.h"
#include "shell/message_area.h"
#include "shell/population_commands.h"
#include "shell/reporting.h"
#include "shell/settings.h"
#include "shell/shannon_commands.h"

namespace {

constexpr std::int32_t kFirstSampleSize = 3;
constexpr std::int32_t kLastSampleSize = 30;

std::string InFolder(const std::string& folder, const char* name) {
    return (std::filesystem::path(folder) / name).string();
}

}  // namespace

std::string DeveloperFolder() { return InFolder(AppPath, "devdata"); }

void CustomAnalysisLeuShannon(const std::string& folder) {
    BatchAnswer = 1;
    OverwriteMode = 2;
    WriteMsg("START CUSTOM ANALYSIS LEU SHANNON ...");
    // Every error box counts: a run that reported one is not carried on for hundreds of others.
    const ReportScope scope(ProgramReporter());
    const auto failed = [&scope] { return scope.Errors() != 0; };
    CmdSetAnalysisFile(InFolder(folder, "leu_shannon.txt"));
    CmdLoadInputFile(InFolder(folder, "leu.txt"));
    if (!failed() && DataSet && DataSet->DataLoaded == 1) {
        if (const int rc = SaveTextToFile(AnalysisFileName, "", false); rc != 0)
            ShowError("Could not write to file:\r\n" + AnalysisFileName + "\r\n" + FileErrorText(rc));
    }
    if (failed() || !DataSet || DataSet->DataLoaded != 1) {
        WriteMsg("CUSTOM ANALYSIS LEU SHANNON failed.");
        return;
    }
    for (std::size_t g = 1; g < DataSet->Groups.size(); ++g) {
        const std::string name = DataSet->Groups[g].Name;
        CmdSelectGroup(static_cast<std::int32_t>(g));
        for (std::int32_t n = kFirstSampleSize; n <= kLastSampleSize && !failed(); ++n) {
            if (!AppendToAnalysisFile("GROUP=\t" + name + "\tNInd=\t" + std::to_string(n))) break;
            // The file was started afresh above: rewriting it now would lose the heading just written.
            OverwriteMode = 1;
            CmdBootstrapShannonAtN(n,
                                   {.Scale = CodeOf<ShannonScale>(ShannonLogBase),
                                    .Base = ShannonLogA,
                                    .PerInd = ShannonFreqMode == 1,
                                    .ReplaceMissing = RMD == 1,
                                    .MissingShare = MDReplaceFraction},
                                   SHReplicates, {.ToFile = Sh2File == 1, .IncludeZero = ShannonZeroInStats == 1});
        }
        if (failed()) {
            WriteMsg("CUSTOM ANALYSIS LEU SHANNON failed.");
            return;
        }
    }
    WriteMsg("FINISHED CUSTOM ANALYSIS LEU SHANNON");
}

void CustomAnalysisLeuShannon() { CustomAnalysisLeuShannon(DeveloperFolder()); }

void CustomAnalysisAmova() {
    // The previous data set stays after a failed load: the analysis must not run on it.
    const ReportScope scope(ProgramReporter());
    CmdLoadInputFile(kAmovaTestFile);
    if (!scope.Succeeded(DataSet && DataSet->HasData())) return;
    CmdRemoveLociMoreMissing(false);
    CmdAMOVA(1, CodeOf<Treatment>(AmovaSimMethod), CodeOf<Coefficient>(SimCoefficient),
             CodeOf<Transformation>(DistTransformation), NeiLiR, JCRandomDraws, AmovaRandomisations, LocByLoc == 1);
}

void CmdAvgInd2Pop() {
    if (!DataAvailable({.Data = true, .Dist = true, .Complain = true})) return;
    TPopGenDataSet& ds = *DataSet;
    CommandRun run("Calculating average individual-to-population distances...");
    if (!run.Calculate([&] { return AvgInd2PopDist(ds, kDerivedLayer); })) return;
    ds.CurLayer = kDerivedLayer;
    ds.DistTransform = Transformation::D;
    DistTransformation = 3;
    DistMatrixName = "AvgInd2Pop";
    run.Write(ds.OutputFileName, [&](bool append) {
        return OutputDistances2File(ds, Treatment::Standard, CodeOf<Coefficient>(SimCoefficient), Transformation::D,
                                    {.Distances = true, .Append = append});
    });
    run.Finish();
    const TDSLayer& layer = ds.GetCurrLayer();
    SetStatusDataMatrix("Derived Data [" + UIntToStr(layer.NInd) + " x 0]");
    SetStatusDistMatrix(DistMatrixName);
}
