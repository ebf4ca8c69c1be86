// The developer build's UPGMA and its second clustering on node records.
#include "trees/upgma_verbose.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/debug_box.h"
#include "tree_test_util.h"
#include "trees/dist_analysis.h"
#include "trees/tree_text.h"

namespace {

using Matrix = std::vector<std::vector<Extended>>;

// Records the "TEST" boxes while it lives.
class DebugBoxRecorder {
public:
    DebugBoxRecorder()
        : previous_(SetDebugBoxHook([this](std::string_view text, std::string_view caption, std::uint32_t) {
              shown.push_back(std::string(caption) + ": " + std::string(text));
              return 1;
          })) {}
    ~DebugBoxRecorder() { SetDebugBoxHook(previous_); }
    DebugBoxRecorder(const DebugBoxRecorder&) = delete;
    DebugBoxRecorder& operator=(const DebugBoxRecorder&) = delete;

    std::vector<std::string> shown;

private:
    DebugBoxHook previous_;
};

struct Case {
    const char* what;
    AString names;
    Matrix d;
    std::string text;  // titled "T"
};

// Small matrices whose trees are known: ties of several clusters, a zero distance, disjoint tied
// pairs, clusters of unequal size counting once in a mean.
std::vector<Case> KnownTrees() {
    Matrix seven(7, std::vector<Extended>(7, 0.0L));
    const auto set = [&seven](std::size_t i, std::size_t j, Extended v) { seven[i][j] = seven[j][i] = v; };
    for (std::size_t i = 0; i < 5; ++i) {
        for (std::size_t j = 0; j < i; ++j) set(i, j, 1);
        set(5, i, 10);
        set(6, i, 20);
    }
    set(6, 5, 40);
    return {
        {"two", {"A", "B"}, {{0, 0.4L}, {0.4L, 0}}, "(A:0.200000000, B:0.200000000)T;"},
        {"tie chain",
         {"a", "b", "c"},
         {{0, 1, 2}, {1, 0, 1}, {2, 1, 0}},
         "(c:0.666666667, a:0.666666667, b:0.666666667)T;"},
        {"zero distance",
         {"A", "B", "C"},
         {{0, 0, 2}, {0, 0, 2}, {2, 2, 0}},
         "(C:1.000000000, (A:0.000000000, B:0.000000000):1.000000000)T;"},
        {"disjoint tied pairs",
         {"A", "B", "C", "D"},
         {{0, 1, 5, 5}, {1, 0, 5, 5}, {5, 5, 0, 1}, {5, 5, 1, 0}},
         "((C:0.500000000, D:0.500000000):2.000000000, (A:0.500000000, B:0.500000000):2.000000000)T;"},
        {"plain mean",
         {"A", "B", "C", "D", "E", "F", "G"},
         seven,
         "(G:15.000000000, (F:5.000000000, (E:0.500000000, D:0.500000000, C:0.500000000, "
         "A:0.500000000, B:0.500000000):4.500000000):10.000000000)T;"},
        {"names cut",
         {"A_name_of_twenty-one!", "B"},
         {{0, 3}, {3, 0}},
         "(A_name_of_twenty-one:1.500000000, B:1.500000000)T;"},
    };
}

}  // namespace

TEST(UpgmaVerbose, BuildsTheKnownTreesWithoutATestBox) {
    for (const Case& c : KnownTrees()) {
        SCOPED_TRACE(c.what);
        DebugBoxRecorder boxes;
        TDistAnalysis a = MakeAnalysis(SilentReporter(), c.names, c.d);
        ASSERT_TRUE(a.UPGMAVerbose("T"));
        EXPECT_EQ(a.StoredTree, c.text);
        EXPECT_TRUE(boxes.shown.empty());
        // The second clustering is gone once the tree is made.
        EXPECT_TRUE(a.WorkTree.Nodes.empty());
        EXPECT_TRUE(a.WorkTree.Name.empty());
    }
}

TEST(UpgmaVerbose, AgreesWithTheFastClusteringOnRandomMatrices) {
    for (const std::uint32_t seed : {3u, 41u, 977u}) {
        DebugBoxRecorder boxes;
        TDistAnalysis a = RandomEuclidean(SilentReporter(), 17, 2, seed);
        ASSERT_TRUE(a.UPGMA("R"));
        const std::string fast = a.StoredTree;
        ASSERT_TRUE(a.UPGMAVerbose("R"));
        EXPECT_EQ(a.StoredTree, fast) << seed;
        EXPECT_TRUE(boxes.shown.empty()) << seed;
    }
}

