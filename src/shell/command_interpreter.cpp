#include "shell/command_interpreter.h"

#include <limits>

#include "foundation/strict_number.h"
#include "foundation/strings.h"
#include "shell/data_commands.h"
#include "shell/help_commands.h"
#include "shell/message_area.h"
#include "shell/program_identity.h"
#include "shell/settings.h"

namespace {

// Whole numbers: optional '-' (for the signed types), digits, within [low, high].
bool ParseWhole(std::string_view text, std::int64_t low, std::int64_t high, std::int64_t& value) {
    if (text.empty() || text.front() == '+' || text.find(' ') != std::string_view::npos) return false;
    std::int64_t v = 0;
    if (!ParseStrictInteger(text, v) || v < low || v > high) return false;
    value = v;
    return true;
}

template <class T>
bool ParseInto(std::string_view text, CmdValue& value) {
    std::int64_t v = 0;
    if (!ParseWhole(text, std::numeric_limits<T>::min(), std::numeric_limits<T>::max(), v)) return false;
    value = static_cast<T>(v);
    return true;
}

std::string WithoutBlanks(std::string_view text) {
    std::string out;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\0') out += c;
    return out;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// The commands of a line: CR, LF and ';' separate them; empty ones are dropped.
std::vector<std::string> SplitCommands(std::string_view text) {
    std::vector<std::string> commands;
    std::string current;
    for (char c : text) {
        if (c == ';' || c == '\r' || c == '\n') {
            commands.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    commands.push_back(current);
    return commands;
}

struct Argument {
    std::string text;   // as given, blanks removed
    std::string name;   // upper-cased; empty for a positional one
    std::string value;  // the value's text, case kept
};

// Runs one command of a line; false when it logged an error (the line ends then).
bool RunOne(std::string_view command, const CommandTable& table) {
    std::string_view name = command;
    std::string_view argText;
    if (const std::size_t blank = command.find_first_of(" \t"); blank != std::string_view::npos) {
        name = command.substr(0, blank);
        argText = TrimBlanks(command.substr(blank + 1));
    }
    const int index = FindCommand(name, table);
    if (index < 0) {
        LogError("Illegal command: " + std::string(name));
        return false;
    }
    const TCommand& cmd = table[static_cast<std::size_t>(index)];

    std::vector<Argument> args;
    if (!argText.empty()) {
        AString pieces;
        SplitByChar(argText, ',', pieces);
        for (const std::string& piece : pieces) {
            Argument a;
            a.text = WithoutBlanks(piece);
            if (const std::size_t eq = a.text.find('='); eq != std::string::npos) {
                a.name = UpperCaseAscii(a.text.substr(0, eq));
                a.value = a.text.substr(eq + 1);
                if (a.name.empty() || a.value.empty()) {
                    LogError("Cannot parse argument: " + a.text);
                    return false;
                }
            } else {
                a.value = a.text;
            }
            args.push_back(std::move(a));
        }
    }
    if (args.size() > cmd.Params.size()) {
        LogError("Invalid number of arguments");
        return false;
    }

    // The argument each parameter gets, by position or by name.
    std::vector<const Argument*> given(cmd.Params.size(), nullptr);
    bool namedElsewhere = false;  // a named argument sat at another parameter's position
    bool unknown = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const Argument& a = args[i];
        std::size_t target = cmd.Params.size();
        if (a.name.empty()) {
            if (namedElsewhere) {
                LogError("Cannot assign unnamed parameter: " + a.text);
                return false;
            }
            target = i;
        } else {
            for (std::size_t p = 0; p < cmd.Params.size(); ++p)
                if (UpperCaseAscii(cmd.Params[p].Name) == a.name) target = p;
            if (target == cmd.Params.size()) {
                unknown = true;
                continue;
            }
            if (target != i) namedElsewhere = true;
        }
        if (given[target] != nullptr) {
            LogError("Parameter given twice: " + cmd.Params[target].Name);
            return false;
        }
        given[target] = &a;
    }
    if (unknown) {
        LogError("Command contains unknown parameters");
        return false;
    }

    std::vector<CmdValue> values;
    values.reserve(cmd.Params.size());
    for (std::size_t p = 0; p < cmd.Params.size(); ++p) {
        const TCmdParam& param = cmd.Params[p];
        if (given[p] == nullptr) {
            if (!param.Default) {
                LogError("Required parameter omitted");
                return false;
            }
            values.push_back(*param.Default);
            continue;
        }
        CmdValue value;
        if (!ParseCmdArg(given[p]->value, param.Type, param.Parser, value)) {
            LogError("Illegal parameter type");
            return false;
        }
        values.push_back(std::move(value));
    }
    if (cmd.Handler) cmd.Handler(values);
    return true;
}

}  // namespace

const CommandTable& ProgramCommands() {
    static const CommandTable table = {
        {"Stats",
         [](const std::vector<CmdValue>& v) {
             CmdMatrixStatistics({.Display = std::get<bool>(v.at(0)), .AlwaysWriteToFile = std::get<bool>(v.at(1))});
         },
         {{"Display", CmdParamType::Boolean, CmdValue(true), {}},
          {"AlwaysWriteToFile", CmdParamType::Boolean, CmdValue(false), {}}}},
        {"Help", [](const std::vector<CmdValue>&) { CmdOpenHelp(); }, {}},
    };
    // A developer build also switches AutoTest: "AutoTest" or "AutoTest 1" on, "AutoTest 0" off.
    static const CommandTable developerTable = [] {
        CommandTable t = table;
        t.push_back({"AutoTest",
                     [](const std::vector<CmdValue>& v) {
                         AutoTest = std::get<bool>(v.at(0)) ? 1 : 0;
                         WriteMsg("AutoTest " + OnOffText(AutoTest));
                     },
                     {{"On", CmdParamType::Boolean, CmdValue(true), {}}}});
        return t;
    }();
    if constexpr (DevMode) return developerTable;
    return table;
}

void LogError(std::string_view message) { WriteMsg("ERROR: " + std::string(message)); }

int FindCommand(std::string_view name, const CommandTable& table) {
    const std::string wanted = UpperCaseAscii(name);
    for (std::size_t i = 0; i < table.size(); ++i)
        if (UpperCaseAscii(table[i].Name) == wanted) return static_cast<int>(i);
    return -1;
}

int FindCommand(std::string_view name) { return FindCommand(name, ProgramCommands()); }

bool ParseCmdArg(std::string_view text, CmdParamType type, const CmdArgParser& parser, CmdValue& value) {
    if (parser && parser(text, value)) return true;
    switch (type) {
        case CmdParamType::UInt32: return ParseInto<std::uint32_t>(text, value);
        case CmdParamType::Int32: return ParseInto<std::int32_t>(text, value);
        case CmdParamType::Byte: return ParseInto<std::uint8_t>(text, value);
        case CmdParamType::ShortInt: return ParseInto<std::int8_t>(text, value);
        case CmdParamType::Boolean:
            if (text != "0" && text != "1") return false;
            value = text == "1";
            return true;
        case CmdParamType::String: value = std::string(text); return true;
        case CmdParamType::Float: {
            Extended x = 0;
            if (text.empty() || text.find(' ') != std::string_view::npos || !ParseStrictFloat(text, x)) return false;
            value = x;
            return true;
        }
    }
    return false;
}

void ExecuteCommandLine(std::string_view text, const CommandTable& table) {
    for (const std::string& command : SplitCommands(text)) {
        const std::string_view trimmed = TrimBlanks(command);
        if (trimmed.empty()) continue;
        if (!RunOne(trimmed, table)) return;
    }
}

void ExecuteCommandLine(std::string_view text) { ExecuteCommandLine(text, ProgramCommands()); }
