#include "shell/tree_commands.h"

#include <string>
#include <vector>

#include "shell/commands.h"
#include "shell/global_dataset.h"
#include "shell/message_area.h"
#include "shell/program_identity.h"
#include "shell/reporting.h"
#include "shell/settings.h"
#include "shell/viewer_record.h"
#include "trees/dist_analysis.h"
#include "trees/tree_text.h"

namespace {

constexpr std::size_t kUPGMATitleLength = 25;
constexpr std::size_t kNJTitleLength = 22;
constexpr std::size_t kPCoAReportCoordinates = 50;

// Builds a tree of the given kind on the current distance matrix and adds its text to the tree
// output file.
void BuildTreeCommand(TreeKind kind, const std::string& progress, const std::string& title) {
    CommandRun run(progress);
    std::string text;
    if (!run.Calculate([&] {
            TDistAnalysis& analysis = MakeDistAnalysis(*DataSet);
            WarnCutNameClashes(analysis.Reporting(), analysis.OTUNames);
            // A developer build can check the clustering step by step against a second one.
            const bool verbose = DevMode && AutoTest == 1 && kind == TreeKind::UPGMA;
            if (!(verbose ? analysis.UPGMAVerbose(title) : analysis.BuildTree(kind, title))) return false;
            text = kind == TreeKind::UPGMA ? analysis.StoredTree : analysis.DendrogramText();
            return !text.empty();
        }))
        return;
    if (run.Write(TreeFileName, [&](bool append) { return SaveTextToFile(TreeFileName, text + "\r\n", append); }))
        SetStatusTrees(TreeFileName);
}

}  // namespace

void CmdBuildUPGMA() {
    if (!NeedDistMatrix()) return;
    BuildTreeCommand(TreeKind::UPGMA, "Building UPGMA tree...",
                     ("UPMGA" + DistMatrixName).substr(0, kUPGMATitleLength));
}

void CmdBuildNJ() {
    if (!NeedDistMatrix()) return;
    if (DataSet->GetCurrLayer().NInd < 4) {
        ShowError("Need to have more than 3 individuals to perform NJ!");
        return;
    }
    BuildTreeCommand(TreeKind::NJ, "Building NJ tree...", ("NJ" + DistMatrixName).substr(0, kNJTitleLength));
}

void CmdPCoA(bool centroids) {
    if (!NeedDistMatrix()) return;
    TPopGenDataSet& ds = *DataSet;
    CommandRun run("Performing PCoA...");
    TDistAnalysis* analysis = nullptr;
    const std::size_t maxIterations = PCoAMaxIterations > 0 ? static_cast<std::size_t>(PCoAMaxIterations) : 0;
    if (!run.Calculate([&] {
            analysis = &MakeDistAnalysis(ds);
            return analysis->PCoA(maxIterations, PCoAPrecision) && !analysis->Coords.empty();
        }))
        return;
    std::size_t centroidCount = 0;
    if (centroids) {
        // Group of each individual as a 0-based index; -1 for one that belongs to no group.
        const TDSLayer& layer = ds.GetCurrLayer();
        std::vector<std::int32_t> groups;
        groups.reserve(layer.IndNames.size());
        for (const std::string& name : layer.IndNames)
            groups.push_back(static_cast<std::int32_t>(ds.FindIndGroup(name)) - 1);
        centroidCount = analysis->GroupCentroids(groups, true);
    }
    if (!run.Write(ds.OutputFileName, [&](bool append) {
            return analysis->WritePCoAReport(ds.OutputFileName, kPCoAReportCoordinates, !append);
        }))
        return;
    if (PCoAAutostart != 1) return;
    run.Finish("done. Starting PCoA Viewer.");
    TPCoAViewerRec rec;
    rec.OTUNames = analysis->OTUNames;
    rec.Groups = ds.Groups;
    rec.Coords = analysis->Coords;
    rec.EigenPercents = analysis->EigenPercents;
    rec.Centroids = static_cast<std::int32_t>(centroidCount);
    rec.IncludeTrailing = true;
    DisplayPCoAViewer(PCoAViewerMode::Result, &rec);
}
