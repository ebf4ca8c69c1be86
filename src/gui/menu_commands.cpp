#include "gui/menu_commands.h"

#include <functional>
#include <utility>
#include <vector>

#include "gui/main_window.h"
#include "shell/analysis_commands.h"
#include "shell/data_commands.h"
#include "shell/settings.h"
#include "shell/tree_commands.h"
#include "shell/viewer_commands.h"

namespace {

using Handler = std::function<void(TMainPrg&)>;

// The similarity items differ only in the missing-data treatment.
Handler CalculateMatrix(std::uint8_t treatment) {
    return [treatment](TMainPrg&) {
        CmdCalculateMatrix(treatment, SimCoefficient, DistTransformation, NeiLiR, JCRandomDraws, SimOutput,
                           DistOutput);
    };
}

// One row per menu item that works: the item's object name (see the menu tree in main_window.cpp)
// and its handler, which checks the item's precondition, asks for what the command needs and calls
// the command routine with the settings as arguments. Items without a row stay disabled.
std::vector<std::pair<const char*, Handler>> MenuCommandTable() {
    return {
        {"Exit1", [](TMainPrg&) { CmdExit(); }},

        {"RestoreOriginalMatrix1", [](TMainPrg&) { CmdRestoreOriginalMatrix(); }},
        {"MatrixStatistics1", [](TMainPrg&) { CmdMatrixStatistics(1, 0); }},

        {"StandardSimilarity1", CalculateMatrix(0)},
        {"MinimumSimilarity1", CalculateMatrix(1)},
        {"MaximumSimilarity1", CalculateMatrix(2)},
        {"AverageSimilarity1", CalculateMatrix(3)},

        {"UPGMA1", [](TMainPrg&) { CmdBuildUPGMA(); }},
        {"NeighbourJoining1", [](TMainPrg&) { CmdBuildNJ(); }},
        {"PrincipalCoordinateAnalysis1", [](TMainPrg&) { CmdPCoA(PCoACentroids); }},

        {"InputFile1", [](TMainPrg&) { CmdViewInputFile(); }},
        {"AnalysisFile1", [](TMainPrg&) { CmdViewAnalysisFile(); }},
        {"TreeFile1", [](TMainPrg&) { CmdViewTreeFile(); }},
        {"LogFile1", [](TMainPrg&) { CmdViewLogFile(); }},
    };
}

}  // namespace

void ConnectMenuCommands(TMainPrg& window) {
    for (auto& [name, handler] : MenuCommandTable())
        window.ConnectCommand(QString::fromLatin1(name), [&window, handler = std::move(handler)] { handler(window); });
}
