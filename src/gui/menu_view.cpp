// The View menu.
#include "gui/menu_commands.h"
#include "shell/consensus_commands.h"
#include "shell/r_commands.h"
#include "shell/viewer_commands.h"

MenuCommands ViewMenuCommands() {
    return {
        {"InputFile1", [](TMainPrg&) { CmdViewInputFile(); }},
        {"AnalysisFile1", [](TMainPrg&) { CmdViewAnalysisFile(); }},
        {"TreeFile1", [](TMainPrg&) { CmdViewTreeFile(); }},
        {"ConsensusTreeFile1", [](TMainPrg&) { CmdViewConsensusFile(); }},
        {"PCoA3DViewer1", [](TMainPrg&) { CmdStart3DViewer(); }},
        {"LogFile1", [](TMainPrg&) { CmdViewLogFile(); }},
        {"PlotwithRandView1", [](TMainPrg&) { CmdPlotWithR(); }},
        {"LastRPlot1", [](TMainPrg&) { CmdViewLastRPlot(); }},
    };
}
