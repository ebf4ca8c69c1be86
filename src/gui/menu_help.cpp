// The Help menu.
#include "gui/menu_commands.h"
#include "shell/help_commands.h"
#include "shell/version_check.h"

MenuCommands HelpMenuCommands() {
    return {
        {"About1", [](TMainPrg&) { CmdAbout(); }},
        {"Citation1", [](TMainPrg&) { CmdCitation(); }},
        {"Version1", [](TMainPrg&) { CmdShowVersion(false); }},
        {"Checkfornewversion1", [](TMainPrg&) { CmdCheckForNewVersion(); }},
        {"HelpFile1", [](TMainPrg&) { CmdOpenHelp(); }},
    };
}
