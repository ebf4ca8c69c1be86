#include "shell/file_name_commands.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "command_fixture.h"
#include "shell/reporting.h"

namespace {

using FileNameCommands = CommandTest;

TEST_F(FileNameCommands, SettersStoreTheNameAsGivenAndSaySo) {
    struct Case {
        std::function<void(const std::string&)> command;
        std::string* setting;
        std::string message;
    };
    const std::vector<Case> cases = {
        {CmdSetAnalysisFile, &AnalysisFileName, "Analysis Output File set to "},
        {CmdSetTreeFile, &TreeFileName, "Tree Output File set to "},
        {CmdSetConsensusInFile, &ConsensusInFileName, "Consensus Input Tree File set to: "},
        {CmdSetConsensusOutFile, &ConsensusOutFileName, "Consensus Tree Output File set to: "},
        {CmdSetLogFile, &LogFileName, "Selected Log File: "},
    };
    for (const Case& c : cases) {
        const std::string name = "some dir.v2/out put.txt";
        c.command(name);
        EXPECT_EQ(*c.setting, name);
        EXPECT_EQ(LastLine(), c.message + name);
    }
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FileNameCommands, AnalysisFileReachesTheDataSetOnlyWhenThereIsOne) {
    CmdSetAnalysisFile("first.txt");
    EXPECT_EQ(DataSet, nullptr);
    SetData({"10", "01"});
    CmdSetAnalysisFile("second.txt");
    EXPECT_EQ(DataSet->OutputFileName, "second.txt");
    ResetDataSet();  // a new data set takes the setting over
    EXPECT_EQ(DataSet->OutputFileName, "second.txt");
}

TEST_F(FileNameCommands, LoggingFramesTheLogWithStartAndStopLines) {
    CmdSetLogging(true);
    EXPECT_EQ(LogOn, 1);
    WriteMsg("between");
    CmdSetLogging(false);
    EXPECT_EQ(LogOn, 0);
    WriteMsg("after");
    const std::string log = File(LogFileName);
    EXPECT_EQ(log.rfind("Started Logging on ", 0), 0u) << log;
    EXPECT_NE(log.find("\r\nbetween\r\nStopped Logging on "), std::string::npos) << log;
    EXPECT_EQ(log.find("after"), std::string::npos);
    EXPECT_EQ(log.substr(log.size() - 2), "\r\n");
    EXPECT_NE(log.find(" at "), std::string::npos);
}

TEST_F(FileNameCommands, AnExistingLogIsAppendedToWhenTheUserSaysSo) {
    OverwriteMode = 0;
    dir.Write("tesklog.txt", "old line\r\n");
    ui.ExpectBox(kAnswerYes, "Output file exists");
    CmdSetLogging(true);
    CmdSetLogging(false);
    EXPECT_EQ(File(LogFileName).rfind("old line\r\nStarted Logging on ", 0), 0u);

    ui.ExpectBox(kAnswerNo, "Output file exists");  // No rewrites it
    CmdSetLogging(true);
    CmdSetLogging(false);
    EXPECT_EQ(File(LogFileName).rfind("Started Logging on ", 0), 0u);
}

TEST_F(FileNameCommands, ALogThatCannotBeOpenedIsReportedAndLoggingStaysOff) {
    CmdSetLogFile(dir.Path("no such folder/log.txt"));
    ui.AllowBoxes("Error");
    CmdSetLogging(true);
    EXPECT_EQ(LogOn, 0);
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_EQ(Errors()[0], "Cannot open the log file " + LogFileName + "\r\nNo such file or directory");
    EXPECT_EQ(LastLine(), "Selected Log File: " + LogFileName);
}

}  // namespace
