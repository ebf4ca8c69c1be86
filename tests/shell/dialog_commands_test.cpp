#include "shell/dialog_commands.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "command_fixture.h"
#include "shell/group_editing.h"

namespace {

// Stands in for the three dialogs.
class DialogPort : public FakeUiPort {
public:
    void ShowOptionsDialog(int page) override { pages.push_back(page); }
    bool RunGroupManager(TPopGenDataSet& ds, bool& locusSetChosen) override {
        ++groupManagers;
        locusSetChosen = chosenLocusSet.has_value();
        if (chosenLocusSet) GrpManLocusSet = *chosenLocusSet;
        return groupManager ? groupManager(ds) : false;
    }
    void ShowPairwiseComparison(TPopGenDataSet& /*ds*/) override { ++comparisons; }

    std::vector<int> pages;
    int groupManagers = 0;
    int comparisons = 0;
    std::function<bool(TPopGenDataSet&)> groupManager;
    std::optional<std::uint16_t> chosenLocusSet;  // "Select current" pressed on this set
};

using DialogCommands = CommandTest;

TEST_F(DialogCommands, OptionsPagesOpenTheDialog) {
    DialogPort port;
    CmdShowOptionsPage(15);
    CmdShowOptionsPage(0);
    CmdShowOptionsPage(17);  // no such page
    EXPECT_EQ(port.pages, (std::vector<int>{15, 0}));
}

TEST_F(DialogCommands, DialogsNeedData) {
    DialogPort port;
    port.ExpectBox(kAnswerOk, "Error");
    port.ExpectBox(kAnswerOk, "Error");
    CmdGroupManager();
    CmdPairwiseComparison();
    ASSERT_EQ(port.boxes.size(), 2u);
    EXPECT_EQ(port.boxes[0].text, "No data loaded");
    EXPECT_EQ(port.groupManagers + port.comparisons, 0);
}

TEST_F(DialogCommands, AcceptedGroupManagerMakesTheEditsLive) {
    SetExampleData();
    DialogPort port;
    port.groupManager = [](TPopGenDataSet& ds) {
        std::string name = "Core";
        EXPECT_TRUE(AcceptSubset(ds, "North", name, {"I1", "I2"}));
        return true;
    };
    CmdGroupManager();
    EXPECT_EQ(LastLine(), "Displaying Group Manager");
    ASSERT_EQ(DataSet->Groups.size(), 4u);
    EXPECT_EQ(DataSet->Groups[3].Name, "North/Core");
    EXPECT_TRUE(DataSet->EditGroups.empty());
    EXPECT_EQ(port.quickSelectionUpdates, 1);
}

TEST_F(DialogCommands, CancelledGroupManagerChangesNothing) {
    SetExampleData();
    DialogPort port;
    port.groupManager = [](TPopGenDataSet& ds) {
        EXPECT_TRUE(DeleteEditGroup(ds, 1));
        return false;
    };
    CmdGroupManager();
    EXPECT_EQ(DataSet->Groups.size(), 3u);
    EXPECT_TRUE(DataSet->EditGroups.empty());
    EXPECT_EQ(port.quickSelectionUpdates, 1);
}

// A locus set chosen in an earlier opening does not undo a selection made since through the menu;
// one chosen in this opening is selected.
TEST_F(DialogCommands, OnlyALocusSetChosenNowIsSelected) {
    SetExampleData();
    DataSet->LocusSets.push_back({"Few", {"L1", "L2"}, 0, 2, {}});
    MarkNamesInList(DataSet->LocusSets.back().Mask, DataSet->Layers[0].LocNames, DataSet->LocusSets.back().Members);
    ASSERT_TRUE(DataSet->SelectLocusSet(1));
    GrpManLocusSet = 0;
    DialogPort port;
    port.groupManager = [](TPopGenDataSet&) { return true; };
    CmdGroupManager();
    EXPECT_EQ(DataSet->CurLocusSet, 1u);
    EXPECT_EQ(DataSet->GetCurrLayer().NLoci, 2u);

    port.chosenLocusSet = 0;
    CmdGroupManager();
    EXPECT_EQ(DataSet->CurLocusSet, 0u);
    EXPECT_EQ(DataSet->GetCurrLayer().NLoci, 18u);
}

TEST_F(DialogCommands, ComparisonNeedsTwoIndividuals) {
    SetExampleData();
    DialogPort port;
    CmdPairwiseComparison();
    EXPECT_EQ(port.comparisons, 1);
    EXPECT_EQ(LastLine(), "Displaying Pairwise Individual Comparison Interface");

    SetData({"101", "010"}, {{"One", {2}}});
    ASSERT_TRUE(DataSet->SelectGroup(1));
    port.ExpectBox(kAnswerOk, "Error");
    CmdPairwiseComparison();
    EXPECT_EQ(port.boxes.back().text, "At least two individuals are needed for a pairwise comparison");
    EXPECT_EQ(port.comparisons, 1);
}

}  // namespace
