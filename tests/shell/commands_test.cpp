#include "shell/commands.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <new>
#include <optional>
#include <stdexcept>

#include "command_fixture.h"
#include "foundation/keep_alive.h"
#include "foundation/scope_exit.h"
#include "foundation/text_file.h"
#include "numeric/jacobi.h"
#include "shell/analysis_commands.h"
#include "shell/data_commands.h"
#include "shell/reporting.h"
#include "shell/tree_commands.h"
#include "support/allocation_limit.h"
#include "trees/tree_records.h"

namespace {

using Commands = CommandTest;

TEST_F(Commands, WrapperReportsAnEscapingExceptionAndReturnsToIdle) {
    ui.AllowBoxes("Error");
    EXPECT_TRUE(RunCommand([] { SetStatusCalculating(); }));
    EXPECT_EQ(Panel(MessageArea::PanelState), "Calculating");
    EXPECT_TRUE(Errors().empty());

    ASSERT_EQ(OpenTextOut(AnalysisFile, AnalysisFileName, true), 0);
    EXPECT_FALSE(RunCommand([] {
        SetStatusBusyIO();
        FreqOutBuffer = std::make_unique<Ttf>();
        throw std::runtime_error("Disk <b>full</b>");
    }));
    EXPECT_EQ(Panel(MessageArea::PanelState), "Idle");
    EXPECT_FALSE(AnalysisFile.IsOpen());
    EXPECT_FALSE(FreqOutBuffer);
    EXPECT_FALSE(RunCommand([] { throw 42; }));
    EXPECT_FALSE(RunCommand([] { throw std::bad_alloc(); }));
    // The message is shown as the plain text it is.
    EXPECT_EQ(Errors(), (std::vector<std::string>{"Disk <b>full</b>", "Unexpected error", "Out of memory"}));
    EXPECT_EQ(ErrorCounter, 3);
}

TEST_F(Commands, AnExceptionEndsAnUnfinishedProgressLineWithFailed) {
    ui.AllowBoxes("Error");
    EXPECT_FALSE(RunCommand([] {
        CommandRun run("Working...");
        throw std::runtime_error("interrupted");
    }));
    EXPECT_EQ(LastLine(), "Working...failed.");
    EXPECT_FALSE(RunCommand([] {
        CommandRun run("Again...");
        run.Finish();
        throw std::runtime_error("after the end");
    }));
    EXPECT_EQ(LastLine(), "Again...done.");
    EXPECT_FALSE(RunCommand([] { throw std::runtime_error("without a line"); }));
    EXPECT_EQ(LastLine(), "Again...done.");
    EXPECT_EQ(Errors().size(), 3u);
}

// A command whose final "done." does not fit in memory says so instead of ending silently.
TEST_F(Commands, AShortageWhileEndingTheLineIsReported) {
    ui.AllowBoxes("Error");
    const std::string progress(200 * 1024, 'x');
    EXPECT_TRUE(RunCommand([&] {
        std::optional<RefuseLargeAllocations> refuse;
        CommandRun run(progress);
        EXPECT_TRUE(run.Run([] { return true; }));
        refuse.emplace(100 * 1024);  // appending "done." needs a line longer than the progress text
    }));
    EXPECT_EQ(Errors(), std::vector<std::string>{"Out of memory"});
    EXPECT_EQ(LastLine(), progress);
}

// While a long engine call runs the window repaints now and then, showing the command at work.
TEST_F(Commands, ALongEngineCallKeepsTheWindowShowingTheCommandAtWork) {
    const auto interval = SetKeepAliveInterval(std::chrono::nanoseconds(0));
    const ScopeExit restore([interval] { SetKeepAliveInterval(interval); });
    struct Shown {
        std::string state, line;
    };
    std::vector<Shown> shown;
    ui.onKeepAlive = [&] { shown.push_back({Panel(MessageArea::PanelState), LastLine()}); };
    PCoAAutostart = 0;
    SetExampleData();
    CmdCalculateMatrix(Treatment::Standard, Coefficient::Jaccard, Transformation::OneMinusS, NeiLiR, JCRandomDraws,
                       false, false);
    shown.clear();
    CmdPCoA(false);
    EXPECT_EQ(LastLine(), "Performing PCoA...done.");
    ASSERT_FALSE(shown.empty());
    for (const Shown& s : shown) {
        EXPECT_EQ(s.state, "Calculating");
        EXPECT_EQ(s.line, "Performing PCoA...");
    }
    // Outside an engine call the loops keep nothing alive.
    const int calls = ui.keepAlives;
    ExtMatrix a(3);
    a(0, 1) = 1.0L;
    ExtMatrix vectors(3);
    AExt values(3);
    EXPECT_EQ(JacobiEigen(a, 0, 2, vectors, values, 1e-12L, 1000), 0);
    EXPECT_EQ(ui.keepAlives, calls);
}

// No command starts inside another one's pause for repainting; it runs once that one has returned.
TEST_F(Commands, ACommandAskedForWhileTheWindowRepaintsIsPutOff) {
    const auto interval = SetKeepAliveInterval(std::chrono::nanoseconds(0));
    const ScopeExit restore([interval] { SetKeepAliveInterval(interval); });
    bool ran = false, started = true;
    ui.onKeepAlive = [&] {
        if (ui.laterCommands.empty()) started = RunCommand([&] { ran = true; });
    };
    {
        CommandRun run("Working...");
        EXPECT_TRUE(run.Transfer([] {
            KeepAlive();
            return true;
        }));
        EXPECT_FALSE(ran);
    }
    EXPECT_FALSE(started);
    EXPECT_EQ(LastLine(), "Working...done.");
    ASSERT_EQ(ui.laterCommands.size(), 1u);
    EXPECT_TRUE(RunCommand(ui.laterCommands.front()));
    EXPECT_TRUE(ran);
}

// A port whose status bar fails once when the given state is shown.
class FailingStatusUi : public FakeUiPort {
public:
    explicit FailingStatusUi(std::string state) : state_(std::move(state)) {}
    void SetStatusPanel(std::size_t panel, std::string_view text) override {
        FakeUiPort::SetStatusPanel(panel, text);
        if (panel == MessageArea::PanelState && text == state_) {
            state_.clear();
            throw std::runtime_error("status bar gone");
        }
    }

private:
    std::string state_;
};

TEST_F(Commands, InterruptedLoadEndsFailedAndKeepsTheData) {
    SetExampleData();
    const TPopGenDataSet* previous = DataSet.get();
    const std::string file = std::string(TESK_SOURCE_DIR) + "/examples/fingerprints.txt";
    FailingStatusUi failing("Busy: I/O");
    failing.AllowBoxes("Error");
    EXPECT_FALSE(RunCommand([&file] { CmdLoadInputFile(file); }));
    EXPECT_EQ(LastLine(), "Loading File: " + file + " ...failed.");
    ASSERT_EQ(failing.boxes.size(), 1u);
    EXPECT_EQ(failing.boxes[0].text, "status bar gone");
    EXPECT_EQ(DataSet.get(), previous);
    EXPECT_EQ(InputFileName, dir.Path("input.txt"));
    EXPECT_EQ(Panel(MessageArea::PanelState), "Idle");
}

TEST_F(Commands, AnEngineStepFailsOnItsResultOrAnyErrorReportedMeanwhile) {
    SetExampleData();
    ui.AllowBoxes("Error");
    {
        CommandRun run("Quiet...");
        EXPECT_TRUE(run.Calculate([] { return true; }));
        EXPECT_EQ(Panel(MessageArea::PanelState), "Calculating");
        EXPECT_TRUE(run.Finish());
        EXPECT_TRUE(run.Finish());  // once only
    }
    EXPECT_EQ(LastLine(), "Quiet...done.");
    EXPECT_EQ(Panel(MessageArea::PanelState), "Idle");

    const struct {
        const char* what;
        std::function<bool()> call;
    } failing[] = {
        {"result", [] { return false; }},
        {"data set",
         [] {
             DataSet->ReportError("engine");
             return true;
         }},
        {"tree code",
         [] {
             ProgramReporter().Error("tree");
             return true;
         }},
        {"shortage", []() -> bool { throw std::bad_alloc(); }},
    };
    for (const auto& c : failing) {
        SCOPED_TRACE(c.what);
        {
            CommandRun run(c.what);
            EXPECT_FALSE(run.Transfer(c.call));
            EXPECT_EQ(Panel(MessageArea::PanelState), "Busy: I/O");
            EXPECT_TRUE(run.Run([] { return true; }));  // a later step does not undo the verdict
        }
        EXPECT_EQ(LastLine(), std::string(c.what) + "failed.");
        EXPECT_EQ(Panel(MessageArea::PanelState), "Idle");
    }
    EXPECT_EQ(Errors(), (std::vector<std::string>{"engine", "tree", "Out of memory"}));

    // Without a progress text nothing is appended, and without an activity the panel is left alone.
    SetStatusCalculating();
    {
        CommandRun run;
        EXPECT_FALSE(run.Run([] { return false; }));
    }
    EXPECT_EQ(LastLine(), "shortagefailed.");
    EXPECT_EQ(Panel(MessageArea::PanelState), "Calculating");
}

TEST_F(Commands, FailEndsTheRunFailedWithoutAReport) {
    {
        CommandRun run("Checking...");
        EXPECT_TRUE(run.Calculate([] { return true; }));
        run.Fail();
        EXPECT_FALSE(run.Succeeded());
        EXPECT_TRUE(run.Run([] { return true; }));  // a later step does not undo the verdict
    }
    EXPECT_EQ(LastLine(), "Checking...failed.");
    EXPECT_EQ(Panel(MessageArea::PanelState), "Idle");
    EXPECT_TRUE(Errors().empty());
}

TEST_F(Commands, SwitchToAllDataLeavesASelectionWithAWarning) {
    SetExampleData();
    SwitchToAllData();  // already the whole data set: nothing to say
    ASSERT_TRUE(DataSet->SelectGroup(2));
    ASSERT_EQ(DataSet->CurLayer, 2);
    ui.ExpectBox(kAnswerOk, "Warning");
    SwitchToAllData();
    EXPECT_EQ(DataSet->CurLayer, 1);
    EXPECT_EQ(ui.boxes.back().text, "Switching to AllData");

    ShowWarnings = 0;
    ASSERT_TRUE(DataSet->SelectGroup(1));
    SwitchToAllData();
    EXPECT_EQ(DataSet->CurLayer, 1);
    EXPECT_EQ(ui.boxes.size(), 1u);
}

TEST_F(Commands, FileParameterDialogRecordsCancel) {
    ui.ExpectFileParamDialog(true);
    EXPECT_TRUE(EditFileParams());
    EXPECT_EQ(FileParamCancelled, 1);
    ui.ExpectFileParamDialog(false);
    EXPECT_FALSE(EditFileParams());
    EXPECT_EQ(FileParamCancelled, 0);
}

TEST_F(Commands, WriteDecidesTheOutputRuleOncePerFileAndNamesAFailedFile) {
    OverwriteMode = 0;  // ask about an existing file
    const std::string a = dir.Write("a.txt", "old\r\n");
    const std::string b = dir.Path("b.txt");
    std::vector<std::string> appends;
    const auto record = [&](const std::string& name) {
        return [&appends, name](bool append) {
            appends.push_back(name + (append ? " append" : " rewrite"));
            return 0;
        };
    };
    {
        CommandRun run("Writing...");
        ui.ExpectBox(kAnswerNo, "Output file exists");  // No: rewrite
        EXPECT_TRUE(run.Write(a, record("a")));
        EXPECT_TRUE(run.Write(a, record("a")));  // the same command's next write appends, unasked
        EXPECT_TRUE(run.Write(b, record("b")));  // a new file: created, then appended to
        EXPECT_TRUE(run.Write(a, record("a"), CommandRun::Output::Append));
    }
    EXPECT_EQ(appends, (std::vector<std::string>{"a rewrite", "a append", "b append", "a append"}));
    EXPECT_EQ(LastLine(), "Writing...done.");
    {
        CommandRun run;  // the next command decides again
        ui.ExpectBox(kAnswerYes, "Output file exists");
        EXPECT_TRUE(run.Write(a, record("a")));
    }
    EXPECT_EQ(appends.back(), "a append");

    ui.AllowBoxes("Error");
    OverwriteMode = 1;
    {
        CommandRun run("Failing...");
        EXPECT_FALSE(run.Write(b, [](bool) { return ENOSPC; }));
        EXPECT_FALSE(run.Write(b, [](bool) { return -1; }));
    }
    EXPECT_EQ(LastLine(), "Failing...failed.");
    ASSERT_EQ(Errors().size(), 2u);
    EXPECT_EQ(Errors()[0], "Could not write to file:\r\n" + b + "\r\n" + std::string(std::strerror(ENOSPC)));
    EXPECT_EQ(Errors()[1], "Could not write to file:\r\n" + b + "\r\nNot all bytes could be written.");
}

}  // namespace
