#include "trees/neighbour_joining.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tree_test_util.h"
#include "trees/dist_analysis.h"

namespace {

using Matrix = std::vector<std::vector<Extended>>;

std::string NjText(const AString& names, const Matrix& d, std::string_view title = "T") {
    TDistAnalysis a = MakeAnalysis(SilentReporter(), names, d);
    EXPECT_TRUE(a.BuildTree(TreeKind::NJ, title));
    std::string text;
    EXPECT_TRUE(a.TreeText(TreeKind::NJ, false, text));
    return text;
}

// Path lengths between the leaves of a dendrogram, by leaf name.
std::map<std::pair<std::string, std::string>, Extended> Patristic(const Dendrogram& tree) {
    const std::size_t n = tree.Nodes.size();
    std::vector<std::vector<std::size_t>> adjacent(n);
    for (std::size_t i = 0; i < n; ++i) {
        if (tree.Nodes[i].Parent != i) {
            adjacent[i].push_back(tree.Nodes[i].Parent);
            adjacent[tree.Nodes[i].Parent].push_back(i);
        }
    }
    // The length of the edge between a node and its parent is the node's value.
    const auto edge = [&tree](std::size_t a, std::size_t b) {
        return tree.Nodes[a].Parent == b ? tree.Nodes[a].Value : tree.Nodes[b].Value;
    };
    std::map<std::pair<std::string, std::string>, Extended> result;
    for (std::size_t s = 0; s < n; ++s) {
        if (!tree.Nodes[s].Children.empty()) continue;
        std::vector<Extended> dist(n, -1.0L);
        std::vector<std::size_t> todo = {s};
        dist[s] = 0.0L;
        while (!todo.empty()) {
            const std::size_t v = todo.back();
            todo.pop_back();
            for (const std::size_t w : adjacent[v]) {
                if (dist[w] < 0.0L) {
                    dist[w] = dist[v] + edge(v, w);
                    todo.push_back(w);
                }
            }
        }
        for (std::size_t t = 0; t < n; ++t) {
            if (t != s && tree.Nodes[t].Children.empty()) result[{tree.Nodes[s].Name, tree.Nodes[t].Name}] = dist[t];
        }
    }
    return result;
}

}  // namespace

TEST(NeighbourJoining, FourAdditiveOtusAreReproducedExactly) {
    // Tree ((A:1, B:2):3, C:4, D:5). The pairs (A,B) and (C,D) tie on Q; (A,B) comes first.
    const Matrix d = {{0, 3, 8, 9}, {3, 0, 9, 10}, {8, 9, 0, 9}, {9, 10, 9, 0}};
    EXPECT_EQ(NjText({"A", "B", "C", "D"}, d),
              "(D:5.000000000, C:4.000000000, (B:2.000000000, A:1.000000000):3.000000000)T;");
}

TEST(NeighbourJoining, ThreeOtusGiveTheThreeWayRoot) {
    EXPECT_EQ(NjText({"A", "B", "C"}, {{0, 3, 4}, {3, 0, 5}, {4, 5, 0}}),
              "(C:3.000000000, B:2.000000000, A:1.000000000)T;");
}

TEST(NeighbourJoining, JoinOrderAndNodeOrderFollowTheRows) {
    // Caterpillar ((A:1,B:2):1,C:3):1,D:1,((E:2,F:1):1). With five rows (F,E) and (AB,C) tie on
    // Q and (F,E) comes first; with four rows C, D, AB, EF the pair (AB,C) comes first, so an OTU
    // joins an internal node before the last three. The text lists children by node index, so
    // it shows where each join put its nodes.
    const Matrix d = {{0, 3, 5, 4, 6, 5}, {3, 0, 6, 5, 7, 6}, {5, 6, 0, 5, 7, 6},
                      {4, 5, 5, 0, 4, 3}, {6, 7, 7, 4, 0, 3}, {5, 6, 6, 3, 3, 0}};
    EXPECT_EQ(NjText({"A", "B", "C", "D", "E", "F"}, d),
              "(D:1.000000000, (C:3.000000000, (B:2.000000000, A:1.000000000):1.000000000):1.000000000, "
              "(F:1.000000000, E:2.000000000):1.000000000)T;");
}

