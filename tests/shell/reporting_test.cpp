#include "shell/reporting.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "shell/commands.h"
#include "shell/settings.h"
#include "support/fake_ui_port.h"
#include "support/temp_dir.h"
#include "trees/tree_test_util.h"

namespace {

class Reporting : public ::testing::Test {
protected:
    void SetUp() override { RestoreDefaultSettings(); }
    void TearDown() override {
        StopLog();
        RestoreDefaultSettings();
    }

    // Starts logging into a fresh file of the temporary folder.
    std::string StartFreshLog() {
        LogFileName = dir.Path("tesklog.txt");
        EXPECT_EQ(StartLog(), 0);
        EXPECT_EQ(LogOn, 1);
        return LogFileName;
    }

    TempDir dir;
    FakeUiPort ui;
};

TEST_F(Reporting, TwoErrorsShowTwoBoxesCountTwoAndReachTheLog) {
    const std::string log = StartFreshLog();
    ErrorCounter = 5;
    ui.ExpectBox(kAnswerOk, "Error");
    ui.ExpectBox(kAnswerOk, "Error");
    ShowError("first");
    ShowError("second");
    EXPECT_EQ(ErrorCounter, 7);
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[0].text, "first");
    EXPECT_EQ(ui.boxes[1].style, kMessageOk);
    EXPECT_EQ(TempDir::Read(log), "Error: first\r\nError: second\r\n");
}

TEST_F(Reporting, WarningsAreShownAndLoggedOnlyWhileSwitchedOn) {
    const std::string log = StartFreshLog();
    ui.ExpectBox(kAnswerOk, "Warning");
    ShowWarning("careful");
    ShowWarnings = 0;
    ShowWarning("silent");
    EXPECT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(TempDir::Read(log), "Warning: careful\r\n");
    EXPECT_EQ(ErrorCounter, 0);
}

TEST_F(Reporting, NothingIsLoggedWhileLoggingIsOff) {
    const std::string log = StartFreshLog();
    WriteLogLine("kept");
    StopLog();
    ui.ExpectBox(kAnswerOk, "Error");
    ShowError("not logged");
    WriteLogLine("not logged either");
    EXPECT_EQ(TempDir::Read(log), "kept\r\n");
}

TEST_F(Reporting, BatchAnswersSkipTheQuestionButNotTheOutputFileBox) {
    BatchAnswer = 1;
    EXPECT_EQ(AskUser("Go on?", "Question", kQuestionYesNo), kAnswerYes);
    BatchAnswer = 2;
    EXPECT_EQ(AskUser("Go on?", "Question", kQuestionYesNo), kAnswerNo);
    EXPECT_TRUE(ui.boxes.empty());

    BatchAnswer = 0;
    ui.ExpectBox(kAnswerNo, "Question");
    EXPECT_EQ(AskUser("Go on?", "Question", kQuestionYesNo), kAnswerNo);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].style, kQuestionYesNo);

    // The caller's own answer wins over BatchAnswer.
    BatchAnswer = 1;
    EXPECT_EQ(AskUserEx("Go on?", "Question", kQuestionYesNo, 2), kAnswerNo);
    ui.ExpectBox(kAnswerYes, "Question");
    EXPECT_EQ(AskUserEx("Go on?", "Question", kQuestionYesNo, 0), kAnswerYes);

    const std::string file = dir.Write("analysis.txt", "old\r\n");
    ui.ExpectBox(kAnswerYes, "Output file exists");
    EXPECT_FALSE(MustRewriteOutput(file));
}

TEST_F(Reporting, OutputFileRuleByModeAndAnswer) {
    struct Case {
        int mode;
        int answer;  // -1: no box expected
        bool rewrite;
    };
    const Case cases[] = {
        {1, -1, false},           // append
        {2, -1, true},            // rewrite
        {0, kAnswerYes, false},   // Yes: append
        {0, kAnswerNo, true},     // No: rewrite
        {0, kAnswerNone, false},  // closed without an answer: keep the file
        {3, kAnswerNo, true},     // unknown modes ask
    };
    const std::string file = dir.Write("analysis.txt", "old\r\n");
    for (const Case& c : cases) {
        OverwriteMode = static_cast<std::uint8_t>(c.mode);
        const std::size_t boxesBefore = ui.boxes.size();
        if (c.answer >= 0) ui.ExpectBox(c.answer, "Output file exists");
        EXPECT_EQ(MustRewriteOutput(file), c.rewrite) << c.mode << "/" << c.answer;
        EXPECT_EQ(ui.boxes.size(), boxesBefore + (c.answer >= 0 ? 1 : 0));
    }
    EXPECT_EQ(ui.boxes.back().text,
              "File already exists.\r\n\r\n" + file +
                  "\r\n\r\nAppend data to file rather than rewriting file?");
    EXPECT_EQ(TempDir::Read(file), "old\r\n");  // deciding never touches an existing file
}