TEST(UpgmaVerbose, FailuresStoreNoTree) {
    TreeHookRecorder hooks;
    DebugBoxRecorder boxes;
    TDistAnalysis one = MakeAnalysis(hooks.reporter, {"A"}, {{0}});
    TDistAnalysis fewNames = MakeAnalysis(hooks.reporter, {"A", "B"}, {{0, 1}, {1, 0}});
    fewNames.OTUNames.pop_back();
    for (auto [analysis, message] : {std::pair{&one, "vxTrees.UPGMA/ShortestDist: error in input matrix"},
                                     std::pair{&fewNames, "UPGMAOld: id/lo mismatch"}}) {
        hooks.errors.clear();
        analysis->StoredTree = "(old:1.0)T;";
        EXPECT_FALSE(analysis->UPGMAVerbose("T"));
        EXPECT_EQ(analysis->StoredTree, "");
        EXPECT_EQ(hooks.errors, std::vector<std::string>{message});
        EXPECT_TRUE(analysis->WorkTree.Nodes.empty());
    }
    EXPECT_TRUE(boxes.shown.empty());
}

TEST(UpgmaWorkTree, ClustersOnNodeRecordsStepByStep) {
    // Two steps: a and b at 1, then c joins them at the mean of its distances 4 and 6.
    TDistAnalysis a = MakeAnalysis(SilentReporter(), {"a", "b", "c"}, {{0, 1, 4}, {1, 0, 6}, {4, 6, 0}});
    const AString labels = a.OTUNames;
    UPGMAWorkTree work(a, labels);
    EXPECT_EQ(a.WorkTree.Name, "UPGMA");
    EXPECT_EQ(work.Rows(), 3u);
    Extended d = 0.0L;
    ASSERT_TRUE(work.Shortest(d));
    EXPECT_EQ(d, 1.0L);
    ASSERT_TRUE(work.Merge());
    EXPECT_EQ(work.Rows(), 2u);
    ASSERT_TRUE(work.Shortest(d));
    EXPECT_EQ(d, 5.0L);
    ASSERT_TRUE(work.Merge());
    EXPECT_EQ(work.Rows(), 1u);
    EXPECT_FALSE(work.Shortest(d));
    EXPECT_FALSE(work.Merge());
    work.MakeRoot();

    // Leaves b, a (set order: row first), their node, then c and the root.
    const ANode& nodes = a.WorkTree.Nodes;
    ASSERT_EQ(nodes.size(), 5u);
    EXPECT_EQ(nodes[0].Name, "b");
    EXPECT_EQ(nodes[1].Name, "a");
    EXPECT_EQ(nodes[2].Name, "Internal");
    EXPECT_EQ(nodes[2].Value, 2.5L - 0.5L);
    EXPECT_EQ(nodes[2].Children, (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(nodes[3].Name, "c");
    EXPECT_EQ(nodes[3].Value, 2.5L);
    EXPECT_EQ(nodes[4].Name, "last node");
    EXPECT_EQ(nodes[4].Parent, 4u);
    EXPECT_EQ(nodes[4].Children, (std::vector<std::size_t>{2, 3}));
    for (std::size_t k = 0; k < 4; ++k) EXPECT_EQ(nodes[k].Parent, k < 2 ? 2u : 4u);
    EXPECT_EQ(TreeRecordText(SilentReporter(), a.WorkTree),
              "(c:2.500000000, (a:0.500000000, b:0.500000000):2.000000000)UPGMA;");
}

TEST(UpgmaWorkTree, GivesThePackedTreeOfEveryKnownCase) {
    for (const Case& c : KnownTrees()) {
        SCOPED_TRACE(c.what);
        TDistAnalysis a = MakeAnalysis(SilentReporter(), c.names, c.d);
        UPGMAWorkTree work(a, a.OTUNames);
        while (work.Rows() > 1) ASSERT_TRUE(work.Merge());
        work.MakeRoot();
        std::string expected = c.text;
        expected.replace(expected.size() - 2, 1, "UPGMA");
        EXPECT_EQ(TreeRecordText(SilentReporter(), a.WorkTree), expected);
    }
}

TEST(UpgmaVerbose, StepChecksShowTheTestBoxOnlyWhenTheClusteringsDiffer) {
    DebugBoxRecorder boxes;
    EXPECT_TRUE(CheckUPGMAShortest(0.25L, 0.25L));
    EXPECT_TRUE(CheckUPGMALast(true, true));
    EXPECT_TRUE(CheckUPGMALast(false, false));
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_FALSE(CheckUPGMAShortest(0.25L, 0.5L));
    EXPECT_FALSE(CheckUPGMALast(false, true));
    EXPECT_EQ(boxes.shown, (std::vector<std::string>{"TEST: upgma error shortestdist", "TEST: upgmaerror..."}));
}
