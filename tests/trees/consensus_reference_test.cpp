// The consensus runs and the cluster matrix against the reference paths (one byte per OTU in
// every mask) on random tree sets: every line, report row, message and cell the same.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/reference_consensus.h"
#include "support/temp_dir.h"
#include "trees/cluster_matrix.h"
#include "trees/consensus.h"
#include "trees/tree_reading.h"

namespace {

struct Messages {
    std::vector<std::string> errors;
    Reporter reporter{[this](const std::string& m) { errors.push_back(m); },
                      {},
                      [](const std::string&, const std::string&, std::uint32_t) { return kAnswerYes; }};
};

// A random tree over the names: subtrees joined two or three at a time, now and then a group
// around a single group, a leaf renamed to a foreign name, or a tree of one name.
std::string RandomTree(std::mt19937& gen, std::vector<std::string> parts, bool foreign) {
    if (foreign) parts[gen() % parts.size()] = "Foreign" + std::to_string(gen() % 3);
    if (gen() % 40 == 0) return parts[gen() % parts.size()] + ";";
    std::shuffle(parts.begin(), parts.end(), gen);
    while (parts.size() > 1) {
        const std::size_t take = std::min<std::size_t>(parts.size(), gen() % 5 == 0 ? 3 : 2);
        std::string joined = "(";
        for (std::size_t k = 0; k < take; ++k) {
            const std::size_t at = gen() % parts.size();
            joined += (k ? "," : "") + parts[at] + ":0.25";
            parts.erase(parts.begin() + static_cast<std::ptrdiff_t>(at));
        }
        joined += ")";
        if (gen() % 15 == 0) joined = "(" + joined + ")";
        parts.push_back(joined);
    }
    return parts[0] + "T" + std::to_string(gen() % 4) + ";";
}

// The reference counts a tree of one OTU name alone without a word, while the program tells such
// trees with the names that do not fit the set (and so refuses the matrix): the reference's
// messages with that one added, and whether there was one to add.
bool WithOneNameTrees(const std::vector<ParsedTree>& trees, std::vector<std::string>& errors) {
    AString names;
    if (trees.empty() || TreeOTUNames(trees.front(), names) < 2) return false;  // refused before counting
    const OTUList otus(names);
    std::size_t count = 0;
    std::string line;
    for (std::size_t t = 0; t < trees.size(); ++t) {
        if (!trees[t].Groups.empty() || !otus.Find(trees[t].Names.front())) continue;
        if (count++ == 0) line = " (the first: " + trees[t].Names.front() + " in tree " + std::to_string(t + 1) + ")";
    }
    if (count == 0) return false;
    line = std::to_string(count) + " tree(s) hold only one of the first tree's names" + line +
           "; they hold no cluster to count.";
    const std::string head = "Consensus error: Inconsistent array of OTUs";
    if (!errors.empty() && errors.front().rfind(head, 0) == 0) errors.front() += "\r\n" + line;
    else errors.insert(errors.begin(), head + "\r\n" + line);
    return true;
}

TEST(ConsensusReference, RandomTreeSetsGiveTheReferenceLinesReportsAndMatrix) {
    std::mt19937 gen(4711);
    TempDir dir;
    std::size_t oneNameSets = 0;
    for (int round = 0; round < 150; ++round) {
        const std::size_t n = 3 + gen() % 30;
        std::vector<std::string> names;
        for (std::size_t i = 0; i < n; ++i)
            names.push_back(gen() % 6 == 0 ? "Averyveryverylongnam" + std::to_string(i) : "t" + std::to_string(i));
        // Now and then a name of 20 characters that the longer ones are cut to.
        if (gen() % 3 == 0) names[0] = "Averyveryverylongnam";
        // Few base trees, each repeated, so that clusters reach every share and ties occur.
        std::vector<std::string> base;
        for (std::size_t b = 1 + gen() % 4; b > 0; --b) base.push_back(RandomTree(gen, names, false));
        std::string file;
        const std::size_t count = 1 + gen() % 14;
        for (std::size_t t = 0; t < count; ++t) {
            const bool foreign = t > 0 && gen() % 12 == 0;
            file += (foreign || gen() % 4 == 0 ? RandomTree(gen, names, foreign) : base[gen() % base.size()]) + "\r\n";
        }
        const std::string path = dir.Write("trees.ph", file);
        const auto threshold = static_cast<std::uint32_t>(50 + gen() % 51);
        const bool labels = gen() % 2 == 0;
        TTrees options;
        options.RoundMode = static_cast<std::uint8_t>(gen() % 4);
        options.NumberNames = gen() % 10 == 0;

        Messages ours, theirs, read;
        ConsensusResult fast, slow;
        const bool fastOk = options.Consensus(ours.reporter, threshold, labels, path, fast);
        TreeLines lines;
        std::vector<ParsedTree> trees;
        ASSERT_TRUE(ReadTreeFile(read.reporter, path, lines) && ParseTreeLines(read.reporter, path, lines, trees));
        const bool slowOk = reference::Consensus(theirs.reporter, options, threshold, labels, trees, slow);
        EXPECT_EQ(fastOk, slowOk) << file;
        EXPECT_EQ(fast.Text, slow.Text) << file;
        EXPECT_EQ(fast.TextB, slow.TextB) << file;
        EXPECT_EQ(fast.Report, slow.Report) << file;
        EXPECT_EQ(fast.Match, slow.Match) << file;
        const bool oneName = WithOneNameTrees(trees, theirs.errors);
        oneNameSets += oneName ? 1 : 0;
        EXPECT_EQ(ours.errors, theirs.errors) << file;

        Messages matrixOurs, matrixTheirs;
        TreeClusterMatrix m, r;
        const bool built = Trees2Bin(matrixOurs.reporter, path, m, true);
        const bool refBuilt = reference::ClusterMatrix(matrixTheirs.reporter, trees, r);
        WithOneNameTrees(trees, matrixTheirs.errors);
        EXPECT_EQ(built, refBuilt && r.Clusters > 0 && !oneName) << file;
        if (built) {
            EXPECT_EQ(m.Trees, r.Trees);
            EXPECT_EQ(m.Clusters, r.Clusters);
            EXPECT_EQ(m.Matrix, r.Matrix) << file;
        }
        EXPECT_EQ(matrixOurs.errors, matrixTheirs.errors) << file;
    }
    EXPECT_GT(oneNameSets, 0u);  // the sets meet such trees
}

}  // namespace

namespace {

// ((((t1,t2),t3),t4), ... tn): as deep as it has leaves.
std::string Caterpillar(std::size_t n) {
    std::string text(n - 1, '(');
    text += "t1";
    for (std::size_t i = 2; i <= n; ++i) text += ",t" + std::to_string(i) + ")";
    return text + ";";
}

}  // namespace

// Deep trees are read, counted and written without recursion.
TEST(ConsensusReference, CaterpillarTreesNeedNoCallStack) {
    const std::string line = Caterpillar(20000);
    std::vector<ParsedTree> trees(2);
    std::string reason;
    ASSERT_TRUE(ParseTreeLine(line, trees[0], reason)) << reason;
    trees[1] = trees[0];
    Reporter quiet;
    std::string text;
    ASSERT_TRUE(MajorityRule(quiet, TTrees{}, 100, false, trees, text, nullptr));
    EXPECT_EQ(text, line);
    TreeClusterMatrix m;
    ASSERT_TRUE(Trees2BinMatrix(quiet, trees, m));
    EXPECT_EQ(m.Clusters, 19999u);
    EXPECT_EQ(m.Matrix, AByte(2 * 19999, 1));
}
