#include "shell/help_commands.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "command_fixture.h"
#include "shell/analysis_file.h"

namespace {

using HelpCommands = CommandTest;

TEST_F(HelpCommands, ManualOpensFromTheProgramFolder) {
    AppPath = dir.Root().string() + "/";
    HelpFileName = "teskhelp-test-only.pdf";
    ui.ExpectBox(kAnswerOk, "Error");
    CmdOpenHelp();
    EXPECT_EQ(LastLine(), "Opening Help file (teskhelp-test-only.pdf)");
    EXPECT_EQ(Errors().back(), "Help file (teskhelp-test-only.pdf) not found.");
    EXPECT_TRUE(ui.viewedFiles.empty());

    dir.Write(HelpFileName, "%PDF");
    CmdOpenHelp();
    ASSERT_EQ(ui.viewedFiles.size(), 1u);
    EXPECT_EQ(ui.viewedFiles[0], dir.Path(HelpFileName));

    ui.viewerWorks = false;
    ui.ExpectBox(kAnswerOk, "Error");
    CmdOpenHelp();
    EXPECT_NE(Errors().back().find(dir.Path(HelpFileName)), std::string::npos);
}

TEST_F(HelpCommands, AboutHoldsWhatItMustAndHonoursTheBatchAnswer) {
    ui.ExpectBox(kAnswerOk, "About this program");
    CmdAbout();
    EXPECT_EQ(LastLine(), "Displaying About Box");
    const std::string& text = ui.boxes.back().text;
    for (const char* part : {"2003-2013", "Address", "numeric routines", "redistribute", "Requirements", "WARRANTY"})
        EXPECT_NE(text.find(part), std::string::npos) << part;

    BatchAnswer = 1;
    CmdAbout();
    EXPECT_EQ(ui.boxes.size(), 1u);
}

TEST_F(HelpCommands, CitationGoesToTheClipboardOnlyOnYes) {
    ui.clipboard = "before";
    ui.ExpectBox(kAnswerNo, "Citation");
    CmdCitation();
    EXPECT_EQ(LastLine(), "Displaying citation for TESK.");
    EXPECT_EQ(ui.boxes.back().text, CitationText + "\r\n\r\nCopy citation to clipboard?");
    EXPECT_EQ(ui.boxes.back().style, kQuestionYesNo);
    EXPECT_EQ(ui.clipboard, "before");

    ui.ExpectBox(kAnswerYes, "Citation");
    CmdCitation();
    EXPECT_EQ(ui.clipboard, CitationText);
}

TEST_F(HelpCommands, AppendToAnalysisFileCreatesAppendsAndReportsFailure) {
    EXPECT_TRUE(AppendToAnalysisFile("GROUP=\tNorth"));
    EXPECT_TRUE(AppendToAnalysisFile("second"));
    EXPECT_EQ(File(AnalysisFileName), "GROUP=\tNorth\r\nsecond\r\n");
    EXPECT_EQ(LastLine(), "Welcome");

    AnalysisFileName = dir.Path("no-folder/analysis.txt");
    ui.ExpectBox(kAnswerOk, "Error");
    EXPECT_FALSE(AppendToAnalysisFile("lost?"));
    EXPECT_NE(Errors().back().find(AnalysisFileName), std::string::npos);
}

}  // namespace
