#include "shell/commands.h"

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <stdexcept>

#include "command_fixture.h"
#include "foundation/text_file.h"
#include "shell/data_commands.h"
#include "shell/reporting.h"

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

TEST_F(Commands, WrapperEndsAnUnfinishedProgressLineWithFailed) {
    ui.AllowBoxes("Error");
    EXPECT_FALSE(RunCommand([] {
        BeginProgress("Working...");
        throw std::runtime_error("interrupted");
    }));
    EXPECT_EQ(LastLine(), "Working...failed.");
    EXPECT_FALSE(RunCommand([] {
        BeginProgress("Again...");
        FinishProgress(true);
        throw std::runtime_error("after the end");
    }));
    EXPECT_EQ(LastLine(), "Again...done.");
    EXPECT_FALSE(RunCommand([] { throw std::runtime_error("without a line"); }));
    EXPECT_EQ(LastLine(), "Again...done.");
    EXPECT_EQ(Errors().size(), 3u);
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

TEST_F(Commands, EngineCallFailsOnAResultOrAnyReportedError) {
    SetExampleData();
    ui.AllowBoxes("Error");
    const EngineCall quiet(DataSet.get());
    EXPECT_TRUE(quiet.Succeeded(true));
    EXPECT_FALSE(quiet.Succeeded(false));

    const EngineCall engine(DataSet.get());
    DataSet->ReportError("engine");
    EXPECT_FALSE(engine.Succeeded(true));

    const EngineCall trees;
    TreeReporter().Error("tree");  // the program's reporter: shown by ShowError
    EXPECT_FALSE(trees.Succeeded(true));
    EXPECT_EQ(Errors(), (std::vector<std::string>{"engine", "tree"}));
}

TEST_F(Commands, SwitchToAllDataLeavesASelectionWithAWarning) {
    SetExampleData();
    SwitchToAllData();  // already the whole data set: nothing to say
    ASSERT_TRUE(DataSet->SelectGroup(2));
    ASSERT_EQ(DataSet->CurLayer, 2);
    ui.ExpectBox(kIdOk, "Warning");
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

TEST_F(Commands, WriteFailureNamesTheFileAndTheReason) {
    ui.AllowBoxes("Error");
    EXPECT_FALSE(ReportWriteFailure(0, "a.txt"));
    EXPECT_TRUE(ReportWriteFailure(ENOSPC, "a.txt"));
    EXPECT_TRUE(ReportWriteFailure(-1, "b.txt"));
    ASSERT_EQ(Errors().size(), 2u);
    EXPECT_EQ(Errors()[0], "Could not write to file:\r\na.txt\r\n" + std::string(std::strerror(ENOSPC)));
    EXPECT_NE(Errors()[1].find("b.txt"), std::string::npos);
}

}  // namespace
