#include "popgen/data/groups.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "popgen/data/dataset.h"

namespace {

// Layer 0: 4 individuals x 3 loci; the cell of individual i and locus l holds 10*l + i, so every
// copied cell tells where it came from.
struct Selection : ::testing::Test {
    TPopGenDataSet ds;
    std::vector<std::string> errors;

    static TdsFilterRec Set(std::string name, AString members, AByte mask) {
        TdsFilterRec r;
        r.Name = std::move(name);
        r.Count = members.size();
        r.Members = std::move(members);
        r.Mask = std::move(mask);
        return r;
    }

    void SetUp() override {
        ds.OnError([this](const std::string& m) { errors.push_back(m); });
        ASSERT_TRUE(ds.AllocLayerMatrix(0, 4, 3));
        TDSLayer& base = ds.Layers[0];
        for (std::size_t l = 1; l <= 3; ++l)
            for (std::size_t i = 1; i <= 4; ++i)
                base.Matrix[(l - 1) * 4 + (i - 1)] = static_cast<std::uint8_t>(10 * l + i);
        base.IndNames = {"i1", "i2", "i3", "i4"};
        base.LocNames = {"l1", "l2", "l3"};
        base.IndMask.assign(4, 1);
        base.LocMask.assign(3, 1);
        ds.DataLoaded = 1;
        ds.CurLayer = 0;
        ds.Groups = {Set("AllData", {"i1", "i2", "i3", "i4"}, {1, 1, 1, 1}),
                     Set("North/A", {"i1", "i3"}, {1, 0, 1, 0}),
                     Set("North/B", {"i2", "i4"}, {0, 1, 0, 1}),
                     Set("Nobody", {}, {0, 0, 0, 0}),
                     Set("NotFirst", {"i2", "i3", "i4"}, {0, 1, 1, 1})};
        ds.LocusSets = {Set("AllLoci", {"l1", "l2", "l3"}, {1, 1, 1}),
                        Set("Outer", {"l1", "l3"}, {1, 0, 1})};
        ASSERT_TRUE(ds.Select(0, 0));
    }

