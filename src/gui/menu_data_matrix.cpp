// The DataMatrix menu.
#include "gui/menu_commands.h"
#include "shell/data_commands.h"
#include "shell/dialog_commands.h"

MenuCommands DataMatrixMenuCommands() {
    return {
        {"RestoreOriginalMatrix1", [](TMainPrg&) { CmdRestoreOriginalMatrix(); }},
        {"MatrixStatistics1", [](TMainPrg&) { CmdMatrixStatistics(true, false); }},
        {"PairwiseIndividualComparison1", [](TMainPrg&) { CmdPairwiseComparison(); }},
        {"GroupManager1", [](TMainPrg&) { CmdGroupManager(); }},
    };
}
