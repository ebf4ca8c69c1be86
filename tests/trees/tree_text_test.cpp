#include "trees/tree_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "tree_test_util.h"
#include "trees/tree_reading.h"

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
    // The blanks of the first name need the quotes.
    const PackedNodes nodes = {Entry(1, "<    2>", 1.0L, 3, 0), Entry(2, "x<1>y", 1.0L, 3, 0),
                               Entry(3, "r", 0.0L, 0, 2)};
    EXPECT_EQ(Text(nodes, ""), "(x<1>y:1.000000000, '<    2>':1.000000000);");
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
    EXPECT_EQ(TreeRecordText(SilentReporter(), tree), "(C:3.000000000, B:2.000000000, A:1.000000000)'NJ tree';");

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

// Names and titles that the tree text would take apart, or that the program's reader or another
// program would change (blanks, quotes, brackets, control characters, bytes that are not UTF-8)
// are quoted the Newick way, so that they read back whole; all other names are written as they are.
TEST(TreeText, NamesHoldingTreeCharactersAreQuoted) {
    struct Case {
        std::string name;
        std::string written;
    };
    for (const Case& c : std::vector<Case>{{"a,b", "'a,b'"},
                                           {"c(d)", "'c(d)'"},
                                           {"e;f", "'e;f'"},
                                           {"g:h", "'g:h'"},
                                           {"it's,x", "'it''s,x'"},
                                           {"'x", "'''x'"},
                                           {" 'x", "' ''x'"},
                                           {"O'Brien", "'O''Brien'"},
                                           {"it's", "'it''s'"},
                                           {"Pop 1", "'Pop 1'"},
                                           {" lead", "' lead'"},
                                           {"trail ", "'trail '"},
                                           {"   ", "'   '"},
                                           {"a\tb", "'a\tb'"},
                                           {"[sq]", "'[sq]'"},
                                           {"x]", "'x]'"},
                                           {"c\x01d", "'c\x01d'"},
                                           {"e\x1f", "'e\x1f'"},
                                           {"del\x7f", "'del\x7f'"},
                                           {"\xe9t", "'\xe9t'"},                // Latin-1, not UTF-8
                                           {"a\xc3", "'a\xc3'"},                // a sequence cut short
                                           {"\xc0\xaf", "'\xc0\xaf'"},          // an overlong form
                                           {"\xed\xa0\x80", "'\xed\xa0\x80'"},  // a surrogate
                                           {"M\xc3\xbcller", "M\xc3\xbcller"},  // UTF-8
                                           {"\xf0\x9f\x8c\xb2", "\xf0\x9f\x8c\xb2"},
                                           {"a b(c)", "'a b(c)'"},
                                           {"<75>", "<75>"},
                                           {"plain_1.5-x", "plain_1.5-x"}}) {
        EXPECT_EQ(NewickName(c.name), c.written) << c.name;
        const PackedNodes nodes = {Entry(1, c.name, 1.0L, 3, 0), Entry(2, "B", 1.0L, 3, 0), Entry(3, "r", 0.0L, 0, 2)};
        const std::string text = Text(nodes, "T(1)");
        EXPECT_EQ(text, "(B:1.000000000, " + c.written + ":1.000000000)'T(1)';");
        // The program's reader gives the name back, and the title.
        ParsedTree tree;
        std::string reason;
        ASSERT_TRUE(ParseTreeLine(text, tree, reason)) << text << ": " << reason;
        EXPECT_EQ(tree.Names, (AString{"B", c.name})) << text;
        EXPECT_EQ(tree.RootLabel, "T(1)");
        if (c.name == "<75>") continue;  // a title "<...>" is an angle label, written as it is
        ASSERT_TRUE(ParseTreeLine(Text(nodes, c.name), tree, reason)) << reason;
        EXPECT_EQ(tree.RootLabel, c.name);
    }
    // Names that differ only in what the reader would have dropped stay two names.
    const PackedNodes apart = {Entry(1, "Pop 1", 1.0L, 3, 0), Entry(2, "Pop1", 1.0L, 3, 0), Entry(3, "r", 0.0L, 0, 2)};
    ParsedTree tree;
    std::string reason;
    ASSERT_TRUE(ParseTreeLine(Text(apart, "T"), tree, reason)) << reason;
    EXPECT_EQ(tree.Names, (AString{"Pop1", "Pop 1"}));
}

