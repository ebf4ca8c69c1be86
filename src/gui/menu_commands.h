#pragma once

class TMainPrg;

// Connects every menu item that has a command to its handler; the other items stay disabled.
void ConnectMenuCommands(TMainPrg& window);
