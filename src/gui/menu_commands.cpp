#include "gui/menu_commands.h"

#include <utility>

#include "gui/main_window.h"

MenuCommands MenuCommandTable() {
    MenuCommands table;
    for (MenuCommands (*menu)() : {FileMenuCommands, DataMatrixMenuCommands, AnalysisMenuCommands, TreesMenuCommands,
                                   ReplicateAnalysesMenuCommands, ViewMenuCommands, OptionsMenuCommands,
                                   HelpMenuCommands, DevModeMenuCommands}) {
        for (MenuCommand& row : menu()) table.push_back(std::move(row));
    }
    return table;
}

void ConnectMenuCommands(TMainPrg& window) {
    for (MenuCommand& row : MenuCommandTable())
        window.ConnectCommand(QString::fromLatin1(row.name),
                              [&window, handler = std::move(row.handler)] { handler(window); });
}

QStringList MenuCommandNames() {
    QStringList names;
    for (const MenuCommand& row : MenuCommandTable()) names << QString::fromLatin1(row.name);
    return names;
}
