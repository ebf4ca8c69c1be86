#include "shell/consensus_commands.h"

#include <cmath>
#include <filesystem>
#include <memory>
#include <system_error>
#include <utility>

#include "foundation/file_io.h"
#include "foundation/number_text.h"
#include "foundation/text_file.h"
#include "popgen/data/data_loader.h"
#include "popgen/data/name_rules.h"
#include "shell/commands.h"
#include "shell/file_params.h"
#include "shell/global_dataset.h"
#include "shell/message_area.h"
#include "shell/program_identity.h"
#include "shell/reporting.h"
#include "shell/settings.h"
#include "shell/ui_port.h"
#include "shell/viewer_commands.h"
#include "trees/cluster_matrix.h"
#include "trees/consensus.h"

namespace {

// Whole per cent; a threshold at or below one half asks for a plain majority, which every
// consensus needs anyway.
std::uint32_t ThresholdPercent(float threshold) {
    if (!(threshold > 0.0f)) return 0;
    if (threshold > 1000.0f) return 1000;
    return static_cast<std::uint32_t>(std::lround(threshold));
}

void ConsensusCommand(const std::string& progress, const std::string& inFile, const std::string& outFile,
                      std::uint32_t threshold, bool labels) {
    // The file the run reads, whatever the setting says.
    if (!FileCanOpen(inFile)) {
        ShowError("Consensus tree input file was not found.");
        return;
    }
    CommandRun run(progress);
    TTrees trees;
    trees.RoundMode = PreferredRoundMode;
    ConsensusResult result;
    run.Calculate([&] { return trees.Consensus(ProgramReporter(), threshold, labels, inFile, result); });
    // Both lines in one write: the output-file rule is applied once for the run.
    bool wroteTrees = false;
    if (!result.Text.empty() || !result.TextB.empty())
        wroteTrees = run.Write(outFile, [&](bool append) {
            return SaveTextToFile(outFile, result.Text + "\r\n" + result.TextB + "\r\n", append);
        });
    if (!result.Report.empty())
        run.Write(AnalysisFileName, [&](bool append) {
            Ttf report;
            report.SetLines(result.Report);
            return report.SaveToFile(AnalysisFileName, append);
        });
    run.Finish();
    if (wroteTrees) SetStatusTrees(outFile);
}

// The tree file's clusters as a new data set: layer 0 holds the matrix, layer 1 the working copy.
std::unique_ptr<TPopGenDataSet> ClusterDataSet(const std::string& fileName, TreeClusterMatrix& m) {
    std::unique_ptr<TPopGenDataSet> ds = NewDataSet();
    // The titles become individual names, which a data file must be able to carry.
    if (!CheckNewNames(*ds, m.TreeNames, NameKind::Individual, GetFileParams())) return nullptr;
    const std::size_t L = ds->BaseLayer();
    if (!ds->AllocLayerMatrix(L, m.Trees, m.Clusters)) return nullptr;
    TDSLayer& layer = ds->Layers[L];
    layer.Matrix = std::move(m.Matrix);
    layer.IndNames = std::move(m.TreeNames);
    layer.LocNames.reserve(m.Clusters);
    for (std::size_t k = 1; k <= m.Clusters; ++k) layer.LocNames.push_back("Cluster" + UIntToStr(k));
    layer.MaskRefLayer = L;
    layer.IndMask.assign(m.Trees, 1);
    layer.LocMask.assign(m.Clusters, 1);
    ds->CurLayer = L;
    ds->DataLoaded = 1;
    ds->DataFileName = fileName;
    MakeDefaultSets(*ds);
    if (!ds->RestoreOriginalMatrix()) return nullptr;
    return ds;
}

}  // namespace

void CmdStrictConsensus(const std::string& inFile, const std::string& outFile) {
    ConsensusCommand("Building strict consensus... ", inFile, outFile, 100, false);
}

void CmdMajorityConsensus(bool labels, const std::string& inFile, const std::string& outFile, float threshold) {
    ConsensusCommand("Building majority rule consensus... ", inFile, outFile, ThresholdPercent(threshold), labels);
}

void CmdTreesToBinaryMatrix(const std::string& fileName) {
    CommandRun run("Loading trees and creating binary tree-tree matrix...");
    std::unique_ptr<TPopGenDataSet> fresh;
    std::size_t trees = 0;
    std::size_t clusters = 0;
    // Built aside: a file that fails keeps the data the user had.
    if (!run.Calculate([&] {
            TreeClusterMatrix m;
            if (!Trees2Bin(ProgramReporter(), fileName, m, DevMode)) return false;
            trees = m.Trees;
            clusters = m.Clusters;
            fresh = ClusterDataSet(fileName, m);
            return fresh != nullptr && fresh->HasData();
        }))
        return;
    DataSet = std::move(fresh);
    DistMatrixName.clear();
    run.Finish();
    SetStatusDataMatrix(MatrixSizeText("Original (tree) data ", trees, clusters));
    SetStatusDistMatrix("No distance matrix");
    UpdateStatusFileName();
    Ui().UpdateQuickSelectionMenus();
}

void CmdViewConsensusFile() {
    if (!FileCanOpen(ConsensusOutFileName)) {
        ShowError("Consensus tree file (" + ConsensusOutFileName + ") not found.");
        return;
    }
    WriteMsg("Viewing tree(s) in the consensus tree file");
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(ConsensusOutFileName, ec);
    OpenInViewer(ec ? ConsensusOutFileName : full.string(), ConsensusOutFileName);
}