    // Layer 1 "filtered in place": individual 1 removed.
    void DropFirstIndividualFromWorkingCopy() {
        ASSERT_TRUE(ds.MakeSubsetLayer(0, 1, 4, 0));
        ds.CurGroup = 0;
    }
};

TEST_F(Selection, AllDataByAllLociRebuildsTheWorkingCopy) {
    EXPECT_EQ(ds.CurLayer, 1);
    const TDSLayer& w = ds.Layers[1];
    EXPECT_EQ(w.Matrix, ds.Layers[0].Matrix);
    EXPECT_EQ(w.NCells, 12u);
    EXPECT_EQ(w.IndNames, ds.Layers[0].IndNames);
    EXPECT_EQ(w.LocNames, ds.Layers[0].LocNames);
    EXPECT_EQ(w.SourceLayer, 0);
    // Whatever layer is current, (0, 0) comes back to layer 1 built from layer 0.
    for (const std::uint8_t c : std::initializer_list<std::uint8_t>{2, 3, 4}) {
        ds.Layers[1].Matrix.assign(12, 0);
        ds.CurLayer = c;
        ASSERT_TRUE(ds.Select(0, 0));
        EXPECT_EQ(ds.CurLayer, 1);
        EXPECT_EQ(ds.Layers[1].Matrix, ds.Layers[0].Matrix);
    }
}

TEST_F(Selection, GroupByLocusSetGoesToLayerTwo) {
    ASSERT_TRUE(ds.Select(1, 1));
    const TDSLayer& s = ds.Layers[2];
    EXPECT_EQ(ds.CurLayer, 2);
    EXPECT_EQ(ds.CurGroup, 1u);
    EXPECT_EQ(ds.CurLocusSet, 1u);
    EXPECT_EQ(s.SourceLayer, 1);
    EXPECT_EQ(s.NInd, 2u);
    EXPECT_EQ(s.NLoci, 2u);
    EXPECT_EQ(s.NCells, 4u);
    EXPECT_EQ(s.Matrix, (AByte{11, 13, 31, 33}));  // locus-major
    EXPECT_EQ(s.IndNames, (AString{"i1", "i3"}));
    EXPECT_EQ(s.LocNames, (AString{"l1", "l3"}));
    EXPECT_EQ(s.IndMask, (AByte{1, 0, 1, 0}));
    EXPECT_EQ(s.LocMask, (AByte{1, 0, 1}));
    EXPECT_EQ(ds.CurrGroupName(), "A");
    EXPECT_TRUE(ds.HasData());
}

TEST_F(Selection, FromASelectionTheCellsComeFromTheWorkingCopy) {
    ASSERT_TRUE(ds.Select(2, 1));
    ds.Layers[1].Matrix[1] = 99;  // individual 2, locus 1 of the working copy
    ASSERT_TRUE(ds.SelectLocusSet(0));
    const TDSLayer& s = ds.Layers[2];
    EXPECT_EQ(s.SourceLayer, 1);
    EXPECT_EQ(ds.CurGroup, 2u);
    EXPECT_EQ(s.Matrix, (AByte{99, 14, 22, 24, 32, 34}));
}

TEST_F(Selection, TheSourceFollowsTheCurrentLayerButIsNeverATemporaryOne) {
    // Every layer of the same shape with its own cells: layer 1 all 7, layers 2-5 all 0 (as after
    // missing-data replacement or resampling), so the copied cells tell which layer was read.
    const AByte fromLayer0{12, 14, 22, 24, 32, 34};
    const AByte fromLayer1(6, 7);
    struct Case {
        std::uint8_t current, source;
    };
    const Case cases[] = {{0, 0}, {1, 1}, {2, 1}, {3, 0}, {4, 0}, {5, 0}, {kNoLayer, 0}};
    for (const Case& c : cases) {
        ASSERT_TRUE(ds.Select(0, 0));
        ds.Layers[1].Matrix.assign(12, 7);
        for (std::size_t t = 2; t < kLayerCount; ++t) {
            ds.Layers[t] = ds.Layers[1];
            ds.Layers[t].Matrix.assign(12, 0);
        }
        ds.CurLayer = c.current;
        ASSERT_TRUE(ds.SelectGroup(2)) << int(c.current);
        EXPECT_EQ(ds.CurLayer, 2);
        EXPECT_EQ(ds.Layers[2].SourceLayer, c.source) << int(c.current);
        EXPECT_EQ(ds.Layers[2].Matrix, c.source == 0 ? fromLayer0 : fromLayer1) << int(c.current);
    }
}

TEST_F(Selection, SourceWithoutSomeMembersKeepsOnlyThoseInBoth) {
    DropFirstIndividualFromWorkingCopy();
    ds.CurLayer = 1;
    ASSERT_TRUE(ds.SelectGroup(1));  // i1, i3: only i3 is left in layer 1
    const TDSLayer& s = ds.Layers[2];
    EXPECT_EQ(s.NInd, 1u);
    EXPECT_EQ(s.IndMask, (AByte{0, 0, 1, 0}));
    EXPECT_EQ(s.IndNames, (AString{"i3"}));
    EXPECT_EQ(s.Matrix, (AByte{13, 23, 33}));
}

TEST_F(Selection, RefusedSelectionLeavesTheCurrentLayerAsItWas) {
    ASSERT_TRUE(ds.Select(1, 1));
    const AByte before = ds.Layers[2].Matrix;
    EXPECT_FALSE(ds.SelectGroup(3));  // "Nobody": target layer 2 is the current layer
    EXPECT_EQ(errors, (std::vector<std::string>{"Selection of group failed: empty selection"}));
    EXPECT_EQ(ds.ErrorCount(), 1u);
    EXPECT_EQ(ds.CurLayer, 2);
    EXPECT_EQ(ds.CurGroup, 1u);
    EXPECT_EQ(ds.Layers[2].Matrix, before);
    EXPECT_TRUE(ds.HasData());
}

TEST_F(Selection, GroupEntirelyOutsideTheSourceIsAnEmptySelection) {
    DropFirstIndividualFromWorkingCopy();
    ds.Groups[1].Mask = {1, 0, 0, 0};
    ds.CurLayer = 1;
    EXPECT_FALSE(ds.SelectGroup(1));
    EXPECT_EQ(errors, (std::vector<std::string>{"Selection of group failed: empty selection"}));
}

TEST_F(Selection, OtherRefusals) {
    ds.Layers[1].MaskRefLayer = 1;
    EXPECT_FALSE(ds.MakeSubsetLayer(1, 2, 1, 0));
    EXPECT_FALSE(ds.MakeSubsetLayer(0, 2, 9, 0));
    EXPECT_FALSE(ds.MakeSubsetLayer(0, 2, 0, 9));
    EXPECT_FALSE(ds.MakeSubsetLayer(0, 6, 0, 0));
    EXPECT_EQ(errors, (std::vector<std::string>{"Selection of group failed: MaskRefLayer>0",
                                                "Selection of group failed: no such group",
                                                "Selection of group failed: no such locus set",
                                                "Selection of group failed: no such layer"}));
    // The same layer as source and target: nothing happens, nothing is reported.
    EXPECT_FALSE(ds.MakeSubsetLayer(1, 1, 0, 0));
    EXPECT_EQ(ds.ErrorCount(), 4u);
    EXPECT_FALSE(ds.Layers[2].HasMatrix());
}

TEST_F(Selection, SkipLabelsBuildsWithoutNames) {
    ds.SkipLabels = 1;
    ASSERT_TRUE(ds.Select(1, 0));
    EXPECT_TRUE(ds.Layers[2].IndNames.empty());
    EXPECT_TRUE(ds.Layers[2].LocNames.empty());
    EXPECT_EQ(ds.Layers[2].NInd, 2u);
}

TEST_F(Selection, RestoreOriginalMatrixUndoesAFilter) {
    DropFirstIndividualFromWorkingCopy();
    ds.CurLayer = 2;
    ASSERT_TRUE(ds.RestoreOriginalMatrix());
    EXPECT_EQ(ds.CurLayer, 1);
    EXPECT_EQ(ds.Layers[1].NInd, 4u);
}

TEST_F(Selection, LayerFromSetsIsCompactedThroughTheCurrentLayer) {
    DropFirstIndividualFromWorkingCopy();
    ds.CurLayer = 1;
    // Group 1 has two members but only i3 is in the current layer.
    ASSERT_TRUE(ds.MakeLayerFromSets(1, 1, 4));
    const TDSLayer& t = ds.Layers[4];
    EXPECT_EQ(t.NInd, 1u);
    EXPECT_EQ(t.NLoci, 2u);
    EXPECT_EQ(t.NCells, 2u);
    EXPECT_EQ(t.Matrix, (AByte{13, 33}));
    EXPECT_EQ(ds.CurLayer, 1);
    // From a selection (North/B = i2, i4), AllData by Outer gives the selection's own individuals.
    ASSERT_TRUE(ds.Select(2, 0));
    ASSERT_TRUE(ds.MakeLayerFromSets(0, 1, 4));
    EXPECT_EQ(ds.Layers[4].Matrix, (AByte{12, 14, 32, 34}));
    // A group without members in the layer gives an empty layer.
    EXPECT_FALSE(ds.MakeLayerFromSets(1, 0, 4));
    EXPECT_EQ(ds.Layers[4].NCells, 0u);
    EXPECT_TRUE(errors.empty());
}

TEST_F(Selection, LayerFromMasksTakesMasksOverLayerZeroOrOverTheSource) {
    ASSERT_TRUE(ds.Select(2, 0));  // layer 2 = i2, i4 by all loci
    // Over layer 0 (4 individuals, 3 loci):
    ASSERT_TRUE(ds.MakeLayerFromMasks({0, 0, 0, 1}, {0, 1, 1}, 4));
    EXPECT_EQ(ds.Layers[4].Matrix, (AByte{24, 34}));
    // Over the current layer (2 individuals, 3 loci):
    ASSERT_TRUE(ds.MakeLayerFromMasksOf({1, 0}, {1, 0, 0}, 5, 2));
    EXPECT_EQ(ds.Layers[5].Matrix, (AByte{12}));
    EXPECT_EQ(ds.Layers[5].NInd, 1u);
    // A mask that fits neither.
    EXPECT_FALSE(ds.MakeLayerFromMasks({1, 1, 1}, {1, 1, 1}, 4));
    EXPECT_EQ(errors, (std::vector<std::string>{"MakeLayerFromMasks: the masks do not match the layer"}));
    EXPECT_EQ(ds.Layers[4].Matrix, (AByte{24, 34}));
}

TEST_F(Selection, FindIndGroupSkipsAllData) {
    EXPECT_EQ(ds.FindIndGroup("i3"), 1u);
    EXPECT_EQ(ds.FindIndGroup("i4"), 2u);  // the first group holding it
    ds.Groups[2].Members = {"i2"};
    ds.Groups[4].Members = {"i2"};
    EXPECT_EQ(ds.FindIndGroup("i4"), 0u);  // only AllData holds it
    EXPECT_EQ(ds.FindIndGroup("I3"), 0u);  // exact comparison
}

TEST_F(Selection, BackupAndRestoreAreDeepCopies) {
    ds.BackupFilters();
    ds.EditGroups[1].Members.push_back("i2");
    ds.EditGroups[1].Mask[1] = 1;
    EXPECT_EQ(ds.Groups[1].Members.size(), 2u);
    EXPECT_EQ(ds.Groups[1].Mask, (AByte{1, 0, 1, 0}));
    ds.RestoreFilters();
    EXPECT_EQ(ds.Groups[1].Mask, (AByte{1, 1, 1, 0}));
    ds.ClearFilterBackups();
    EXPECT_TRUE(ds.EditGroups.empty());
    EXPECT_TRUE(ds.EditLocusSets.empty());
    EXPECT_EQ(ds.Groups.size(), 5u);
}

TEST(FilterArrays, DeleteFilterRec) {
    auto names = [](const TFilterArray& a) {
        AString n;
        for (const auto& r : a) n.push_back(r.Name);
        return n;
    };
    TFilterArray one{{"AllData", {}, 0, 0, {}}};
    DeleteFilterRec(one, 0);
    EXPECT_EQ(names(one), (AString{"AllData"}));
    TFilterArray abc{{"A", {}, 0, 0, {}}, {"B", {}, 0, 0, {}}, {"C", {}, 0, 0, {}}};
    DeleteFilterRec(abc, 3);
    EXPECT_EQ(abc.size(), 3u);
    DeleteFilterRec(abc, 1);
    EXPECT_EQ(names(abc), (AString{"A", "C"}));
    DeleteFilterRec(abc, 1);
    EXPECT_EQ(names(abc), (AString{"A"}));
}

TEST(FilterArrays, FillLabelsCountsFromZero) {
    AString labels(3);
    FillLabels(labels, "Rep", ".txt");
    EXPECT_EQ(labels, (AString{"Rep0.txt", "Rep1.txt", "Rep2.txt"}));
}

}  // namespace
