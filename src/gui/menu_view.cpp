// The View menu.
#include "gui/menu_commands.h"
#include "shell/viewer_commands.h"

MenuCommands ViewMenuCommands() {
    return {
        {"InputFile1", [](TMainPrg&) { CmdViewInputFile(); }},
        {"AnalysisFile1", [](TMainPrg&) { CmdViewAnalysisFile(); }},
        {"TreeFile1", [](TMainPrg&) { CmdViewTreeFile(); }},
        {"LogFile1", [](TMainPrg&) { CmdViewLogFile(); }},
    };
}
