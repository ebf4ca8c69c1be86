#include "trees/upgma.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "tree_test_util.h"
#include "trees/dist_analysis.h"

namespace {

using Matrix = std::vector<std::vector<Extended>>;

std::string UpgmaText(const AString& names, const Matrix& d, std::string_view title = "T") {
    TDistAnalysis a = MakeAnalysis(SilentReporter(), names, d);
    EXPECT_TRUE(a.BuildTree(TreeKind::UPGMA, title));
    std::string text;
    EXPECT_TRUE(a.TreeText(TreeKind::UPGMA, false, text));
    EXPECT_EQ(text, a.StoredTree);
    return text;
}

}  // namespace

TEST(Upgma, TwoOtusJoinAtHalfTheirDistance) {
    EXPECT_EQ(UpgmaText({"A", "B"}, {{0, 0.4L}, {0.4L, 0}}), "(A:0.200000000, B:0.200000000)T;");
}

TEST(Upgma, TieChainFormsOneNodeAtTheMeanOfItsPairs) {
    // d(a,b) = d(b,c) = 1 are tied and linked through b; d(a,c) = 2 enters the height.
    EXPECT_EQ(UpgmaText({"a", "b", "c"}, {{0, 1, 2}, {1, 0, 1}, {2, 1, 0}}),
              "(c:0.666666667, a:0.666666667, b:0.666666667)T;");
}

TEST(Upgma, ZeroDistanceIsAValidClosestPair) {
    EXPECT_EQ(UpgmaText({"A", "B", "C"}, {{0, 0, 2}, {0, 0, 2}, {2, 2, 0}}),
              "(C:1.000000000, (A:0.000000000, B:0.000000000):1.000000000)T;");
}

TEST(Upgma, DisjointTiedPairsMergeInSuccessiveSteps) {
    const Matrix d = {{0, 1, 5, 5}, {1, 0, 5, 5}, {5, 5, 0, 1}, {5, 5, 1, 0}};
    EXPECT_EQ(UpgmaText({"A", "B", "C", "D"}, d),
              "((C:0.500000000, D:0.500000000):2.000000000, "
              "(A:0.500000000, B:0.500000000):2.000000000)T;");
}

TEST(Upgma, MergedClustersCountOnceWhateverTheirSize) {
    // A..E are tied at 1 and form one node of five; F joins them at 10. G lies 20 from each of
    // A..E and 40 from F: the plain mean over the two merged clusters is 30 (height 15), where
    // a mean over the six OTUs would give 23.33.
    Matrix d(7, std::vector<Extended>(7, 0.0L));
    const auto set = [&d](std::size_t i, std::size_t j, Extended v) { d[i][j] = d[j][i] = v; };
    for (std::size_t i = 0; i < 5; ++i) {
        for (std::size_t j = 0; j < i; ++j) set(i, j, 1);
        set(5, i, 10);
        set(6, i, 20);
    }
    set(6, 5, 40);
    EXPECT_EQ(UpgmaText({"A", "B", "C", "D", "E", "F", "G"}, d),
              "(G:15.000000000, (F:5.000000000, (E:0.500000000, D:0.500000000, C:0.500000000, "
              "A:0.500000000, B:0.500000000):4.500000000):10.000000000)T;");
}

TEST(Upgma, DiagonalIsIgnoredAndLongNamesAreCut) {
    const Matrix zero = {{0, 0.4L, 0.9L}, {0.4L, 0, 0.7L}, {0.9L, 0.7L, 0}};
    Matrix bandless = zero;
    for (std::size_t i = 0; i < 3; ++i) bandless[i][i] = 0.1L;  // below every real distance
    const AString names = {"A_name_of_exactly_20", "A_name_of_twenty-one!", "C"};
    const std::string text = UpgmaText(names, zero);
    EXPECT_EQ(UpgmaText(names, bandless), text);
    EXPECT_NE(text.find("A_name_of_exactly_20:"), std::string::npos);
    EXPECT_NE(text.find("A_name_of_twenty-one:"), std::string::npos);
}

