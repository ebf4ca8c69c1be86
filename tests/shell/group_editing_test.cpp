#include "shell/group_editing.h"

#include <gtest/gtest.h>

#include "command_fixture.h"

namespace {

class GroupEditing : public CommandTest {
protected:
    // Groups Region1/PopA {1,2}, North/A {3}, South {4,5}; locus sets Set1 {L1,L2}, Set2 {L3}.
    void SetUp() override {
        CommandTest::SetUp();
        SetData({"1010", "0101", "1100", "0011", "1001", "0110"},
                {{"Region1/PopA", {1, 2}}, {"North/A", {3}}, {"South", {4, 5}}});
        for (const auto& [name, loci] :
             std::vector<std::pair<std::string, AString>>{{"Set1", {"L1", "L2"}}, {"Set2", {"L3"}}}) {
            TdsFilterRec set{name, loci, 0, loci.size(), {}};
            MarkNamesInList(set.Mask, DataSet->Layers[0].LocNames, loci);
            DataSet->LocusSets.push_back(set);
        }
        DataSet->BackupFilters();
        ui.AllowBoxes("Error");
    }
    const TFilterArray& Edit() const { return DataSet->EditGroups; }
};

TEST_F(GroupEditing, CleanSetNameDropsForbiddenCharacters) {
    EXPECT_EQ(CleanSetName("Sub 1"), "Sub1");
    EXPECT_EQ(CleanSetName("set;1"), "set1");
    EXPECT_EQ(CleanSetName(" .:,;=*/\\<>\t\r\n"), "");
    EXPECT_EQ(CleanSetName("a-b_c"), "a-b_c");
}

TEST_F(GroupEditing, AcceptSubsetAppendsUnderTheParentName) {
    std::string typed = "Sub 1";
    ASSERT_TRUE(AcceptSubset(*DataSet, "Region1/PopA", typed, {"I2", "I1", "I2"}));
    EXPECT_EQ(typed, "Sub1");
    const TdsFilterRec& g = Edit().back();
    EXPECT_EQ(g.Name, "Region1/PopA/Sub1");
    EXPECT_EQ(g.Members, (AString{"I2", "I1"}));  // each member once, in the order given
    EXPECT_EQ(g.Count, 2u);
    EXPECT_EQ(g.Mask, (AByte{1, 1, 0, 0, 0, 0}));
    EXPECT_TRUE(Errors().empty());
    EXPECT_TRUE(DataSet->Groups.size() == 4u);  // the live list is untouched
}

TEST_F(GroupEditing, AcceptSubsetRefusals) {
    struct Case {
        std::string name;
        AString members;
        std::string error;  // empty: refused silently
    };
    const Case cases[] = {
        {"X", {}, ""},
        {" ;; ", {"I1"}, "You must enter a name for your group"},
        {"A", {"I1"}, "Proposed group name already exits"},  // North/A, in another branch
        {"South", {"I1"}, "Proposed group name already exits"},
        {"New", {"I1", "I99"}, "Filter could not be validly set"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::size_t errorsBefore = Errors().size();
        std::string typed = c.name;
        EXPECT_FALSE(AcceptSubset(*DataSet, "South", typed, c.members));
        EXPECT_EQ(Edit().size(), 4u);
        const std::vector<std::string> errors = Errors();
        if (c.error.empty()) {
            EXPECT_EQ(errors.size(), errorsBefore);
        } else {
            ASSERT_EQ(errors.size(), errorsBefore + 1);
            EXPECT_EQ(errors.back(), c.error);
        }
    }
}

TEST_F(GroupEditing, AddLocusSetAndItsRefusals) {
    std::string typed = "set;1";
    ASSERT_TRUE(AddLocusSet(*DataSet, typed, {"L4", "L1"}));
    EXPECT_EQ(typed, "set1");
    EXPECT_EQ(DataSet->EditLocusSets.back().Name, "set1");
    EXPECT_EQ(DataSet->EditLocusSets.back().Mask, (AByte{1, 0, 0, 1}));
    for (const auto& [name, loci, error] : std::vector<std::tuple<std::string, AString, std::string>>{
             {"Set2", {"L1"}, "Proposed group name already exits"},
             {"", {"L1"}, "You need to provide a valid name for your locus set"},
             {"Other", {"L1", "L9"}, "Locus Filter could not be validly set"}}) {
        std::string t = name;
        EXPECT_FALSE(AddLocusSet(*DataSet, t, loci));
        EXPECT_EQ(Errors().back(), error);
    }
    EXPECT_EQ(DataSet->EditLocusSets.size(), 4u);
}

TEST_F(GroupEditing, DefaultSetsCannotBeDeletedAndTheChosenSetFollows) {
    EXPECT_FALSE(DeleteEditGroup(*DataSet, 0));
    EXPECT_EQ(Errors().back(),
              "\"AllData\" cannot be deleted from the Group Manager, because\r\n"
              "it is not a sub-set of your data-set, but the entire current data-set.");
    std::size_t chosen = 2;
    EXPECT_FALSE(DeleteEditLocusSet(*DataSet, 0, chosen));
    EXPECT_EQ(Errors().back(), "\"AllLoci\" cannot be deleted from the Group Manager");
    ASSERT_TRUE(DeleteEditLocusSet(*DataSet, 1, chosen));
    EXPECT_EQ(chosen, 1u);  // Set2 moved down
    ASSERT_TRUE(DeleteEditLocusSet(*DataSet, 1, chosen));
    EXPECT_EQ(chosen, 0u);  // its own set went
    EXPECT_FALSE(DeleteEditGroup(*DataSet, 9));
    EXPECT_EQ(IndexInList(5, Edit()), 0u);
    EXPECT_EQ(IndexInList(3, Edit()), 3u);
}

TEST_F(GroupEditing, ApplyFollowsTheCurrentGroupThroughDeletions) {
    ASSERT_TRUE(DataSet->Select(3, 0));  // South
    DataSet->BackupFilters();
    ASSERT_TRUE(DeleteEditGroup(*DataSet, 1));
    ASSERT_TRUE(ApplyGroupEdits(*DataSet, 0));
    EXPECT_EQ(DataSet->Groups.size(), 3u);
    EXPECT_EQ(DataSet->CurGroup, 2u);
    EXPECT_EQ(DataSet->Groups[DataSet->CurGroup].Name, "South");
    EXPECT_EQ(DataSet->GetCurrLayer().NInd, 2u);
    EXPECT_TRUE(DataSet->EditGroups.empty());
}

TEST_F(GroupEditing, ApplyAfterDeletingTheCurrentGroupSelectsAllData) {
    ASSERT_TRUE(DataSet->Select(3, 1));  // South x Set1
    DataSet->BackupFilters();
    ASSERT_TRUE(DeleteEditGroup(*DataSet, 3));
    ASSERT_TRUE(ApplyGroupEdits(*DataSet, 1));
    EXPECT_EQ(DataSet->CurGroup, 0u);
    EXPECT_EQ(DataSet->CurLocusSet, 1u);
    EXPECT_EQ(DataSet->GetCurrLayer().NInd, 6u);
    EXPECT_EQ(DataSet->GetCurrLayer().NLoci, 2u);
}

TEST_F(GroupEditing, ApplySelectsTheChosenLocusSet) {
    std::string typed = "Mine";
    ASSERT_TRUE(AddLocusSet(*DataSet, typed, {"L2", "L3", "L4"}));
    ASSERT_TRUE(ApplyGroupEdits(*DataSet, 3));
    EXPECT_EQ(DataSet->CurLocusSet, 3u);
    EXPECT_EQ(DataSet->GetCurrLayer().NLoci, 3u);
    // Nothing chosen keeps the current locus set.
    DataSet->BackupFilters();
    ASSERT_TRUE(ApplyGroupEdits(*DataSet, std::nullopt));
    EXPECT_EQ(DataSet->CurLocusSet, 3u);
    // A chosen index past the lists (kept from another data set) means AllLoci.
    DataSet->BackupFilters();
    ASSERT_TRUE(ApplyGroupEdits(*DataSet, 40));
    EXPECT_EQ(DataSet->CurLocusSet, 0u);
    EXPECT_EQ(DataSet->GetCurrLayer().NLoci, 4u);
}

}  // namespace
