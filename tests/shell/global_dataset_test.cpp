#include "shell/global_dataset.h"

#include <gtest/gtest.h>

#include <string>

#include "shell/settings.h"
#include "support/fake_ui_port.h"

namespace {

class GlobalDataSet : public ::testing::Test {
protected:
    void SetUp() override {
        RestoreDefaultSettings();
        FreeDataSet();
    }
    void TearDown() override {
        FreeDataSet();
        RestoreDefaultSettings();
    }

    // A data set with a 2 x 2 band matrix in layer 1, current.
    void LoadSmallData() {
        ResetDataSet();
        ASSERT_TRUE(DataSet->AllocLayerMatrix(1, 2, 2));
        DataSet->DataLoaded = 1;
        DataSet->CurLayer = 1;
    }

    FakeUiPort ui;
};

TEST_F(GlobalDataSet, ResetInstallsTheShellsReportingAndOutputFile) {
    AnalysisFileName = "results.txt";
    BatchAnswer = 1;
    ResetDataSet();
    ASSERT_TRUE(DataSet);
    EXPECT_EQ(DataSet->OutputFileName, "results.txt");
    EXPECT_EQ(DataSet->ValueSize, 16);
    ui.ExpectBox(kAnswerOk, "Error");
    DataSet->ReportError("engine error");
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "engine error");
    EXPECT_EQ(ErrorCounter, 1);
    EXPECT_EQ(DataSet->ErrorCount(), 1u);
    ui.ExpectBox(kAnswerOk, "Warning");
    DataSet->ReportWarning("engine warning");
    // The batch answer reaches the engine's questions without a box.
    EXPECT_EQ(DataSet->Ask("Retry?", "Error", kQuestionYesNo), kAnswerYes);
    EXPECT_EQ(ui.boxes.size(), 2u);

    TPopGenDataSet* first = DataSet.get();
    first->DataFileName = "old.txt";
    ResetDataSet();
    EXPECT_TRUE(DataSet->DataFileName.empty());
    FreeDataSet();
    EXPECT_FALSE(DataSet);
}

TEST_F(GlobalDataSet, DataAvailableByFlags) {
    struct Case {
        bool data, dist, withDist, want;
    };
    const Case cases[] = {
        {1, 0, false, true}, {0, 1, false, false}, {1, 1, false, false},
        {0, 1, true, true},  {1, 1, true, true},   {0, 0, true, false},
    };
    LoadSmallData();
    ui.AllowBoxes("Error");
    for (const Case& c : cases) {
        DataSet->Layers[1].DistMatrix.assign(c.withDist ? 3 : 0, 0.0L);
        const std::size_t boxes = ui.boxes.size();
        EXPECT_EQ(DataAvailable({.Data = c.data, .Dist = c.dist}), c.want) << int(c.data) << int(c.dist);
        EXPECT_EQ(ui.boxes.size(), boxes);  // silent unless asked
        EXPECT_EQ(DataAvailable({.Data = c.data, .Dist = c.dist, .Complain = true}), c.want);
        EXPECT_EQ(ui.boxes.size(), boxes + (c.want ? 0 : 1));
        if (!c.want) {
            EXPECT_EQ(ui.boxes.back().text, "No data loaded");
        }
    }
}

TEST_F(GlobalDataSet, NoDataSetMeansNoData) {
    EXPECT_FALSE(DataAvailable({.Data = true}));
    EXPECT_FALSE(LayerDataAvailable(0, {.Data = true}));
    EXPECT_FALSE(HasGroups(0));
    ui.ExpectBox(kAnswerOk, "Error");
    EXPECT_FALSE(NeedData());
    EXPECT_EQ(ui.boxes.back().text, "No data loaded");
}

TEST_F(GlobalDataSet, LayerDataAvailable) {
    LoadSmallData();
    EXPECT_TRUE(LayerDataAvailable(1, {.Data = true, .Complain = true}));
    EXPECT_FALSE(LayerDataAvailable(6, {.Data = true, .Complain = true}));  // silently
    EXPECT_TRUE(ui.boxes.empty());
    ui.ExpectBox(kAnswerOk, "Error");
    EXPECT_FALSE(LayerDataAvailable(0, {.Data = true, .Complain = true}));
    DataSet->Layers[0].DistMatrix.assign(1, 0.0L);
    EXPECT_TRUE(LayerDataAvailable(0, {.Dist = true}));
    EXPECT_FALSE(LayerDataAvailable(0, {.Data = true, .Dist = true}));
}

TEST_F(GlobalDataSet, GroupsAndTheirNames) {
    ResetDataSet();
    DataSet->Groups = {{"AllData", {"a", "b"}, 0, 2, {1, 1}}, {"South/Lake/P1", {"b"}, 0, 1, {0, 1}}};
    EXPECT_TRUE(HasGroups(1));
    EXPECT_FALSE(HasGroups(2));
    EXPECT_TRUE(GroupContainsName("b", DataSet->Groups, 1));
    EXPECT_FALSE(GroupContainsName("a", DataSet->Groups, 1));
    EXPECT_FALSE(GroupContainsName("B", DataSet->Groups, 1));
    EXPECT_FALSE(GroupContainsName("b", DataSet->Groups, 2));
    EXPECT_EQ(GroupDisplayName("South/Lake/P1"), "South/Lake/P1");
    GroupPathFormat = 0;
    EXPECT_EQ(GroupDisplayName("South/Lake/P1"), "P1");
    EXPECT_EQ(GroupDisplayName("AllData"), "AllData");
    EXPECT_EQ(LastPathPart("a/b"), "b");
}

TEST_F(GlobalDataSet, MarkNamesInList) {
    AByte bits{1, 1, 1, 1, 1};
    EXPECT_EQ(MarkNamesInList(bits, {"a", "b", "c"}, {"c", "x", "a"}), 2u);
    EXPECT_EQ(bits, (AByte{1, 0, 1}));
    EXPECT_EQ(MarkNamesInList(bits, {"A"}, {"a"}), 0u);
    EXPECT_EQ(bits, (AByte{0}));
}

TEST_F(GlobalDataSet, LabelArraysCutNamesToTwenty) {
    TLabelArray labels;
    ASSERT_TRUE(MakeLabelArray(labels, {"abcdefghijklmnopqrstuvwxy", "short"}));
    ASSERT_EQ(labels.Count(), 2u);
    EXPECT_EQ(labels[0], "abcdefghijklmnopqrst");
    EXPECT_EQ(labels[1], "short");
    ASSERT_TRUE(MakeLabelArray(labels, {"only"}));  // replaces, not appends
    EXPECT_EQ(labels.Count(), 1u);
    FreeLabelPtrs(labels);
    EXPECT_TRUE(labels.empty());
}

TEST_F(GlobalDataSet, MoreThan65535LabelsAreRefused) {
    TLabelArray labels;
    AString names(kMaxLabels, "n");
    ASSERT_TRUE(MakeLabelArray(labels, names));
    EXPECT_EQ(labels.Count(), kMaxLabels);
    ui.ExpectBox(kAnswerOk, "Error");
    EXPECT_FALSE(AddLabelPtr(labels, "one more"));
    EXPECT_EQ(labels.Count(), kMaxLabels);
    names.push_back("n");
    ui.ExpectBox(kAnswerOk, "Error");
    EXPECT_FALSE(MakeLabelArray(labels, names));
    EXPECT_TRUE(labels.empty());
}

}  // namespace
