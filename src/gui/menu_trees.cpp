// The Trees menu.
#include "gui/menu_commands.h"
#include "shell/settings.h"
#include "shell/tree_commands.h"

MenuCommands TreesMenuCommands() {
    return {
        {"UPGMA1", [](TMainPrg&) { CmdBuildUPGMA(); }},
        {"NeighbourJoining1", [](TMainPrg&) { CmdBuildNJ(); }},
        {"PrincipalCoordinateAnalysis1", [](TMainPrg&) { CmdPCoA(PCoACentroids == 1); }},
    };
}
