// The one command table of the main menu. Each top-level menu contributes its rows from a file of
// its own (menu_file.cpp, menu_data_matrix.cpp, ...), so handlers for different menus are added in
// different files. A row names a menu item (its object name in the menu tree of main_window.cpp)
// and its handler, which checks the item's precondition, asks for what the command needs and calls
// the command routine with the settings as arguments; the settings' numbers become typed codes
// there. Items without a row stay disabled.
#pragma once

#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

class TMainPrg;

struct MenuCommand {
    const char* name;
    std::function<void(TMainPrg&)> handler;
};
using MenuCommands = std::vector<MenuCommand>;

MenuCommands FileMenuCommands();
MenuCommands DataMatrixMenuCommands();
MenuCommands AnalysisMenuCommands();
MenuCommands TreesMenuCommands();
MenuCommands ReplicateAnalysesMenuCommands();
MenuCommands ViewMenuCommands();
MenuCommands OptionsMenuCommands();
MenuCommands HelpMenuCommands();
// The developer menu of a developer build, and the hidden AFLPSurv export.
MenuCommands DevModeMenuCommands();

// The warning and the allele-frequency method query that Population Distance and Bootstrap
// Population Tree share; false when the user stopped.
bool AskPopulationDistanceMethod(std::uint8_t& method);

// Every row of every menu, in menu order.
MenuCommands MenuCommandTable();

// Connects every row of every menu to its item; the other items stay disabled.
void ConnectMenuCommands(TMainPrg& window);
// The object names of the items that have a command.
QStringList MenuCommandNames();
