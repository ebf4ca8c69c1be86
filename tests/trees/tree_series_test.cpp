#include "trees/tree_series.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "series_fixture.h"

namespace {

class TreeSeries : public ::testing::Test {
protected:
    BandDataSet data, byHand;
    TPopGenDataSet& ds = data.ds;
    std::vector<std::string> warnings;

    void SetUp() override {
        data.SetRows(SeriesRows());
        byHand.SetRows(SeriesRows());
        data.reporter.SetWarningHandler([this](const std::string& m) { warnings.push_back(m); });
    }
};

TEST_F(TreeSeries, BootstrapTreesAreTheReplicatesBuiltByHandForEveryKindAndTreatment) {
    for (const TreeKind kind : {TreeKind::UPGMA, TreeKind::NJ}) {
        for (const Treatment mode : {Treatment::Standard, Treatment::Average, Treatment::Minimum}) {
            TreeSeriesOptions o;
            o.Kind = kind;
            o.Mode = mode;
            o.Draws = 5;
            o.NTrees = 6;
            RandSeed = 4242;
            AString trees;
            ASSERT_TRUE(BsTrees(ds, o, ProgramRandom(), trees)) << data.errors.front();
            RandSeed = 4242;
            const AString expected = BootstrapByHand(byHand, o, "Bs" + SimMethodToStr(true, mode, o.Coeff) + "Jaccard");
            EXPECT_EQ(trees, expected) << TreeKindName(kind) << " " << static_cast<int>(mode);
            // Every replicate is a tree of its own: none repeated, none dropped.
            EXPECT_EQ(std::set<std::string>(trees.begin(), trees.end()).size(), trees.size());
        }
    }
    EXPECT_TRUE(data.errors.empty());
}

TEST_F(TreeSeries, SeriesLeaveTheDataSetAsTheyFoundIt) {
    ASSERT_TRUE(CalcDistMatrix(ds, DistRunOptions{Treatment::Maximum, Coefficient::Dice}, ProgramRandom()));
    TDistAnalysis& analysis = MakeDistAnalysis(ds);
    ASSERT_TRUE(analysis.BuildTree(TreeKind::UPGMA, "kept"));
    const TDSLayer before = ds.Layers[1];
    const KernelChoice kernel = ds.Kernel;
    TreeSeriesOptions o;
    o.Kind = TreeKind::NJ;
    o.Mode = Treatment::Average;
    o.Coeff = Coefficient::SMC;
    o.Draws = 3;
    o.NTrees = 2;
    AString trees;
    ASSERT_TRUE(MultiAvgTrees(ds, o, ProgramRandom(), trees));
    ASSERT_TRUE(BsTrees(ds, o, ProgramRandom(), trees));
    EXPECT_EQ(ds.CurLayer, 1);
    EXPECT_EQ(ds.Layers[1].DistMatrix, before.DistMatrix);
    EXPECT_EQ(ds.Layers[1].RawMatrix, before.RawMatrix);
    EXPECT_EQ(ds.Layers[1].Analysis, before.Analysis);
    EXPECT_EQ(ds.Layers[1].Analysis->StoredTree, analysis.StoredTree);
    EXPECT_EQ(ds.Kernel.Mode, kernel.Mode);
    EXPECT_EQ(ds.Kernel.Coeff, kernel.Coeff);
    EXPECT_EQ(ds.DistTransform, Transformation::OneMinusS);
    EXPECT_FALSE(ds.Layers[4].HasMatrix());
}

TEST_F(TreeSeries, AverageTreesAreTheMatricesDrawnAgainByHand) {
    TreeSeriesOptions o;
    o.Mode = Treatment::Average;
    o.Draws = 4;
    o.NTrees = 5;
    for (const TreeKind kind : {TreeKind::UPGMA, TreeKind::NJ}) {
        o.Kind = kind;
        RandSeed = 99;
        AString trees;
        ASSERT_TRUE(MultiAvgTrees(ds, o, ProgramRandom(), trees));
        RandSeed = 99;
        AString expected;
        for (std::size_t i = 1; i <= o.NTrees; ++i)
            expected.push_back(TreeByHand(byHand.ds, o, "AvgJaccard4x" + std::to_string(i)));
        EXPECT_EQ(trees, expected);
        EXPECT_NE(trees[0], trees[1]);
    }
}

TEST_F(TreeSeries, TheSeedDecidesTheSeries) {
    TreeSeriesOptions o;
    o.NTrees = 4;
    AString a, b, c;
    RandSeed = 1;
    ASSERT_TRUE(BsTrees(ds, o, ProgramRandom(), a));
    RandSeed = 1;
    ASSERT_TRUE(BsTrees(ds, o, ProgramRandom(), b));
    RandSeed = 2;
    ASSERT_TRUE(BsTrees(ds, o, ProgramRandom(), c));
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
}

TEST_F(TreeSeries, TemporaryLayerGivesWayToTheWorkingCopy) {
    data.SetRows(SeriesRows(), 3);
    TreeSeriesOptions o;
    o.NTrees = 1;  // a single replicate is a series too
    AString trees;
    ASSERT_TRUE(BsTrees(ds, o, ProgramRandom(), trees));
    ASSERT_EQ(trees.size(), 1u);
    EXPECT_EQ(ds.CurLayer, 1);
    ds.CurLayer = 3;
    o.Mode = Treatment::Average;
    ASSERT_TRUE(MultiAvgTrees(ds, o, ProgramRandom(), trees));
    EXPECT_EQ(ds.CurLayer, 1);
    EXPECT_EQ(warnings, (std::vector<std::string>{"Cannot work on this data layer (3), switching to AllData!",
                                                  "Cannot work on this data layer (3), switching to AllData!"}));
}

TEST_F(TreeSeries, FailuresAreReportedAndLeaveNoTrees) {
    TreeSeriesOptions o;
    AString trees{"old"};
    o.NTrees = 0;
    EXPECT_FALSE(BsTrees(ds, o, ProgramRandom(), trees));
    EXPECT_TRUE(trees.empty());
    // NJ needs three individuals: the first replicate already fails.
    data.SetRows({"1010", "0110"});
    o.NTrees = 3;
    o.Kind = TreeKind::NJ;
    trees = {"old"};
    EXPECT_FALSE(BsTrees(ds, o, ProgramRandom(), trees));
    EXPECT_TRUE(trees.empty());
    EXPECT_FALSE(MultiAvgTrees(ds, o, ProgramRandom(), trees));
    ASSERT_EQ(data.errors.size(), 3u);
    EXPECT_EQ(data.errors[1], "NJ needs at least 3 OTUs (got 2)");
}

}  // namespace