// A line of tree text cannot carry a NUL or a line break: the writer refuses such a name or title
// with the name, and writes nothing.
TEST(TreeText, NamesALineCannotCarryAreRefused) {
    struct Case {
        std::string name;
        bool title;
        const char* error;
    };
    for (const Case& c : std::vector<Case>{
             {std::string("t\0", 2), false, "Tree text cannot carry the name \"t\\0\": it holds a NUL character."},
             {"a\r\nb", false, "Tree text cannot carry the name \"a\\r\\nb\": it holds a line break."},
             {"x\ny", true, "Tree text cannot carry the name \"x\\ny\": it holds a line break."},
             {std::string("T\0", 2), true, "Tree text cannot carry the name \"T\\0\": it holds a NUL character."}}) {
        TreeHookRecorder hooks;
        const PackedNodes nodes = {Entry(1, "t", 1.0L, 3, 0), Entry(2, c.title ? "u" : c.name, 1.0L, 3, 0),
                                   Entry(3, "r", 0.0L, 0, 2)};
        std::string text = "old";
        EXPECT_FALSE(DendrogramToText(hooks.reporter, nodes, c.title ? c.name : "T", text)) << c.error;
        EXPECT_EQ(text, "");
        EXPECT_EQ(hooks.errors, std::vector<std::string>{c.error});
    }
    // A NUL behind the 20 characters kept is not written, and so not refused.
    const std::string longer = std::string("ABCDEFGHIJKLMNOPQRST") + '\0';
    const PackedNodes nodes = {Entry(1, longer, 1.0L, 3, 0), Entry(2, "B", 1.0L, 3, 0), Entry(3, "r", 0.0L, 0, 2)};
    EXPECT_EQ(Text(nodes, "T"), "(B:1.000000000, ABCDEFGHIJKLMNOPQRST:1.000000000)T;");
}

// The names that the cut of a tree file makes equal are named in one warning; names already equal
// in whole, and names the cut leaves apart, are not.
TEST(TreeText, NamesTheCutMakesEqualAreNamed) {
    EXPECT_EQ(CutNameClashes({"A", "B", "ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLMNOPQRSU"}), "");
    EXPECT_EQ(CutNameClashes({"Same", "Same"}), "");
    EXPECT_EQ(CutNameClashes({"Averyveryverylongname1", "x", "Averyveryverylongname2", "Averyveryverylongnam",
                              "Population number 10", "Population number 101"}),
              "Tree files carry the first 20 characters of a name; these names become equal: "
              "\"Averyveryverylongname1\", \"Averyveryverylongname2\" and \"Averyveryverylongnam\" (as "
              "\"Averyveryverylongnam\"); \"Population number 10\" and \"Population number 101\" (as "
              "\"Population number 10\").");
    AString many;
    for (int i = 10; i < 22; ++i)
        for (const char* end : {"a", "b"}) many.push_back("Averyveryverylongn" + std::to_string(i) + "_" + end);
    const std::string text = CutNameClashes(many);
    EXPECT_TRUE(text.ends_with("(as \"Averyveryverylongn19\"); and 2 more.")) << text;

    std::vector<std::string> warnings;
    Reporter reporter({}, [&](const std::string& m) { warnings.push_back(m); });
    WarnCutNameClashes(reporter, {"A", "B"});
    EXPECT_TRUE(warnings.empty());
    WarnCutNameClashes(reporter, {"Averyveryverylongname1", "Averyveryverylongname2"});
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], CutNameClashes({"Averyveryverylongname1", "Averyveryverylongname2"}));
}
