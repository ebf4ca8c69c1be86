#pragma once
// The program's one command-line argument: a data file to load, or a switch.

#include <string_view>

enum class CommandLineAction {
    Ignore,         // empty, or "/" alone
    LoadFile,       // a data file name
    LoadClipboard,  // "/M"
    Quit,           // "/@": end at once
    Refuse,         // any other switch
};

// A name that does not begin with '/' is a data file. One that does is a data file too when it
// names an existing file, or is longer than two characters and holds a second '/' (an absolute
// path); otherwise it is a switch decided by its second character, upper-cased.
CommandLineAction ClassifyArgument(std::string_view argument, bool namesExistingFile);
