#include "shell/data_commands.h"

#include <gtest/gtest.h>

#include "command_fixture.h"

namespace {

using DataCommands = CommandTest;

TEST_F(DataCommands, RestoreOriginalMatrixLeavesASelection) {
    SetExampleData();
    ASSERT_TRUE(DataSet->SelectGroup(1));
    ASSERT_EQ(DataSet->GetCurrLayer().NInd, 4u);
    CmdRestoreOriginalMatrix();
    EXPECT_EQ(DataSet->CurLayer, 1);
    EXPECT_EQ(DataSet->GetCurrLayer().NInd, 8u);
    EXPECT_EQ(DataSet->CurGroup, 0u);
    EXPECT_EQ(LastLine(), "Original data matrix restored");
    EXPECT_EQ(Panel(MessageArea::PanelDataMatrix), "Original matrix [8 x 18]");
    EXPECT_EQ(Panel(MessageArea::PanelState), panelsBefore[MessageArea::PanelState]);
}

TEST_F(DataCommands, RestoreWithoutDataComplains) {
    ui.ExpectBox(kAnswerOk, "Error");
    CmdRestoreOriginalMatrix();
    EXPECT_EQ(ui.boxes.back().text, "No data loaded");
    EXPECT_EQ(LastLine(), "Welcome");
}

TEST_F(DataCommands, MatrixStatisticsShowsAndWritesOnlyWhenAsked) {
    // 2 of 12 cells missing.
    SetData({"1091", "0110", "1190"});
    ui.ExpectBox(kAnswerNo, "Statistics");
    CmdMatrixStatistics({.Display = true});
    EXPECT_EQ(ui.boxes.back().text,
              "Individuals: 3\r\nLoci: 4\r\nData matrix size: 12 entries\r\nMissing data: 16.67%\r\n\r\n"
              "Write to analysis file?");
    EXPECT_EQ(ui.boxes.back().style, kQuestionYesNo);
    EXPECT_EQ(LastLine(), "Displaying Data Matrix Statistics");
    EXPECT_FALSE(std::filesystem::exists(AnalysisFileName));

    const std::string report =
        "Data Matrix Statistics\r\n\r\nIndividuals:  3\r\nLoci:         4\r\nMatrix size:  12\r\n"
        "Missing data: 16.67%\r\n\r\n";
    dir.Write("analysis.txt", "earlier\r\n");
    OverwriteMode = 0;  // statistics always append, without asking
    ui.ExpectBox(kAnswerNo, "Statistics");
    CmdMatrixStatistics({.Display = true, .AlwaysWriteToFile = true});
    EXPECT_EQ(LastLine(), "Data Matrix Statistics written to analysis output file");
    EXPECT_EQ(File(AnalysisFileName), "earlier\r\n" + report);

    // Without the box and without the flag nothing is written.
    CmdMatrixStatistics({});
    EXPECT_EQ(LastLine(), "Displaying Data Matrix Statistics");
    BatchAnswer = 1;
    CmdMatrixStatistics({.Display = true});
    EXPECT_EQ(File(AnalysisFileName), "earlier\r\n" + report + report);
    EXPECT_EQ(ui.boxes.size(), 2u);
}

}  // namespace
