// The Options menu. No item of it has a command yet; its handlers are added here.
#include "gui/menu_commands.h"

MenuCommands OptionsMenuCommands() { return {}; }
