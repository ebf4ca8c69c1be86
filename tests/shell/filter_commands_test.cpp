#include "shell/filter_commands.h"

#include <gtest/gtest.h>

#include "command_fixture.h"
#include "shell/analysis_commands.h"

namespace {

class FilterCommands : public CommandTest {
protected:
    void ComputeJaccard() {
        CmdCalculateMatrix(Treatment::Standard, Coefficient::Jaccard, Transformation::OneMinusS, NeiLiR, JCRandomDraws,
                           false, false);
        ASSERT_FALSE(DataSet->GetCurrLayer().DistMatrix.empty());
    }
};

TEST_F(FilterCommands, NothingToRemoveStillShowsTheSummary) {
    SetData({"1190", "1000", "1111"});
    ui.ExpectBox(kAnswerOk, "Data removal...");
    CmdRemoveIndivMissing(true, 0.17L * 2);  // 25 % is the most any individual misses
    EXPECT_EQ(LastLine(), "No individuals removed with >34.000000000% missing data");
    EXPECT_EQ(ui.boxes.back().text, "0 individuals removed.");
    EXPECT_EQ(DataSet->GetCurrLayer().NInd, 3u);
}

TEST_F(FilterCommands, RemovalMessagesShowTheThresholdAndTheNewSize) {
    SetData({"1190", "1000", "1111"});
    ComputeJaccard();
    ui.ExpectBox(kAnswerOk, "Data removal...");
    CmdRemoveIndivMissing(true, 0.05L);
    EXPECT_EQ(LastLine(), "Removing 1 individuals with >5.000000000% missing data");
    EXPECT_EQ(ui.boxes.back().text, "1 individuals removed.");
    EXPECT_EQ(Panel(MessageArea::PanelDataMatrix), "AllData x AllLoci [2 x 4]");
    // The matrix of three individuals is gone, and the panel says so.
    EXPECT_TRUE(DataSet->GetCurrLayer().DistMatrix.empty());
    EXPECT_EQ(Panel(MessageArea::PanelDistMatrix), "No distance matrix");
    EXPECT_TRUE(DistMatrixName.empty());

    CmdRemoveLociFreqBelow(false, 0.25L);
    EXPECT_EQ(LastLine(), "No loci removed with current cutoff value");
    CmdRemoveMonomorphic(false);
    EXPECT_EQ(LastLine(), "Removing 1 monomorphic loci");
    EXPECT_EQ(DataSet->GetCurrLayer().NLoci, 3u);
    CmdRemoveMonoAbsences(false);
    EXPECT_EQ(LastLine(), "No monomorphic loci composed of band absences to remove");
}

TEST_F(FilterCommands, ARefusalChangesNothingAndSaysNothingMore) {
    SetData({"11", "11"});
    ComputeJaccard();
    const std::string before = LastLine();
    ui.ExpectBox(kAnswerOk, "Error");
    CmdRemoveMonoPresences(true);
    EXPECT_EQ(Errors(),
              std::vector<std::string>{"Removing monomorphic loci (presences) would result in removal of ALL loci.\r\n"
                                       "Operation was aborted."});
    EXPECT_EQ(ui.boxes.size(), 1u);  // no summary after a refusal
    EXPECT_EQ(LastLine(), before);
    EXPECT_EQ(DataSet->GetCurrLayer().NLoci, 2u);
    EXPECT_FALSE(DataSet->GetCurrLayer().DistMatrix.empty());
}

TEST_F(FilterCommands, SelectionMessagesAndPanels) {
    SetExampleData();
    CmdSelectGroup(2);
    EXPECT_EQ(LastLine(), "Group selected: South");
    EXPECT_EQ(Panel(MessageArea::PanelDataMatrix), "South x AllLoci [4 x 18]");
    EXPECT_EQ(Panel(MessageArea::PanelDistMatrix), "No distance matrix");
    ComputeJaccard();
    CmdSelectLocusSet(0);
    EXPECT_EQ(LastLine(), "Entire locus set (AllLoci) selected");
    EXPECT_EQ(Panel(MessageArea::PanelDistMatrix), "No distance matrix");
    CmdSelectGroup(0);
    EXPECT_EQ(LastLine(), "Entire data set (AllData) selected");
    EXPECT_EQ(DataSet->CurLayer, 1);
    ComputeJaccard();
    CmdSelectGroup(0);
    EXPECT_EQ(Panel(MessageArea::PanelDistMatrix), "No distance matrix");  // rebuilt from the loaded data
    ui.ExpectBox(kAnswerOk, "Error");
    CmdSelectGroup(7);
    EXPECT_EQ(Errors().size(), 1u);
}

TEST_F(FilterCommands, BandProfiles) {
    SetData({"10", "01"});
    CmdAdditiveBandProfile(true);  // only AllData: nothing, silently
    EXPECT_EQ(DataSet->CurLayer, 1);
    EXPECT_EQ(LastLine(), "Welcome");

    SetExampleData();
    ASSERT_TRUE(DataSet->SelectGroup(1));
    ui.AllowBoxes("Warning");
    ui.ExpectBox(kAnswerOk, "Fixed Band Profile");
    CmdFixedBandProfile(true);
    EXPECT_EQ(ui.boxes.back().text, "Fixed Band Profile generated. This is now your current datamatrix");
    EXPECT_EQ(ui.boxes.front().text, "Switching to AllData");
    EXPECT_EQ(DataSet->CurLayer, 3);
    EXPECT_EQ(Panel(MessageArea::PanelDataMatrix), "Fixed Profile [2 x 18]");
    EXPECT_EQ(LastLine(), "Generated Fixed Band Profile");
    CmdAdditiveBandProfile(false);
    EXPECT_EQ(Panel(MessageArea::PanelDataMatrix), "Additive Profile [2 x 18]");
    EXPECT_EQ(LastLine(), "Generated Additive Band Profile");
}

TEST_F(FilterCommands, ReplaceMissingDataMakesLayer3Current) {
    SetData({"1990", "9099", "0191"});
    CmdReplaceMissingData(1.0L);
    EXPECT_EQ(LastLine(), "Replaced missing data (?) with 0s and 1s.");
    EXPECT_EQ(DataSet->CurLayer, 3);
    EXPECT_EQ(DataSet->GetCurrLayer().IndNames, (AString{"I1", "I2", "I3"}));
    EXPECT_EQ(Panel(MessageArea::PanelDataMatrix), "AllData x AllLoci [3 x 4]");
    for (const std::uint8_t c : DataSet->GetCurrLayer().Matrix) EXPECT_NE(c, 9);
}

}  // namespace
