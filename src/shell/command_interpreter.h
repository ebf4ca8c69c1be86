// The command box's interpreter: a line of commands separated by ';' (or line breaks), each a
// name and comma-separated arguments, positional or NAME=value, checked against a command table and
// handed to the command routines as typed values. Errors go to the message area as "ERROR: " lines
// and end the line; commands already run keep their effect.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "foundation/types.h"

// The parameter types, numbered as they always were.
enum class CmdParamType : std::uint8_t {
    UInt32 = 0,
    Int32 = 1,
    Byte = 2,
    ShortInt = 3,  // signed byte
    Boolean = 4,
    String = 5,
    Float = 6,  // extended
};

// One value of each type; the alternative matches the parameter's type.
using CmdValue = std::variant<std::uint32_t, std::int32_t, std::uint8_t, std::int8_t, bool, std::string, Extended>;

// Turns an argument's text into a value; true when it did.
using CmdArgParser = std::function<bool(std::string_view text, CmdValue& value)>;

struct TCmdParam {
    std::string Name;
    CmdParamType Type = CmdParamType::String;
    std::optional<CmdValue> Default;  // none: the parameter is required
    CmdArgParser Parser;              // tried first when set; the type's own reading when it fails
};

struct TCommand {
    std::string Name;
    std::function<void(const std::vector<CmdValue>& values)> Handler;  // values in parameter order
    std::vector<TCmdParam> Params;
};
using CommandTable = std::vector<TCommand>;

// The program's commands: "Stats" (Display, default true; AlwaysWriteToFile, default false) runs
// CmdMatrixStatistics, "Help" runs CmdOpenHelp. A developer build adds "AutoTest" (On, default
// true), which sets the setting AutoTest and says so in the message area.
const CommandTable& ProgramCommands();

// Interprets a line with the program's commands, or with the given table.
void ExecuteCommandLine(std::string_view text);
void ExecuteCommandLine(std::string_view text, const CommandTable& table);

// The index of the command whose name equals name, both upper-cased (A-Z only), or -1.
int FindCommand(std::string_view name, const CommandTable& table);
int FindCommand(std::string_view name);

// Reads text as a value of the parameter's type into value: whole numbers in decimal that fit the
// type, booleans 0 or 1, strings as they stand, floats as the strict parser reads them.
bool ParseCmdArg(std::string_view text, CmdParamType type, const CmdArgParser& parser, CmdValue& value);

// "ERROR: " + message to the message area.
void LogError(std::string_view message);
