#include "gui/menu_commands.h"

#include <functional>
#include <utility>
#include <vector>

#include "gui/main_window.h"

namespace {

// One row per menu item that works: the item's object name (see the menu tree in main_window.cpp)
// and its handler, which checks the item's precondition, asks for what the command needs and calls
// the command routine with the settings as arguments. Items without a row stay disabled.
std::vector<std::pair<const char*, std::function<void(TMainPrg&)>>> MenuCommandTable() {
    return {
        // {"Load1", [](TMainPrg& w) { ... CmdLoadInputFile(name); }},
    };
}

}  // namespace

void ConnectMenuCommands(TMainPrg& window) {
    for (auto& [name, handler] : MenuCommandTable())
        window.ConnectCommand(QString::fromLatin1(name), [&window, handler = std::move(handler)] { handler(window); });
}
