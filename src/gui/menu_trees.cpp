// The Trees menu.
#include "gui/menu_commands.h"
#include "shell/consensus_commands.h"
#include "shell/settings.h"
#include "shell/tree_commands.h"

MenuCommands TreesMenuCommands() {
    return {
        {"UPGMA1", [](TMainPrg&) { CmdBuildUPGMA(); }},
        {"NeighbourJoining1", [](TMainPrg&) { CmdBuildNJ(); }},
        {"StrictConsensus1", [](TMainPrg&) { CmdStrictConsensus(ConsensusInFileName, ConsensusOutFileName); }},
        {"MajorityRuleConsensus1",
         [](TMainPrg&) {
             CmdMajorityConsensus(true, ConsensusInFileName, ConsensusOutFileName, static_cast<float>(MRThreshold));
         }},
        {"PrincipalCoordinateAnalysis1", [](TMainPrg&) { CmdPCoA(PCoACentroids == 1); }},
    };
}
