#include "shell/viewer_commands.h"

#include <gtest/gtest.h>

#include <functional>

#include "command_fixture.h"
#include "shell/consensus_commands.h"
#include "shell/help_commands.h"
#include "shell/viewer_record.h"
#include "shell/reporting.h"
#include "shell/settings.h"

namespace {

using ViewerCommands = CommandTest;

struct ViewerCase {
    const char* label;
    std::function<void()> command;
    std::string* fileName;
    std::string line;     // message line; empty: the line holds the file name
    std::string missing;  // error text before the name
};

TEST_F(ViewerCommands, OpenExistingFilesAndReportMissingOnes) {
    const std::vector<ViewerCase> cases = {
        {"input", CmdViewInputFile, &InputFileName, "", "Input file ("},
        {"analysis", CmdViewAnalysisFile, &AnalysisFileName, "Viewing analysis output file", "Analysis file ("},
        {"tree", CmdViewTreeFile, &TreeFileName, "Viewing tree(s) in the output tree file", "Tree output file ("},
        {"log", CmdViewLogFile, &LogFileName, "Viewing TESK log file", "Log file ("},
    };
    ui.AllowBoxes("Error");
    for (const ViewerCase& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string name = *c.fileName;
        c.command();
        EXPECT_EQ(Errors().back(), c.missing + name + ") not found.");
        EXPECT_TRUE(ui.viewedFiles.empty());

        dir.Write(name.substr(dir.Root().string().size() + 1), "content");
        c.command();
        EXPECT_EQ(LastLine(), c.line.empty() ? "Viewing input file: " + name : c.line);
        ASSERT_EQ(ui.viewedFiles.size(), 1u);
        EXPECT_EQ(ui.viewedFiles[0], name);
        ui.viewedFiles.clear();
    }
    EXPECT_EQ(Errors().size(), cases.size());
}

TEST_F(ViewerCommands, RelativeNamesReachTheViewerInFull) {
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.Root());
    AnalysisFileName = "analysis.txt";
    dir.Write("analysis.txt", "report");
    CmdViewAnalysisFile();
    std::filesystem::current_path(previous);
    ASSERT_EQ(ui.viewedFiles.size(), 1u);
    EXPECT_EQ(ui.viewedFiles[0], dir.Path("analysis.txt"));
}

TEST_F(ViewerCommands, AViewerThatCannotStartIsReportedWithItsReason) {
    struct Case {
        const char* label;
        std::function<void()> command;
        std::string* fileName;
        bool inProgramFolder;  // the help file lives beside the program
    };
    AppPath = dir.Root().string() + "/";
    HelpFileName = "manual.pdf";
    ConsensusOutFileName = dir.Path("constree.ph");
    const std::vector<Case> cases = {
        {"input", CmdViewInputFile, &InputFileName, false},
        {"analysis", CmdViewAnalysisFile, &AnalysisFileName, false},
        {"tree", CmdViewTreeFile, &TreeFileName, false},
        {"consensus", CmdViewConsensusFile, &ConsensusOutFileName, false},
        {"log", CmdViewLogFile, &LogFileName, false},
        {"help", CmdOpenHelp, &HelpFileName, true},
    };
    ui.viewerWorks = false;
    ui.viewerFailure = "xdg-open found no program for this kind of file.";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string shown = c.inProgramFolder ? dir.Path(*c.fileName) : *c.fileName;
        dir.Write(shown.substr(dir.Root().string().size() + 1), "content");
        ui.ExpectBox(kAnswerOk, "Error");
        c.command();
        EXPECT_EQ(ui.PendingBoxes(), 0u);
        EXPECT_EQ(Errors().back(), "No program could be started to show the file " + shown + "\r\n\r\n" +
                                       "xdg-open found no program for this kind of file.");
        EXPECT_FALSE(LastLine().ends_with("done."));
    }
}

TEST_F(ViewerCommands, ViewingTheLogKeepsLoggingOnAndLogsTheLine) {
    ASSERT_EQ(StartLog(), 0);
    CmdViewLogFile();
    EXPECT_EQ(LogOn, 1);
    EXPECT_EQ(ui.viewedFiles.size(), 1u);
    WriteMsg("after viewing");
    const std::string log = File(LogFileName);
    EXPECT_NE(log.find("Viewing TESK log file\r\nafter viewing\r\n"), std::string::npos);
    StopLog();
}

TEST_F(ViewerCommands, ExitSaysGoodbyeAndQuits) {
    CmdExit();
    EXPECT_EQ(LastLine(), "Exiting program. Bye bye!");
    EXPECT_EQ(ui.quitRequests, 1);
}

}  // namespace

namespace {

TEST_F(ViewerCommands, TheEmptyViewerOpensForImports) {
    CmdStart3DViewer();
    EXPECT_EQ(LastLine(), "Starting 3D coordinate viewer");
    ASSERT_EQ(ui.viewers.size(), 1u);
    EXPECT_FALSE(ui.viewers[0].has_value());
}

TEST_F(ViewerCommands, TheViewerNeedsARecordToShowAResult) {
    ui.ExpectBox(kAnswerOk, "Error");
    DisplayPCoAViewer(PCoAViewerMode::Result, nullptr);
    EXPECT_EQ(Errors(), std::vector<std::string>{"DisplayPCoAViewer: Invalid setup params"});
    EXPECT_TRUE(ui.viewers.empty());

    TPCoAViewerRec rec;
    rec.OTUNames = {"a"};
    DisplayPCoAViewer(PCoAViewerMode::Result, &rec);
    DisplayPCoAViewer(PCoAViewerMode::Empty, &rec);  // the empty viewer ignores a record
    ASSERT_EQ(ui.viewers.size(), 2u);
    ASSERT_TRUE(ui.viewers[0].has_value());
    EXPECT_EQ(ui.viewers[0]->OTUNames, rec.OTUNames);
    EXPECT_FALSE(ui.viewers[1].has_value());
}

}  // namespace
