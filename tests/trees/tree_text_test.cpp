#include "trees/tree_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "support/temp_dir.h"
#include "tree_test_util.h"

namespace {

PackedNode Entry(std::size_t id, std::string name, Extended value, std::size_t parent,
                 std::size_t children) {
    PackedNode n;
    n.Id = id;
    n.Name = std::move(name);
    n.Value = value;
    n.Parent = parent;
    n.ChildCount = children;
    return n;
}

// Leaves A, B, C; node 4 joins A and B; root 5 joins 4 and C.
PackedNodes ThreeLeafTree() {
    return {Entry(1, "A", 0.1L, 4, 0), Entry(2, "B", 0.1L, 4, 0), Entry(3, "C", 0.3L, 5, 0),
            Entry(4, "internal", 0.2L, 5, 2), Entry(5, "root", 0.0L, 0, 2)};
}

std::string Text(const PackedNodes& nodes, std::string_view title) {
    std::string text = "unchanged";
    EXPECT_TRUE(DendrogramToText(SilentReporter(), nodes, title, text));
    return text;
}

}  // namespace

TEST(TreeText, WritesChildrenInDescendingEntryOrderWithLengthsAndTitle) {
    EXPECT_EQ(Text(ThreeLeafTree(), "Title"),
              "((B:0.100000000, A:0.100000000):0.200000000, C:0.300000000)Title;");
}

TEST(TreeText, TwoLeavesAndTheLengthFormat) {
    struct Case {
        Extended length;
        const char* text;
    };
    for (const Case& c : {Case{0.0L, "0.000000000"}, Case{-0.0123456789L, "-0.012345679"},
                          Case{12.5L, "12.500000000"}, Case{0.25L, "0.250000000"}}) {
        const PackedNodes nodes = {Entry(1, "A", c.length, 3, 0), Entry(2, "B", c.length, 3, 0),
                                   Entry(3, "r", 0.0L, 0, 2)};
        EXPECT_EQ(Text(nodes, "T"), std::string("(B:") + c.text + ", A:" + c.text + ")T;");
    }
}

TEST(TreeText, NamesAndTitleAreCutToTwentyCharacters) {
    const std::string twenty = "ABCDEFGHIJKLMNOPQRST";
    const PackedNodes nodes = {Entry(1, twenty, 1.0L, 3, 0), Entry(2, twenty + "U", 1.0L, 3, 0),
                               Entry(3, "r", 0.0L, 0, 2)};
    EXPECT_EQ(Text(nodes, "abcdefghijklmnopqrstuvwxyz"),
              "(" + twenty + ":1.000000000, " + twenty + ":1.000000000)abcdefghijklmnopqrst;");

    Dendrogram tree;
    tree.Nodes = {{twenty + "XYZ", 1.0L, 1, {}}, {"root", 0.0L, 1, {0}}};
    PackedNodes packed;
    DendrogramToPacked(tree, packed);
    EXPECT_EQ(packed[0].Name, twenty);
}

TEST(TreeText, SingleChildAndEntriesBehindTheRoot) {
    const PackedNodes single = {Entry(1, "A", 0.5L, 2, 0), Entry(2, "r", 0.0L, 0, 1),
                                Entry(3, "ignored", 9.0L, 2, 0)};
    EXPECT_EQ(Text(single, "T"), "(A:0.500000000)T;");
}

TEST(TreeText, LeafNamesThatLookLikePlaceholdersAreWrittenAsTheyAre) {
    const PackedNodes nodes = {Entry(1, "<    2>", 1.0L, 3, 0), Entry(2, "x<1>y", 1.0L, 3, 0),
                               Entry(3, "r", 0.0L, 0, 2)};
    EXPECT_EQ(Text(nodes, ""), "(x<1>y:1.000000000, <    2>:1.000000000);");
}

TEST(TreeText, EmptyTreeGivesEmptyTextAndBrokenTreesAreRefused) {
    TreeHookRecorder hooks;
    EXPECT_EQ(Text({}, "T"), "");
    EXPECT_TRUE(hooks.errors.empty());
    EXPECT_EQ(TreeRecordText(hooks.reporter, Dendrogram{}), "");

    std::string text = "old";
    const PackedNodes noRoot = {Entry(1, "A", 1.0L, 2, 0), Entry(2, "B", 1.0L, 1, 1)};
    EXPECT_FALSE(DendrogramToText(hooks.reporter, noRoot, "T", text));
    EXPECT_EQ(text, "");
    EXPECT_EQ(hooks.errors.size(), 1u);

    // Two internal entries sharing an id would make the walk visit a subtree twice.
    const PackedNodes duplicateIds = {Entry(1, "A", 1.0L, 2, 0), Entry(2, "x", 1.0L, 3, 1),
                                      Entry(2, "y", 1.0L, 3, 1), Entry(3, "r", 0.0L, 0, 2)};
    EXPECT_FALSE(DendrogramToText(hooks.reporter, duplicateIds, "T", text));
    EXPECT_EQ(hooks.errors.size(), 2u);
}