#include "../popgen/grouped_bands.h"

namespace {

class PopTreeSeries : public ::testing::Test {
protected:
    GroupedBands data;
    TPopGenDataSet& ds = data.ds;
    void SetUp() override {
        data.Load(RandomRows(12, 40, 3), {{"A", {0, 1, 2, 3}}, {"B", {4, 5, 6, 7}}, {"C", {8, 9, 10, 11}}});
    }
};

TEST_F(PopTreeSeries, TreesOfTheGroupsComeFromTheSeedAndLeaveTheWorkingData) {
    PopTreeOptions o;
    o.Method = FreqMethod::SquareRoot;
    o.NTrees = 4;
    for (const TreeKind kind : {TreeKind::UPGMA, TreeKind::NJ}) {
        o.Kind = kind;
        AString a, b;
        RandSeed = 8;
        ASSERT_TRUE(BsPopTrees(ds, o, ProgramRandom(), a)) << data.errors.front();
        RandSeed = 8;
        ASSERT_TRUE(BsPopTrees(ds, o, ProgramRandom(), b));
        EXPECT_EQ(a, b);
        ASSERT_EQ(a.size(), 4u);
        EXPECT_NE(a[0], a[1]);
        for (const std::string& tree : a) {
            for (const char* tip : {"A", "B", "C"})
                EXPECT_NE(tree.find(std::string(tip) + ":"), std::string::npos) << tree;
            EXPECT_EQ(tree.find("AllData"), std::string::npos);
        }
        EXPECT_NE(a[0].find("Chord1"), std::string::npos) << a[0];
    }
    EXPECT_EQ(ds.CurLayer, 1);
    EXPECT_EQ(ds.DistTransform, Transformation::OneMinusS);
    EXPECT_EQ(ds.Layers[1].NLoci, 40u);
    // From a temporary layer: the working copy, with a warning.
    ASSERT_TRUE(InitLayerLikeCurrent(ds, 3, true));
    ds.CurLayer = 3;
    AString trees;
    o.NTrees = 1;
    ASSERT_TRUE(BsPopTrees(ds, o, ProgramRandom(), trees));
    EXPECT_EQ(ds.CurLayer, 1);
    EXPECT_EQ(data.warnings,
              (std::vector<std::string>{
                  "Cannot perform BsPopTrees from current data source layer (3): Switching to AllData"}));
    o.NTrees = 0;
    EXPECT_FALSE(BsPopTrees(ds, o, ProgramRandom(), trees));
    EXPECT_TRUE(trees.empty());
}

TEST(PopTreeSeriesOnLoci, ALocusSetSelectionResamplesItsOwnLoci) {
    GroupedBands data;
    std::vector<std::size_t> half;
    for (std::size_t l = 0; l < 40; l += 2) half.push_back(l);
    data.Load(RandomRows(12, 40, 3), {{"A", {0, 1, 2, 3}}, {"B", {4, 5, 6, 7}}, {"C", {8, 9, 10, 11}}},
              {{"Even", half}});
    TPopGenDataSet& ds = data.ds;
    ASSERT_TRUE(ds.Select(0, 1));
    const std::size_t selection = ds.CurLayer;
    ASSERT_EQ(ds.GetCurrLayer().NLoci, 20u);
    const std::size_t sets = ds.LocusSets.size();
    PopTreeOptions o;
    o.Method = FreqMethod::SquareRoot;
    o.NTrees = 3;
    AString trees;
    ASSERT_TRUE(BsPopTrees(ds, o, ProgramRandom(), trees))
        << (data.errors.empty() ? std::string() : data.errors.front());
    EXPECT_EQ(trees.size(), 3u);
    EXPECT_EQ(ds.CurLayer, selection);
    EXPECT_EQ(ds.CurLocusSet, 1u);
    EXPECT_EQ(ds.LocusSets.size(), sets);
    EXPECT_EQ(ds.GetCurrLayer().NLoci, 20u);
}

TEST(PopTreeSeriesOnGroups, AGroupOutsideTheSelectionIsRefusedNotPlacedAtDistance0) {
    GroupedBands data;
    data.Load(RandomRows(12, 40, 3),
              {{"A", {0, 1, 2, 3}}, {"B", {4, 5, 6, 7}}, {"C", {8, 9, 10, 11}}, {"AB", {0, 1, 2, 3, 4, 5, 6, 7}}});
    TPopGenDataSet& ds = data.ds;
    ASSERT_TRUE(ds.Select(4, 0));  // A and B only: C has no individuals here
    const std::size_t selection = ds.CurLayer;
    PopTreeOptions o;
    o.Method = FreqMethod::SquareRoot;
    o.NTrees = 2;
    AString trees;
    EXPECT_FALSE(BsPopTrees(ds, o, ProgramRandom(), trees));
    EXPECT_TRUE(trees.empty());
    EXPECT_EQ(data.errors,
              std::vector<std::string>{"Population distance: group C has no individuals in the current data"});
    EXPECT_EQ(ds.CurLayer, selection);
}

}  // namespace
