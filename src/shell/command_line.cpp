#include "shell/command_line.h"

CommandLineAction ClassifyArgument(std::string_view argument, bool namesExistingFile) {
    if (argument.empty()) return CommandLineAction::Ignore;
    if (argument.front() != '/' || namesExistingFile) return CommandLineAction::LoadFile;
    if (argument.size() > 2 && argument.find('/', 1) != std::string_view::npos) return CommandLineAction::LoadFile;
    if (argument.size() == 1) return CommandLineAction::Ignore;
    switch (argument[1]) {
        case '@': return CommandLineAction::Quit;
        case 'M':
        case 'm': return CommandLineAction::LoadClipboard;
        default: return CommandLineAction::Refuse;
    }
}
