// The command box's lines. Whatever is typed, the interpreter runs whole commands with values of
// their parameters' types, logs at most one error per line and stops there.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "shell/command_interpreter.h"
#include "shell/message_area.h"

namespace {

std::size_t calls = 0;

// Checks that every value has its parameter's type.
std::function<void(const std::vector<CmdValue>&)> Checked(std::vector<CmdParamType> types) {
    return [types](const std::vector<CmdValue>& values) {
        ++calls;
        fuzz::Check(values.size() == types.size(), "a handler got another number of values");
        for (std::size_t i = 0; i < values.size(); ++i)
            fuzz::Check(values[i].index() == static_cast<std::size_t>(types[i]), "a value of the wrong type");
    };
}

const CommandTable& Table() {
    using T = CmdParamType;
    static const CommandTable table = {
        {"Types",
         Checked({T::UInt32, T::Int32, T::Byte, T::ShortInt, T::Boolean, T::String, T::Float}),
         {{"U", T::UInt32, std::nullopt, {}},
          {"I", T::Int32, CmdValue(std::int32_t{-1}), {}},
          {"B", T::Byte, CmdValue(std::uint8_t{2}), {}},
          {"S", T::ShortInt, CmdValue(std::int8_t{-2}), {}},
          {"Flag", T::Boolean, CmdValue(false), {}},
          {"Name", T::String, CmdValue(std::string("x")), {}},
          {"X", T::Float, CmdValue(Extended{0.5L}), {}}}},
        {"Stats",
         Checked({T::Boolean, T::Boolean}),
         {{"Display", T::Boolean, CmdValue(true), {}}, {"AlwaysWriteToFile", T::Boolean, CmdValue(false), {}}}},
        {"Help", Checked({}), {}},
    };
    return table;
}

std::size_t ErrorLines() {
    std::size_t n = 0;
    for (const std::string& line : TheMessageArea().Lines()) n += line.rfind("ERROR: ", 0) == 0 ? 1 : 0;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ResetShell();
    for (std::size_t i = 0; i < MessageArea::kLineCount; ++i) WriteMsg("-");
    calls = 0;
    const std::string line(reinterpret_cast<const char*>(data), size);
    ExecuteCommandLine(line, Table());
    fuzz::Check(ErrorLines() <= 1, "more than one error for a line");
    fuzz::Check(calls <= line.size() / 4 + 1, "more commands ran than the line holds");
    return 0;
}
