// The DataMatrix menu.
#include "gui/menu_commands.h"
#include "shell/data_commands.h"
#include "shell/resample_commands.h"

MenuCommands DataMatrixMenuCommands() {
    return {
        {"RestoreOriginalMatrix1", [](TMainPrg&) { CmdRestoreOriginalMatrix(); }},
        {"MatrixStatistics1", [](TMainPrg&) { CmdMatrixStatistics(true, false); }},
        {"ResampleLoci1", [](TMainPrg&) { CmdResampleLoci(); }},
    };
}
