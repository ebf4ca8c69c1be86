#include "shell/command_interpreter.h"

#include <gtest/gtest.h>

#include "command_fixture.h"
#include "shell/analysis_commands.h"
#include "shell/program_identity.h"
#include "shell/tree_commands.h"

namespace {

// A table with one parameter of each type, recording what it was called with.
struct Recorder {
    std::vector<std::string> calls;

    static std::string Text(const CmdValue& v) {
        return std::visit(
            [](const auto& x) -> std::string {
                using T = std::decay_t<decltype(x)>;
                if constexpr (std::is_same_v<T, std::string>) return "'" + x + "'";
                else if constexpr (std::is_same_v<T, bool>) return x ? "true" : "false";
                else if constexpr (std::is_same_v<T, Extended>) return std::to_string(static_cast<double>(x));
                else return std::to_string(static_cast<long long>(x));
            },
            v);
    }

    CommandTable Table() {
        auto record = [this](const char* name) {
            return [this, name](const std::vector<CmdValue>& values) {
                std::string call = name;
                for (const CmdValue& v : values) call += " " + Text(v);
                calls.push_back(call);
            };
        };
        return {
            {"Types",
             record("Types"),
             {{"U", CmdParamType::UInt32, CmdValue(std::uint32_t{1}), {}},
              {"I", CmdParamType::Int32, CmdValue(std::int32_t{-1}), {}},
              {"B", CmdParamType::Byte, CmdValue(std::uint8_t{2}), {}},
              {"S", CmdParamType::ShortInt, CmdValue(std::int8_t{-2}), {}},
              {"Flag", CmdParamType::Boolean, CmdValue(false), {}},
              {"Name", CmdParamType::String, CmdValue(std::string("x")), {}},
              {"X", CmdParamType::Float, CmdValue(Extended{0.5L}), {}}}},
            {"Need", record("Need"), {{"Count", CmdParamType::Int32, std::nullopt, {}}}},
            {"Yes",
             record("Yes"),
             {{"Answer", CmdParamType::Boolean, std::nullopt,
               [](std::string_view text, CmdValue& v) {
                   if (text != "yes") return false;
                   v = true;
                   return true;
               }}}},
        };
    }
};

struct LineCase {
    const char* line;
    std::vector<std::string> calls;  // what ran, in order
    std::string error;               // the last message line after "ERROR: "; empty: none
};

class CommandBox : public CommandTest {};

TEST_F(CommandBox, ParsingTable) {
    const std::string defaults = " 1 -1 2 -2 false 'x' 0.500000";
    const std::vector<LineCase> cases = {
        {"types", {"Types" + defaults}, ""},
        {"TYPES", {"Types" + defaults}, ""},
        {"Types 4294967295,-2147483648,255,-128,1,File.TXT,2.5",
         {"Types 4294967295 -2147483648 255 -128 true 'File.TXT' 2.500000"},
         ""},
        {"Types  7 , - 3", {"Types 7 -3 2 -2 false 'x' 0.500000"}, ""},
        {"Types name=MixedCase", {"Types 1 -1 2 -2 false 'MixedCase' 0.500000"}, ""},
        {"Types flag=1,x=1e2", {"Types 1 -1 2 -2 true 'x' 100.000000"}, ""},
        {"Types 3,i=4", {"Types 3 4 2 -2 false 'x' 0.500000"}, ""},
        // Numbers must fit their type.
        {"Types 4294967296", {}, "Illegal parameter type"},
        {"Types -1", {}, "Illegal parameter type"},
        {"Types 1,2147483648", {}, "Illegal parameter type"},
        {"Types 1,1,256", {}, "Illegal parameter type"},
        {"Types 1,1,1,128", {}, "Illegal parameter type"},
        {"Types 1,1,1,1,2", {}, "Illegal parameter type"},
        {"Types 0x10", {}, "Illegal parameter type"},
        {"Types +5", {}, "Illegal parameter type"},
        {"Types 1,1,1,1,1,s,nan", {}, "Illegal parameter type"},
        {"Types 1,1,1,1,1,s,1,5", {}, "Invalid number of arguments"},
        {"Types ,", {}, "Illegal parameter type"},
        {"Types u=", {}, "Cannot parse argument: u="},
        {"Types =5", {}, "Cannot parse argument: =5"},
        {"Types foo=1", {}, "Command contains unknown parameters"},
        {"Types i=4,3", {}, "Cannot assign unnamed parameter: 3"},
        {"Types u=4,3", {"Types 4 3 2 -2 false 'x' 0.500000"}, ""},
        {"Types 3,u=4", {}, "Parameter given twice: U"},
        {"Types u=3,U=4", {}, "Parameter given twice: U"},
        {"Need", {}, "Required parameter omitted"},
        {"Need 5", {"Need 5"}, ""},
        {"Yes yes", {"Yes true"}, ""},
        {"Yes 0", {"Yes false"}, ""},  // the type's own reading when the parser refuses
        {"Yes no", {}, "Illegal parameter type"},
        // Lines of several commands.
        {"Need 1;Need 2\r\nNeed 3\nNeed 4", {"Need 1", "Need 2", "Need 3", "Need 4"}, ""},
        {"Need 1; Need 2", {"Need 1", "Need 2"}, ""},
        {";;;\r\n;", {}, ""},
        {"Need 1;Bogus 3;Need 2", {"Need 1"}, "Illegal command: Bogus"},
        {"Need 1;Need;Need 2", {"Need 1"}, "Required parameter omitted"},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.line);
        Recorder recorder;
        WriteMsg("before");
        ExecuteCommandLine(c.line, recorder.Table());
        EXPECT_EQ(recorder.calls, c.calls);
        EXPECT_EQ(LastLine(), c.error.empty() ? "before" : "ERROR: " + c.error);
    }
}

