#pragma once

#include <QStringList>

class TMainPrg;

// Connects every menu item that has a command to its handler; the other items stay disabled.
void ConnectMenuCommands(TMainPrg& window);
// The object names of the items that have a command.
QStringList MenuCommandNames();
