// The Options menu: every item opens the options dialog on its page.
#include "gui/main_window.h"
#include "gui/menu_commands.h"
#include "gui/options_dialog.h"
#include "shell/dialog_commands.h"

MenuCommands OptionsMenuCommands() {
    const auto page = [](std::uint8_t p) { return [p](TMainPrg&) { CmdShowOptionsPage(p); }; };
    return {
        {"OptMissingDataReplacement1", page(0)},
        {"OptShannonScaling1", page(1)},
        {"OptCoefficients1", page(2)},
        {"OptDistanceTransformation1", page(3)},
        // The weights page is opened by the dialog's own routine, as it always was.
        {"OptCharacterWeights1", [](TMainPrg& window) { DisplayOptions(window.OptionsDialog(), 15); }},
        {"OptBootstrapping1", page(14)},
        {"OptTrees1", page(4)},
        {"OptConsensusTrees1", page(5)},
        {"OptRSupport1", page(6)},
        {"OptAMOVA1", page(7)},
        {"OptPCoA1", page(8)},
        {"OptAlleleFrequencies1", page(9)},
        {"OptPopulationDistances1", page(10)},
        {"OptIO1", page(11)},
        {"OptProject1", page(13)},
        {"OptPopulationReallocation1", page(16)},
    };
}