TEST_F(CommandBox, FindCommandIgnoresCase) {
    EXPECT_EQ(FindCommand("stats"), 0);
    EXPECT_EQ(FindCommand("HeLp"), 1);
    EXPECT_EQ(FindCommand("Stats2"), -1);
    EXPECT_EQ(FindCommand(""), -1);
}

TEST_F(CommandBox, StatsRunsTheStatisticsCommand) {
    SetExampleData();
    ui.ExpectBox(kAnswerNo, "Statistics");
    ExecuteCommandLine("stats");
    EXPECT_EQ(LastLine(), "Displaying Data Matrix Statistics");
    ui.ExpectBox(kAnswerNo, "Statistics");
    ExecuteCommandLine("STATS AlwaysWriteToFile=1");  // Display stays true: the box is shown
    EXPECT_EQ(LastLine(), "Data Matrix Statistics written to analysis output file");
    ExecuteCommandLine("Stats 0,1");  // no box
    EXPECT_NE(File(AnalysisFileName).find("Individuals:  8"), std::string::npos);
    ExecuteCommandLine("Stats 0,1,1");
    EXPECT_EQ(LastLine(), "ERROR: Invalid number of arguments");
    ExecuteCommandLine("Stats yes");
    EXPECT_EQ(LastLine(), "ERROR: Illegal parameter type");
}

// Only a developer build's command box knows "AutoTest"; with it on, UPGMA trees are built with
// the second clustering beside and come out the same.
TEST_F(CommandBox, AutoTestIsADeveloperSwitch) {
    SetExampleData();
    CmdCalculateMatrix(Treatment::Standard, Coefficient::Jaccard, Transformation::OneMinusS, NeiLiR, JCRandomDraws,
                       false, false);
    CmdBuildUPGMA();
    ExecuteCommandLine("AutoTest");
    if (!DevMode) {
        EXPECT_EQ(LastLine(), "ERROR: Illegal command: AutoTest");
        EXPECT_EQ(AutoTest, 0);
        return;
    }
    EXPECT_EQ(LastLine(), "AutoTest on");
    EXPECT_EQ(AutoTest, 1);
    CmdBuildUPGMA();
    EXPECT_EQ(LastLine(), "Building UPGMA tree...done.");
    const auto lines = TreeLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], lines[0]);
    ExecuteCommandLine("autotest 0");
    EXPECT_EQ(LastLine(), "AutoTest off");
    EXPECT_EQ(AutoTest, 0);
    ExecuteCommandLine("AutoTest On=2");
    EXPECT_EQ(LastLine(), "ERROR: Illegal parameter type");
    EXPECT_EQ(AutoTest, 0);
}

TEST_F(CommandBox, HelpRunsOnceBeforeABadCommand) {
    HelpFileName = dir.Write("teskhelp.pdf", "%PDF");
    ExecuteCommandLine("Help;Bogus;Help");
    EXPECT_EQ(ui.viewedFiles.size(), 1u);
    EXPECT_EQ(LastLine(), "ERROR: Illegal command: Bogus");
}

}  // namespace