TEST(TreeText, DeepTreesAreWrittenWithoutRecursion) {
    // A caterpillar: leaf k and the previous internal node join under the next internal node.
    const std::size_t leaves = 50000;
    PackedNodes nodes;
    nodes.push_back(Entry(1, "L", 1.0L, 0, 0));
    for (std::size_t k = 2; k <= leaves; ++k) {
        const std::size_t internal = nodes.size() + 2;
        nodes.back().Parent = internal;
        nodes.push_back(Entry(nodes.size() + 1, "L", 1.0L, internal, 0));
        nodes.push_back(Entry(internal, "i", 1.0L, 0, 2));
    }
    const std::string text = Text(nodes, "T");
    EXPECT_EQ(std::count(text.begin(), text.end(), '('), static_cast<long>(leaves - 1));
    EXPECT_EQ(std::count(text.begin(), text.end(), ')'), static_cast<long>(leaves - 1));
    EXPECT_EQ(text.substr(text.size() - 2), "T;");
}

TEST(TreeRecords, DendrogramToPackedMapsParentsAndChildCounts) {
    Dendrogram tree;
    tree.Name = "NJ tree";
    tree.Nodes = {{"A", 1.0L, 3, {}}, {"B", 2.0L, 3, {}}, {"C", 3.0L, 3, {}}, {"<final>", 0.0L, 3, {0, 1, 2}}};
    PackedNodes packed;
    DendrogramToPacked(tree, packed);
    ASSERT_EQ(packed.size(), 4u);
    EXPECT_EQ(packed[0].Id, 1u);
    EXPECT_EQ(packed[0].Parent, 4u);
    EXPECT_EQ(packed[3].Parent, 0u);
    EXPECT_EQ(packed[3].ChildCount, 3u);
    EXPECT_EQ(TreeRecordText(SilentReporter(), tree), "(C:3.000000000, B:2.000000000, A:1.000000000)NJ tree;");

    FreeDendrogram(tree);
    EXPECT_TRUE(tree.Nodes.empty());
    EXPECT_TRUE(tree.Name.empty());
    EXPECT_EQ(NodeCount(1), 1u);
    EXPECT_EQ(NodeCount(40000), 79999u);
}

TEST(TreeHooks, AnAnalysisReportsThroughTheReporterItWasMadeWith) {
    TDistAnalysis analysis(SilentReporter());  // errors dropped, questions answered No
    analysis.Reporting().Error("nobody listens");
    EXPECT_EQ(analysis.Reporting().Ask("Retry?", "Error", kQuestionYesNo), kAnswerNo);

    TreeHookRecorder hooks(kAnswerYes);
    TDistAnalysis heard(hooks.reporter);
    heard.Reporting().Error("heard");
    EXPECT_EQ(heard.Reporting().Ask("Retry?", "Error", kQuestionYesNo), kAnswerYes);
    EXPECT_EQ(hooks.errors, std::vector<std::string>{"heard"});
    EXPECT_EQ(hooks.lastFlags, kQuestionYesNo);

    // A copy keeps to the reporter of its original.
    Reporter own;
    TDistAnalysis bound(own);
    TDistAnalysis copy = bound;
    copy.Reporting().Error("own");
    EXPECT_EQ(hooks.errors, std::vector<std::string>{"heard"});
    EXPECT_EQ(own.ErrorCount(), 1u);
}

TEST(TreeRecords, AppendLineToFileCreatesAppendsAndRewrites) {
    TempDir dir;
    const std::string file = dir.Path("constree.ph");
    EXPECT_EQ(AppendLineToFile("first", file, false), 0);  // missing: created
    EXPECT_EQ(AppendLineToFile("second", file, false), 0);
    EXPECT_EQ(TempDir::Read(file), "first\r\nsecond\r\n");
    EXPECT_EQ(AppendLineToFile("third", file, true), 0);
    EXPECT_EQ(TempDir::Read(file), "third\r\n");
    EXPECT_NE(AppendLineToFile("x", dir.Path("missing/folder.ph"), false), 0);
}

// Names and titles that hold the characters of the tree text are quoted the Newick way, so that
// the program and other readers take them back whole; all other names are written as they are.
TEST(TreeText, NamesHoldingTreeCharactersAreQuoted) {
    struct Case {
        const char* name;
        const char* written;
    };
    for (const Case& c :
         {Case{"a,b", "'a,b'"}, Case{"c(d)", "'c(d)'"}, Case{"e;f", "'e;f'"}, Case{"g:h", "'g:h'"},
          Case{"it's,x", "'it''s,x'"}, Case{"'x", "'''x'"}, Case{" 'x", "' ''x'"}, Case{"O'Brien", "O'Brien"},
          Case{"Pop 1", "Pop 1"}, Case{"a b(c)", "'a b(c)'"}, Case{"<75>", "<75>"}}) {
        EXPECT_EQ(NewickName(c.name), c.written) << c.name;
        const PackedNodes nodes = {Entry(1, c.name, 1.0L, 3, 0), Entry(2, "B", 1.0L, 3, 0), Entry(3, "r", 0.0L, 0, 2)};
        EXPECT_EQ(Text(nodes, "T(1)"), std::string("(B:1.000000000, ") + c.written + ":1.000000000)'T(1)';");
    }
}
