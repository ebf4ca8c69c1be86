// The Replicate Analyses menu. No item of it has a command yet; its handlers are added here.
#include "gui/menu_commands.h"

MenuCommands ReplicateAnalysesMenuCommands() { return {}; }