TEST(NeighbourJoining, AdditiveDistancesOfALargerTreeAreReproduced) {
    // ((((A:1,B:2):1,C:3):2,(D:1,E:4):1):0.5,F:2,G:1.5), unrooted.
    const AString names = {"A", "B", "C", "D", "E", "F", "G"};
    Dendrogram truth;
    truth.Nodes = {{"A", 1, 7, {}},   {"B", 2, 7, {}},     {"C", 3, 8, {}},      {"D", 1, 9, {}},
                   {"E", 4, 9, {}},   {"F", 2, 11, {}},    {"G", 1.5L, 11, {}},  {"ab", 1, 8, {0, 1}},
                   {"abc", 2, 10, {7, 2}}, {"de", 1, 10, {3, 4}}, {"abcde", 0.5L, 11, {8, 9}},
                   {"root", 0, 11, {10, 5, 6}}};
    const auto expected = Patristic(truth);
    Matrix d(7, std::vector<Extended>(7, 0.0L));
    for (std::size_t i = 0; i < 7; ++i) {
        for (std::size_t j = 0; j < 7; ++j) {
            if (i != j) d[i][j] = expected.at({names[i], names[j]});
        }
    }
    TDistAnalysis a = MakeAnalysis(SilentReporter(), names, d);
    ASSERT_TRUE(a.NJ("T"));
    const auto got = Patristic(a.Tree);
    ASSERT_EQ(got.size(), expected.size());
    for (const auto& [pair, value] : expected) EXPECT_NEAR(static_cast<double>(got.at(pair)), static_cast<double>(value), 1e-15);
}

TEST(NeighbourJoining, NonAdditiveDistancesMayGiveNegativeLengths) {
    const Matrix d = {{0, 2, 1, 1}, {2, 0, 10, 10}, {1, 10, 0, 2}, {1, 10, 2, 0}};
    EXPECT_EQ(NjText({"A", "B", "C", "D"}, d),
              "(D:1.000000000, C:1.000000000, (B:5.500000000, A:-3.500000000):3.500000000)T;");
    EXPECT_EQ(NJ_BranchLengths(4, 1.0L, 12.0L, 20.0L), std::make_pair(-1.5L, 2.5L));
}

TEST(NeighbourJoining, DiagonalIsIgnoredAndRebuildingGivesTheSameTree) {
    TDistAnalysis a = RandomEuclidean(SilentReporter(), 9, 4, 5);
    ASSERT_TRUE(a.BuildTree(TreeKind::NJ, "NJ"));
    const std::string first = a.DendrogramText();
    ASSERT_TRUE(a.BuildTree(TreeKind::NJ, "NJ"));
    EXPECT_EQ(a.DendrogramText(), first);
    EXPECT_EQ(a.Tree.Nodes.size(), 2 * 9 - 2);
    for (std::size_t i = 1; i <= 9; ++i) a.Dist[PairIndex(i, i)] = 0.25L;
    ASSERT_TRUE(a.BuildTree(TreeKind::NJ, "NJ"));
    EXPECT_EQ(a.DendrogramText(), first);
}

TEST(NeighbourJoining, TooFewOtusOrBadDistancesAreReportedAndGiveNoTree) {
    TreeHookRecorder hooks;
    std::vector<TDistAnalysis> cases = {MakeAnalysis(hooks.reporter, {}, {}),
                                        MakeAnalysis(hooks.reporter, {"A"}, {{0}}),
                                        MakeAnalysis(hooks.reporter, {"A", "B"}, {{0, 1}, {1, 0}})};
    TDistAnalysis nan = RandomEuclidean(hooks.reporter, 5, 2, 9);
    nan.Dist[PairIndex(4, 2)] = std::numeric_limits<Extended>::quiet_NaN();
    cases.push_back(nan);
    for (TDistAnalysis& a : cases) {
        hooks.errors.clear();
        a.Tree.Nodes.resize(3);
        EXPECT_FALSE(a.BuildTree(TreeKind::NJ, "T"));
        EXPECT_TRUE(a.Tree.Nodes.empty());
        EXPECT_EQ(a.DendrogramText(), "");
        EXPECT_EQ(hooks.errors.size(), 1u);
    }
}

TEST(DistAnalysis, TreeKindsAndFormats) {
    TreeHookRecorder hooks;
    TDistAnalysis a = MakeAnalysis(hooks.reporter, {"A", "B", "C"}, {{0, 3, 4}, {3, 0, 5}, {4, 5, 0}});
    EXPECT_FALSE(a.BuildTree(CodeOf<TreeKind>(2), "T"));
    EXPECT_EQ(hooks.errors.back(), "Unknown tree type to build");

    ASSERT_TRUE(a.BuildTree(TreeKind::UPGMA, "T"));
    std::string text = "kept";
    EXPECT_FALSE(a.TreeText(TreeKind::UPGMA, true, text));
    EXPECT_EQ(text, "kept");
    EXPECT_EQ(hooks.errors.back(), "Currently cannot handle non-phylip tree formats");
    EXPECT_FALSE(a.TreeText(CodeOf<TreeKind>(5), false, text));
    EXPECT_EQ(text, "");
    EXPECT_EQ(hooks.errors.back(), "Unknown tree format");

    // A build of one kind clears the tree of the other.
    ASSERT_TRUE(a.TreeText(TreeKind::UPGMA, false, text));
    EXPECT_FALSE(text.empty());
    ASSERT_TRUE(a.BuildTree(TreeKind::NJ, "T"));
    EXPECT_TRUE(a.StoredTree.empty());
    ASSERT_TRUE(a.BuildTree(TreeKind::UPGMA, "T"));
    EXPECT_TRUE(a.Tree.Nodes.empty());
}
