#include "shell/tree_commands.h"

#include <string>
#include <vector>

#include "shell/commands.h"
#include "shell/global_dataset.h"
#include "shell/message_area.h"
#include "shell/pcoa_viewer.h"
#include "shell/reporting.h"
#include "shell/settings.h"
#include "trees/dist_analysis.h"

namespace {

constexpr std::size_t kUPGMATitleLength = 25;
constexpr std::size_t kNJTitleLength = 22;
constexpr std::size_t kPCoAReportCoordinates = 50;

// Builds a tree of the given kind on the current distance matrix and adds its text to the tree
// output file; the progress line ends by the outcome.
void BuildTreeCommand(int kind, const std::string& progress, const std::string& title) {
    TPopGenDataSet& ds = *DataSet;
    BeginProgress(progress);
    SetStatusCalculating();
    const EngineCall call(&ds);
    TDistAnalysis& analysis = MakeDistAnalysis(ds);
    const bool built = analysis.BuildTree(kind, title);
    std::string text;
    if (built) text = kind == kTreeUPGMA ? analysis.StoredTree : analysis.DendrogramText();
    if (!call.Succeeded(built && !text.empty())) {
        SetStatusIdle();
        FinishProgress(false);
        return;
    }
    SetStatusBusyIO();
    const bool rewrite = MustRewriteOutput(TreeFileName);
    const int rc = SaveTextToFile(TreeFileName, text + "\r\n", !rewrite);
    const bool written = !ReportWriteFailure(rc, TreeFileName);
    if (written) SetStatusTrees(TreeFileName);
    SetStatusIdle();
    FinishProgress(written);
}

}  // namespace

void CmdBuildUPGMA() {
    if (!NeedDistMatrix()) return;
    BuildTreeCommand(kTreeUPGMA, "Building UPGMA tree...", ("UPMGA" + DistMatrixName).substr(0, kUPGMATitleLength));
}

void CmdBuildNJ() {
    if (!NeedDistMatrix()) return;
    if (DataSet->GetCurrLayer().NInd < 4) {
        ShowError("Need to have more than 3 individuals to perform NJ!");
        return;
    }
    BuildTreeCommand(kTreeNJ, "Building NJ tree...", ("NJ" + DistMatrixName).substr(0, kNJTitleLength));
}

void CmdPCoA(std::uint8_t centroids) {
    if (!NeedDistMatrix()) return;
    TPopGenDataSet& ds = *DataSet;
    BeginProgress("Performing PCoA...");
    SetStatusCalculating();
    const EngineCall call(&ds);
    TDistAnalysis& analysis = MakeDistAnalysis(ds);
    const std::size_t maxIterations = PCoAMaxIterations > 0 ? static_cast<std::size_t>(PCoAMaxIterations) : 0;
    const bool done = analysis.PCoA(maxIterations, PCoAPrecision);
    if (!call.Succeeded(done && !analysis.Coords.empty())) {
        SetStatusIdle();
        FinishProgress(false);
        return;
    }
    std::size_t centroidCount = 0;
    if (centroids == 1) {
        // Group of each individual as a 0-based index; -1 for one that belongs to no group.
        const TDSLayer& layer = ds.GetCurrLayer();
        std::vector<std::int32_t> groups;
        groups.reserve(layer.IndNames.size());
        for (const std::string& name : layer.IndNames)
            groups.push_back(static_cast<std::int32_t>(ds.FindIndGroup(name)) - 1);
        centroidCount = analysis.GroupCentroids(groups, true);
    }
    SetStatusBusyIO();
    const bool rewrite = MustRewriteOutput(ds.OutputFileName);
    const int rc = analysis.WritePCoAReport(ds.OutputFileName, kPCoAReportCoordinates, rewrite);
    const bool written = !ReportWriteFailure(rc, ds.OutputFileName);
    SetStatusIdle();
    if (!written || PCoAAutostart != 1) {
        FinishProgress(written);
        return;
    }
    FinishProgress(true, "done. Starting PCoA Viewer.");
    TPCoAViewerRec rec;
    rec.OTUNames = analysis.OTUNames;
    rec.Groups = ds.Groups;
    rec.Coords = analysis.Coords;
    rec.EigenPercents = analysis.EigenPercents;
    rec.Centroids = static_cast<std::int32_t>(centroidCount);
    rec.IncludeTrailing = 1;
    DisplayPCoAViewer(kPCoAViewerResult, &rec);
}