TEST(Upgma, LinkedSetsFollowTheTiedPairs) {
    struct Case {
        std::vector<RowPair> pairs;
        std::vector<std::size_t> set;
    };
    const std::vector<Case> cases = {
        {{{2, 1}}, {2, 1}},
        {{{2, 1}, {4, 3}}, {2, 1}},
        {{{2, 1}, {4, 3}, {3, 2}}, {2, 1, 3, 4}},
        {{{3, 1}, {5, 4}, {4, 3}, {2, 1}}, {3, 1, 4, 2, 5}},
    };
    for (const Case& c : cases) {
        std::vector<std::size_t> set;
        EXPECT_EQ(FirstLinkedSet(SilentReporter(), c.pairs, set), c.set.size());
        EXPECT_EQ(set, c.set);
    }
    TreeHookRecorder hooks;
    std::vector<std::size_t> set;
    EXPECT_EQ(FirstLinkedSet(hooks.reporter, {}, set), 0u);
    EXPECT_EQ(hooks.errors, std::vector<std::string>{"FirstLinkedSet: Nothing found"});
}

TEST(Upgma, WithoutLabelsLeavesAreNamedByNumber) {
    PackedMatrix m = {0, 3, 0};
    PackedNodes nodes;
    ASSERT_TRUE(UPGMA(SilentReporter(), m, 2, nullptr, nodes));
    ASSERT_EQ(nodes.size(), 3u);
    EXPECT_EQ(nodes[0].Name, "OTU2");
    EXPECT_EQ(nodes[1].Name, "OTU1");
    EXPECT_EQ(nodes[2].Name, "last node");
    EXPECT_EQ(nodes[2].Parent, 0u);
    EXPECT_TRUE(std::signbit(nodes[2].Value));
}

TEST(Upgma, FailuresStoreNoTree) {
    TreeHookRecorder hooks;
    struct Case {
        TDistAnalysis analysis;
        std::string message;
    };
    std::vector<Case> cases;
    cases.push_back({MakeAnalysis(hooks.reporter, {"A"}, {{0}}), "vxTrees.UPGMA/ShortestDist: error in input matrix"});
    cases.push_back({MakeAnalysis(hooks.reporter, {}, {}), "vxTrees.UPGMA/ShortestDist: error in input matrix"});
    TDistAnalysis fewNames = MakeAnalysis(hooks.reporter, {"A", "B"}, {{0, 1}, {1, 0}});
    fewNames.OTUNames.pop_back();
    cases.push_back({fewNames, "UPGMAOld: id/lo mismatch"});
    cases.push_back({MakeAnalysis(hooks.reporter, {"A", "B", "C"},
                                  {{0, 1, 2},
                                   {1, 0, std::numeric_limits<Extended>::infinity()},
                                   {2, std::numeric_limits<Extended>::infinity(), 0}}),
                     "UPGMA: the distance matrix holds a value that is not a finite number"});
    for (Case& c : cases) {
        hooks.errors.clear();
        c.analysis.StoredTree = "(old:1.0)T;";
        EXPECT_FALSE(c.analysis.BuildTree(TreeKind::UPGMA, "T"));
        EXPECT_EQ(c.analysis.StoredTree, "");
        EXPECT_EQ(hooks.errors, std::vector<std::string>{c.message});
    }
}

TEST(Upgma, BuildingTwiceGivesTheSameTree) {
    TDistAnalysis a = RandomEuclidean(SilentReporter(), 12, 3, 77);
    ASSERT_TRUE(a.BuildTree(TreeKind::UPGMA, "first"));
    const std::string first = a.StoredTree;
    ASSERT_TRUE(a.BuildTree(TreeKind::UPGMA, "first"));
    EXPECT_EQ(a.StoredTree, first);
}
