#include "gui/menu_commands.h"

#include <utility>

#include "gui/main_window.h"

void ConnectMenuCommands(TMainPrg& window) {
    for (MenuCommands (*menu)() :
         {FileMenuCommands, DataMatrixMenuCommands, AnalysisMenuCommands, TreesMenuCommands,
          ReplicateAnalysesMenuCommands, ViewMenuCommands, OptionsMenuCommands, HelpMenuCommands}) {
        for (MenuCommand& row : menu())
            window.ConnectCommand(QString::fromLatin1(row.name),
                                  [&window, handler = std::move(row.handler)] { handler(window); });
    }
}