TEST_F(Reporting, MissingOutputFileIsCreatedEmptyAndAppended) {
    const std::string file = dir.Path("new.txt");
    EXPECT_FALSE(MustRewriteOutput(file));
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(TempDir::Read(file), "");
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_FALSE(MustRewriteOutput(dir.Path("no/such/folder/x.txt")));  // the writer reports it later
}

TEST_F(Reporting, ReportsReplaceOrAppendAsTheRuleSays) {
    const std::string file = dir.Write("analysis.txt", "old\r\n");
    OverwriteMode = 1;
    ASSERT_EQ(SaveTextToFile(file, "one\r\n", !MustRewriteOutput(file)), 0);
    EXPECT_EQ(TempDir::Read(file), "old\r\none\r\n");
    OverwriteMode = 2;
    ASSERT_EQ(SaveTextToFile(file, "two\r\n", !MustRewriteOutput(file)), 0);
    EXPECT_EQ(TempDir::Read(file), "two\r\n");

    FileWriter out;
    ASSERT_EQ(OpenTextOut(out, file, false), 0);
    ASSERT_EQ(out.Write("three\r\n"), 0);
    ASSERT_EQ(out.Close(), 0);
    EXPECT_EQ(TempDir::Read(file), "two\r\nthree\r\n");
    ASSERT_EQ(OpenTextOut(out, file, true), 0);
    ASSERT_EQ(out.Close(), 0);
    EXPECT_EQ(TempDir::Read(file), "");

    EXPECT_NE(OpenTextOut(out, dir.Path("no/such/folder/x.txt"), true), 0);
    EXPECT_NE(SaveTextToFile(dir.Path("no/such/folder/x.txt"), "x", false), 0);
}

TEST_F(Reporting, StartingTheLogAsksAboutAnExistingFile) {
    LogFileName = dir.Write("tesklog.txt", "earlier\r\n");
    ui.ExpectBox(kAnswerYes, "Output file exists");
    ASSERT_EQ(StartLog(), 0);
    WriteLogLine("later");
    EXPECT_EQ(TempDir::Read(LogFileName), "earlier\r\nlater\r\n");

    ui.ExpectBox(kAnswerNo, "Output file exists");
    ASSERT_EQ(StartLog(), 0);
    WriteLogLine("fresh");
    EXPECT_EQ(TempDir::Read(LogFileName), "fresh\r\n");

    LogFileName = dir.Path("no/such/folder/log.txt");
    EXPECT_NE(StartLog(), 0);
    EXPECT_EQ(LogOn, 0);
}

TEST_F(Reporting, FailingLogTurnsLoggingOffWithOneWarningAndErrorsStillCount) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    LogFileName = "/dev/full";
    OverwriteMode = 1;
    ASSERT_EQ(StartLog(), 0);
    ShowWarnings = 0;  // the lost log is told even to a user who hides warnings
    ui.ExpectBox(kAnswerOk, "Error");
    ui.ExpectBox(kAnswerOk, "Warning");
    ui.ExpectBox(kAnswerOk, "Error");
    EXPECT_NO_THROW(ShowError("disk full"));
    EXPECT_EQ(LogOn, 0);
    EXPECT_NO_THROW(ShowError("again"));
    EXPECT_EQ(ErrorCounter, 2);
    EXPECT_EQ(ui.boxes.size(), 3u);
    EXPECT_NE(ui.boxes[1].text.find("/dev/full"), std::string::npos);
}

class ThrowingPort : public UiPort {
public:
    int ShowMessageBox(std::string_view, std::string_view, int) override {
        throw std::runtime_error("no window");
    }
    void SetMessageLines(const MessageLines&) override {}
    void SetStatusPanel(std::size_t, std::string_view) override {}
};

TEST_F(Reporting, ErrorsAndWarningsNeverThrow) {
    ThrowingPort port;
    UiPort* previous = SetUiPort(&port);
    EXPECT_NO_THROW(ShowError("x"));
    EXPECT_NO_THROW(ShowWarning("y"));
    EXPECT_EQ(AskUser("z", "Question", kQuestionYesNo), kAnswerNone);
    SetUiPort(previous);
    EXPECT_EQ(ErrorCounter, 1);
}

TEST_F(Reporting, EngineQuestionClosedWithoutAnAnswerDeclines) {
    // The PCoA's retry question reaches the user through the program's reporter; only Yes retries.
    for (const int answer : {kAnswerNo, kAnswerNone}) {
        SCOPED_TRACE(answer);
        ui.ExpectBox(answer, "Error");
        TDistAnalysis a = RandomEuclidean(ProgramReporter(), 10, 3, 8);
        EXPECT_FALSE(a.PCoA(1));
        EXPECT_TRUE(a.Coords.empty());
    }
    EXPECT_EQ(ui.boxes.size(), 2u);
}

}  // namespace
