// The developer menu "DevMode" of a developer build, and the hidden export AFLPSurv that such a
// build shows. The items listed without a routine are there and do nothing.
#include "gui/menu_commands.h"
#include "shell/custom_analyses.h"
#include "shell/program_identity.h"
#include "shell/reporting.h"

MenuCommands DevModeMenuCommands() {
    // The delivered program hides AFLPSurv: it stays without a command there.
    if (!DevMode) return {};
    MenuCommands rows = {
        {"AFLPSurv1", [](TMainPrg&) { ShowError("Not yet implemented"); }},
    };
    for (const char* idle : {"OldCoefficients1", "OldTransformations1", "OldTrees1", "OldBootstrapping1",
                             "AllDMsTrees1", "CoordsDM1", "TestTHings1"})
        rows.push_back({idle, [](TMainPrg&) {}});
    rows.push_back({"pwRdm1", [](TMainPrg&) { CustomAnalysisLeuShannon(); }});
    rows.push_back({"avgind2pop1", [](TMainPrg&) { CmdAvgInd2Pop(); }});
    return rows;
}
