#include "shell/command_line.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLine, ArgumentsAreFilesOrSwitches) {
    const struct {
        const char* what;
        const char* argument;
        bool exists;
        CommandLineAction action;
    } cases[] = {
        {"relative name", "data.txt", false, CommandLineAction::LoadFile},
        {"name with blanks", "my data.txt", false, CommandLineAction::LoadFile},
        {"existing absolute file", "/tmp/x", true, CommandLineAction::LoadFile},
        {"missing absolute file", "/home/u/data.txt", false, CommandLineAction::LoadFile},
        {"existing file named like a switch", "/M", true, CommandLineAction::LoadFile},
        {"clipboard", "/M", false, CommandLineAction::LoadClipboard},
        {"clipboard lower case", "/m", false, CommandLineAction::LoadClipboard},
        {"clipboard, rest ignored", "/Mxyz", false, CommandLineAction::LoadClipboard},
        {"quit", "/@", false, CommandLineAction::Quit},
        {"quit, rest ignored", "/@now", false, CommandLineAction::Quit},
        {"slash alone", "/", false, CommandLineAction::Ignore},
        {"empty", "", false, CommandLineAction::Ignore},
        {"unknown switch", "/X", false, CommandLineAction::Refuse},
        {"unknown long switch", "/help", false, CommandLineAction::Refuse},
    };
    for (const auto& c : cases) EXPECT_EQ(ClassifyArgument(c.argument, c.exists), c.action) << c.what;
}

}  // namespace
