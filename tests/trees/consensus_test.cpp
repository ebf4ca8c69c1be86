// Tree text reading, cluster lists, strict and majority-rule consensus and the cluster matrix.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "trees/cluster_list.h"
#include "trees/cluster_matrix.h"
#include "trees/consensus.h"
#include "trees/tree_reading.h"

namespace {

// Records errors and the "TEST" boxes.
struct Recorder {
    std::vector<std::string> errors;
    std::vector<std::string> boxes;
    Reporter reporter{[this](const std::string& m) { errors.push_back(m); },
                      {},
                      [this](const std::string& text, const std::string& caption, std::uint32_t) {
                          boxes.push_back(caption + ": " + text);
                          return kAnswerYes;
                      }};
};

// The clusters of a parsed tree as sorted name sets.
std::set<std::set<std::string>> Clusters(const ParsedTree& tree) {
    std::set<std::set<std::string>> out;
    for (const auto& group : tree.Groups) {
        std::set<std::string> members;
        for (std::size_t m : group.Members()) members.insert(tree.Names[m]);
        out.insert(members);
    }
    return out;
}

ParsedTree Parse(const std::string& line) {
    ParsedTree tree;
    std::string reason;
    EXPECT_TRUE(ParseTreeLine(line, tree, reason)) << line << ": " << reason;
    return tree;
}

struct ConsensusRun {
    bool ok = false;
    ConsensusResult result;
    Recorder rec;
};

void RunConsensus(ConsensusRun& run, const std::string& fileText, std::uint32_t threshold, bool labels,
                  std::uint8_t roundMode = 2) {
    TempDir dir;
    const std::string file = dir.Write("trees.ph", fileText);
    TTrees trees;
    trees.RoundMode = roundMode;
    run.ok = trees.Consensus(run.rec.reporter, threshold, labels, file, run.result);
}

TEST(TreeReading, ReadsNamesClustersAndTitleApartFromLengthsAndLabels) {
    const ParsedTree t = Parse("(A:0.1, (B:0.2, C:0.3):0.4)Title;");
    EXPECT_EQ(t.Names, (AString{"A", "B", "C"}));
    ASSERT_EQ(t.Groups.size(), 2u);
    // Innermost first; the members of a group are a run of leaves.
    EXPECT_EQ(t.Groups[0].First, 1u);
    EXPECT_EQ(t.Groups[0].Count, 2u);
    EXPECT_EQ(t.Groups[1].First, 0u);
    EXPECT_EQ(t.Groups[1].Count, 3u);
    EXPECT_EQ(t.RootLabel, "Title");

    // Blanks are no part of names; support, angle and R labels are never members.
    EXPECT_EQ(Parse("(Pop 1,(Pop 2,Pop 3))").Names, (AString{"Pop1", "Pop2", "Pop3"}));
    const ParsedTree labelled = Parse("((A,B)75,(C,D)<75>,(E,F)R2.0)<TreeID~12>;\r");
    EXPECT_EQ(labelled.Names, (AString{"A", "B", "C", "D", "E", "F"}));
    EXPECT_EQ(labelled.GroupLabels, (AString{"75", "<75>", "R2.0", "<TreeID~12>"}));
    EXPECT_EQ(TreeRootLabel(labelled, 3), "<TreeID~12>");
    EXPECT_EQ(TreeRootLabel(Parse("(A,B);"), 3), "Tree3");
    // Negative and exponent lengths as neighbour joining may write them.
    EXPECT_EQ(Parse("(A:-1.5e-3,B:  0.250000000)NJ;").Names.size(), 2u);
    EXPECT_TRUE(Parse("A;").Groups.empty());
}

TEST(TreeReading, QuotedNamesAndLabelsReadWhole) {
    const ParsedTree t = Parse("('a,b':0.1, 'it''s':0.2,(' x y ',O'Brien, c d)'(75)')'T(1)';");
    EXPECT_EQ(t.Names, (AString{"a,b", "it's", " x y ", "O'Brien", "cd"}));
    EXPECT_EQ(t.GroupLabels, (AString{"(75)", "T(1)"}));
    EXPECT_EQ(t.RootLabel, "T(1)");
    EXPECT_EQ(Parse("'a;b';").Names, (AString{"a;b"}));
    // A quote inside a name opens nothing.
    EXPECT_EQ(Parse("(O'Brien,D'Arcy);").Names, (AString{"O'Brien", "D'Arcy"}));
}

TEST(TreeReading, MalformedLinesAreRefusedWithAReason) {
    for (const char* line :
         {"",           ";",        "(A,B",      "A,B)",      "(A,B))", "(A,,B)",    "(,A)", "(A,B);x",
          "(A,B)(C,D)", "(A,A)",    "(A,(B,A))", "(A:x,B)",   "(A:,B)", "(A:nan,B)", "()",   "((A,B)<75,C)",
          "('a,b,c)",   "('a'b,c)", "('',c)",    "('a','a')", "(a,b)'T"}) {
        ParsedTree tree;
        std::string reason;
        EXPECT_FALSE(ParseTreeLine(line, tree, reason)) << line;
        EXPECT_FALSE(reason.empty()) << line;
        EXPECT_TRUE(tree.Names.empty() && tree.Groups.empty()) << line;
    }
}

TEST(TreeReading, DeepNestingNeedsNoCallStack) {
    std::string line;
    for (int i = 0; i < 200000; ++i) line += "(";
    line += "A";
    for (int i = 0; i < 200000; ++i) line += ")";
    const ParsedTree t = Parse(line);
    EXPECT_EQ(t.Groups.size(), 200000u);
}

TEST(TreeReading, FileLinesAreTrimmedSkippedAndEndAtAStar) {
    const TreeLines trees = ReadTreeLines({"", " (A,B);\r", "   ", std::string("\t(B,C);\0", 8), "*", "(C,D);"});
    ASSERT_EQ(trees.size(), 2u);
    EXPECT_EQ(trees[0].Text, "(A,B);");
    EXPECT_EQ(trees[0].LineNumber, 2u);
    EXPECT_EQ(trees[1].Text, "(B,C);");
    EXPECT_EQ(trees[1].LineNumber, 4u);

    TempDir dir;
    for (const char* text : {"", "*\r\n(A,B);\r\n", "  \r\n\r\n \t \r\n"}) {
        Recorder rec;
        TreeLines lines;
        const std::string file = dir.Write("t.ph", text);
        EXPECT_FALSE(ReadTreeFile(rec.reporter, file, lines));
        EXPECT_EQ(rec.errors, (std::vector<std::string>{"No trees found in the tree file:\r\n" + file}));
    }
    Recorder rec;
    TreeLines lines;
    EXPECT_FALSE(ReadTreeFile(rec.reporter, dir.Path("missing.ph"), lines));
    ASSERT_EQ(rec.errors.size(), 1u);
    EXPECT_EQ(rec.errors[0].rfind("Cannot read the tree file:\r\n", 0), 0u);

    std::vector<ParsedTree> parsed;
    EXPECT_FALSE(ParseTreeLines(rec.reporter, "f.ph", {{"(A,B);", 1}, {"(A,(B;", 7}}, parsed));
    EXPECT_EQ(rec.errors.back(), "The tree file f.ph holds no valid tree in line 7: a \"(\" is not closed.");
    EXPECT_TRUE(parsed.empty());
}

TEST(ClusterLists, CountsEachDistinctClusterOncePerTree) {
    const OTUList otus(AString{"A", "B", "C", "D"});
    ClusterList list;
    for (int i = 0; i < 5; ++i) TreeClusters(Parse("((B,C),(A,D));"), list, otus);
    // A group around a single group holds the same cluster twice: one tree, one count.
    TreeClusters(Parse("(((B,C)),A,D);"), list, otus);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(ClusterRow(list[0]), "0110 6x");
    EXPECT_EQ(ClusterRow(list[1]), "1001 5x");
    EXPECT_EQ(ClusterRow(list[2]), "1111 6x");
    EXPECT_EQ(ClusterRowR({OTUSet(AByte{0, 1, 1, 0}), 75, 12}), "0110 75x @r= 12");

    // A name the first tree lacks keeps every cluster holding it out of the list.
    const TreeClusterResult r = TreeClusters(Parse("((B,X),(A,D,C));"), list, otus);
    EXPECT_EQ(r.Unknown, 2u);
    EXPECT_EQ(r.UnknownName, "X");
    EXPECT_EQ(list.size(), 4u);  // only (A,D,C) was new

    // Cut OTU names: a tree's names are compared whole, so a longer name is not an OTU.
    const ParsedTree longer = Parse("((Averyveryverylongname1,B),C);");
    AString cutNames;
    AString wholeNames;
    EXPECT_EQ(TreeOTUNames(longer, cutNames), 3u);
    TreeOTUNamesB(longer, wholeNames);
    EXPECT_EQ(cutNames, (AString{"Averyveryverylongnam", "B", "C"}));
    EXPECT_EQ(wholeNames, longer.Names);
    ClusterList cutList;
    const TreeClusterResult refused = TreeClusters(longer, cutList, OTUList(cutNames));
    EXPECT_EQ(refused.Unknown, 2u);
    EXPECT_EQ(refused.UnknownName, "Averyveryverylongname1");
    EXPECT_TRUE(cutList.empty());
    ClusterList wholeList(kNoClusterLimit);
    EXPECT_EQ(TreeClustersB(longer, OTUList(wholeNames), wholeList), 0u);
    EXPECT_EQ(wholeList.size(), 2u);

    ClusterList small(1);
    EXPECT_EQ(small.AddCluster(OTUSet(AByte{1, 1, 0, 0})), 0);
    EXPECT_EQ(small.AddCluster(OTUSet(AByte{1, 1, 0, 0})), 0);
    EXPECT_EQ(small.AddCluster(OTUSet(AByte{0, 1, 1, 0})), 255);
    EXPECT_EQ(small[0].Count, 2u);
}

TEST(ClusterLists, RulerAndOTUList) {
    EXPECT_EQ(OTUNumberRuler(4, 4), (AString{"1234"}));
    EXPECT_EQ(OTUNumberRuler(10, 4), (AString{"1234567890"}));
    EXPECT_EQ(OTUNumberRuler(12, 4), (AString{"000000000111", "123456789012"}));
    const AString ruler = OTUNumberRuler(101, 6);
    ASSERT_EQ(ruler.size(), 3u);
    EXPECT_EQ(ruler[0].substr(98), "011");
    EXPECT_EQ(ruler[1].substr(98), "900");
    EXPECT_EQ(OTUListText({"A", "B"}), (AString{"OTU #1= A", "OTU #2= B", ""}));
    EXPECT_EQ(ShareText(3, 4), "75.00 %");
    EXPECT_EQ(ShareText(1, 3), "33.33 %");
}

TEST(Consensus, RequiredTreesAndLabelsInExactArithmetic) {
    struct Case {
        std::size_t trees;
        std::uint32_t threshold;
        std::size_t required;
    };
    for (const Case& c : std::vector<Case>{{4, 50, 3},
                                           {10, 50, 6},
                                           {10, 75, 8},
                                           {10, 80, 8},
                                           {10, 90, 9},
                                           {100, 51, 51},
                                           {10, 100, 10},
                                           {1, 100, 1},
                                           {1, 50, 1},
                                           {3, 50, 2},
                                           {10, 0, 6},
                                           {10, 101, 11}}) {
        EXPECT_EQ(TTrees::RequiredTrees(c.trees, c.threshold), c.required) << c.trees << " at " << c.threshold;
    }
    struct Label {
        std::uint8_t mode;
        std::size_t count, trees;
        std::uint64_t percent;
    };
    for (const Label& l : std::vector<Label>{{2, 7, 10, 70},
                                             {2, 9, 10, 90},
                                             {2, 3, 4, 75},
                                             {2, 2, 3, 67},
                                             {0, 2, 3, 67},
                                             {1, 2, 3, 66},
                                             {3, 2, 3, 66},
                                             {0, 1, 8, 12},
                                             {2, 1, 8, 13},
                                             {0, 3, 8, 38},
                                             {0, 10, 10, 100}}) {
        TTrees t;
        t.RoundMode = l.mode;
        EXPECT_EQ(t.SupportPercent(l.count, l.trees), l.percent) << l.count << "/" << l.trees << " mode " << +l.mode;
    }
}

TEST(Consensus, IdenticalTreesGiveTheirTopology) {
    ConsensusRun run;
    RunConsensus(run, "((A,B),(C,(D,E)))T1;\r\n\r\n((A,B),(C,(D,E)))T2;\r\n((A,B),(C,(D,E)))T3;\r\n", 100, false);
    EXPECT_TRUE(run.ok);
    EXPECT_TRUE(run.rec.errors.empty());
    // Deepest branch first; a group's own OTUs after its sub-groups.
    EXPECT_EQ(run.result.Text, "(((D,E),C),(A,B));");
    EXPECT_EQ(run.result.TextB, run.result.Text);
    EXPECT_EQ(run.rec.boxes, (std::vector<std::string>{"TEST: Consensus OK"}));

    ConsensusRun single;
    RunConsensus(single, "(A:0.1, (B:0.2, C:0.3):0.4)Title;", 100, true);
    EXPECT_EQ(single.result.Text, "((B,C)100,A)100;");
}

TEST(Consensus, MajorityRuleKeepsClustersOfMoreThanHalfTheTrees) {
    const std::string four = "((A,B),(C,D));\n((A,B),(C,D));\n((A,B),C,D);\n((A,C),(B,D));\n";
    ConsensusRun run;
    RunConsensus(run, four, 50, true);
    EXPECT_EQ(run.result.Text, "((A,B)75,C,D)100;");
    EXPECT_TRUE(run.result.Match);
    // Two of four is no majority, whatever the threshold asks for.
    EXPECT_EQ(run.result.Report[0], "Clusters found during Majority Rule Consensus construction");

    ConsensusRun both;
    RunConsensus(both, "((A,B),(C,D));\n((A,B),(C,D));\n((A,B),(C,D));\n((A,C),(B,D));\n", 50, true);
    EXPECT_EQ(both.result.Text, "((A,B)75,(C,D)75)100;");

    ConsensusRun strict;
    RunConsensus(strict, four, 100, false);
    EXPECT_EQ(strict.result.Text, "(A,B,C,D);");

    // 7 of 10 trees pass a 70 % rule labelled 70; 8 of 10 pass an 80 % rule.
    std::string ten;
    for (int i = 0; i < 7; ++i) ten += "((A,B),C,D);\n";
    for (int i = 0; i < 3; ++i) ten += "((A,C),B,D);\n";
    ConsensusRun seventy;
    RunConsensus(seventy, ten, 70, true);
    EXPECT_EQ(seventy.result.Text, "((A,B)70,C,D)100;");
    ConsensusRun more;
    RunConsensus(more, ten, 71, true);
    EXPECT_EQ(more.result.Text, "(A,B,C,D)100;");
}

TEST(Consensus, ReportsOfBothMethods) {
    ConsensusRun run;
    RunConsensus(run, "((A,B),C);\n((A,B),C);\n((A,C),B);\n", 50, true);
    const AString& r = run.result.Report;
    const AString expected{"Clusters found during Majority Rule Consensus construction",
                           "",
                           "123",
                           "110 2x= 66.67 %",
                           "111 3x= 100.00 %",
                           "101 1x= 33.33 %",
                           "",
                           "...where...",
                           "OTU #1= A",
                           "OTU #2= B",
                           "OTU #3= C",
                           "",
                           "Clusters found during consensus tree construction",
                           "",
                           "123",
                           "110 2x= 66.67 %",
                           "111 3x= 100.00 %",
                           "101 1x= 33.33 %",
                           "",
                           "...where...",
                           "OTU #1= A",
                           "OTU #2= B",
                           "OTU #3= C"};
    EXPECT_EQ(r, expected);
}

TEST(Consensus, TheFirstMethodCutsOTUNamesAndRefusesLongerNames) {
    // The first method's OTU names are cut to 20 characters; a cluster holding the whole name is not
    // found among them and is not counted, while the second method counts it.
    ConsensusRun longNames;
    RunConsensus(longNames, "((Averyveryverylongname1,B),(C,D));\n((Averyveryverylongname1,B),(C,D));\n", 100, false);
    EXPECT_TRUE(longNames.ok);
    ASSERT_EQ(longNames.rec.errors.size(), 1u);
    EXPECT_EQ(longNames.rec.errors[0],
              "Consensus error: Inconsistent array of OTUs\r\n4 cluster(s) hold names longer than the 20 characters "
              "kept of OTU names (the first: Averyveryverylongname1 in tree 1); they were not counted.");
    EXPECT_EQ(longNames.result.Text, "((C,D),Averyveryverylongnam,B);");
    EXPECT_EQ(longNames.result.TextB, "((Averyveryverylongname1,B),(C,D));");
    EXPECT_FALSE(longNames.result.Match);
    EXPECT_EQ(longNames.rec.boxes, (std::vector<std::string>{"TEST: CONSENSUS MISMATCH!!!!"}));
    // The first report holds (C,D) only and the cut name; the second the whole name.
    const AString expected{"Clusters found during Majority Rule Consensus construction",
                           "",
                           "1234",
                           "0011 2x= 100.00 %",
                           "",
                           "...where...",
                           "OTU #1= Averyveryverylongnam",
                           "OTU #2= B",
                           "OTU #3= C",
                           "OTU #4= D",
                           "",
                           "Clusters found during consensus tree construction",
                           "",
                           "1234",
                           "1100 2x= 100.00 %",
                           "0011 2x= 100.00 %",
                           "1111 2x= 100.00 %",
                           "",
                           "...where...",
                           "OTU #1= Averyveryverylongname1",
                           "OTU #2= B",
                           "OTU #3= C",
                           "OTU #4= D"};
    EXPECT_EQ(longNames.result.Report, expected);

    // Two longer names that agree in their first 20 characters: every cluster holds one of them,
    // so the first method has none to build from.
    ConsensusRun twice;
    RunConsensus(twice, "((Averyveryverylongname1,Averyveryverylongname2),C);\n", 100, true);
    EXPECT_FALSE(twice.ok);
    ASSERT_EQ(twice.rec.errors.size(), 2u);
    EXPECT_EQ(
        twice.rec.errors[0].rfind("Consensus error: Inconsistent array of OTUs\r\n2 cluster(s) hold names longer", 0),
        0u);
    EXPECT_EQ(twice.rec.errors[1], "Consensus: no cluster is found in enough trees (1 of 1)");
    EXPECT_EQ(twice.result.Text, "");
    EXPECT_EQ(twice.result.TextB, "((Averyveryverylongname1,Averyveryverylongname2)100,C)100;");
    EXPECT_EQ(twice.rec.boxes, (std::vector<std::string>{"TEST: CONSENSUS MISMATCH!!!!"}));

    // A name of 20 characters is found, at the first OTU whose cut name equals it.
    ConsensusRun cut;
    RunConsensus(cut, "((ABCDEFGHIJKLMNOPQRSTU,B),(ABCDEFGHIJKLMNOPQRST,D));\n", 100, false);
    ASSERT_EQ(cut.rec.errors.size(), 1u);
    EXPECT_EQ(cut.result.Text, "((ABCDEFGHIJKLMNOPQRST,D),B,ABCDEFGHIJKLMNOPQRST);");
    EXPECT_EQ(cut.result.TextB, "((ABCDEFGHIJKLMNOPQRSTU,B),(ABCDEFGHIJKLMNOPQRST,D));");
    EXPECT_EQ(cut.result.Report[2], "1234");
    EXPECT_EQ(cut.result.Report[3], "1001 1x= 100.00 %");

    // A name the first tree lacks: reported once, and the clusters holding it are not counted.
    ConsensusRun foreign;
    RunConsensus(foreign, "((A,B),C,D);\n((A,X),C,D);\n((A,B),C,X);\n", 50, true);
    ASSERT_EQ(foreign.rec.errors.size(), 1u);
    EXPECT_EQ(foreign.rec.errors[0].rfind("Consensus error: Inconsistent array of OTUs\r\n3 cluster(s)", 0), 0u)
        << foreign.rec.errors[0];
    EXPECT_EQ(foreign.result.Text, "((A,B)67,C,D);");  // the whole set is in one tree only

    // A tree of one foreign name is told about like any other.
    ConsensusRun single;
    RunConsensus(single, "((A,B),C);\n((A,B),C);\nD;\n", 50, true);
    ASSERT_EQ(single.rec.errors.size(), 1u);
    EXPECT_EQ(single.rec.errors[0], "Consensus error: Inconsistent array of OTUs\r\n1 cluster(s) hold names the "
                                    "first tree lacks (the first: D in tree 3); they were not counted.");
    EXPECT_EQ(single.result.Text, "((A,B)67,C)67;");
    // So is a tree of one OTU name alone: it holds none of the set's clusters.
    ConsensusRun known;
    RunConsensus(known, "((A,B),C);\n((A,B),C);\nA;\n", 50, true);
    ASSERT_EQ(known.rec.errors.size(), 1u);
    EXPECT_EQ(known.rec.errors[0],
              "Consensus error: Inconsistent array of OTUs\r\n1 tree(s) hold only one of the "
              "first tree's names (the first: A in tree 3); they hold no cluster to count.");
    EXPECT_EQ(known.result.Text, "((A,B)67,C)67;");
    EXPECT_TRUE(known.ok);
    ConsensusRun both;
    RunConsensus(both, "((A,B),C);\nD;\nB;\n(A,(B,C));\n'C';\n", 50, true);
    ASSERT_EQ(both.rec.errors.size(), 2u);  // and no cluster is found in 3 of 5 trees
    EXPECT_EQ(both.rec.errors[0],
              "Consensus error: Inconsistent array of OTUs\r\n1 cluster(s) hold names the first "
              "tree lacks (the first: D in tree 2); they were not counted.\r\n2 tree(s) hold only "
              "one of the first tree's names (the first: B in tree 3); they hold no cluster to "
              "count.");
}

// Names that need quotes keep them in the consensus line, which reads back to the same names.
TEST(Consensus, QuotedNamesReadBackFromTheConsensusLine) {
    ConsensusRun run;
    RunConsensus(run,
                 "(('a,b':0.1,'c(d)':0.2):0.3,'e;f':0.1,'g:h':0.2,'it''s':0.1)T;\r\n"
                 "(('a,b','c(d)'),'g:h',('e;f','it''s'))T;\r\n",
                 100, true);
    EXPECT_TRUE(run.ok);
    EXPECT_TRUE(run.rec.errors.empty());
    // A quote anywhere in a name is quoted (doubled), as other programs pair every quote of a file.
    EXPECT_EQ(run.result.Text, "(('a,b','c(d)')100,'e;f','g:h','it''s')100;");
    EXPECT_TRUE(run.result.Match);
    EXPECT_EQ(Parse(run.result.Text).Names, (AString{"a,b", "c(d)", "e;f", "g:h", "it's"}));
    EXPECT_EQ(run.result.Report.back(), "OTU #5= it's");
}

// A NUL read inside quotes is no name a line of tree text can carry: the consensus is not written.
TEST(Consensus, ANameWithANulIsNotWritten) {
    ConsensusRun run;
    const char text[] = "(('t\0',u),v);\n(('t\0',u),v);\n";
    RunConsensus(run, std::string(text, sizeof text - 1), 50, true);
    EXPECT_FALSE(run.ok);
    EXPECT_EQ(run.rec.errors, (std::vector<std::string>{"Tree text cannot carry the name \"t\\0\": it holds a NUL "
                                                        "character."}));
    EXPECT_TRUE(run.result.Text.empty() && run.result.TextB.empty());
}

TEST(Consensus, RefusedInputs) {
    struct Case {
        const char* file;
        const char* error;  // start of the one error
    };
    for (const Case& c : std::vector<Case>{{"", "No trees found in the tree file:"},
                                           {"*\n((A,B),C);\n", "No trees found in the tree file:"},
                                           {"((A,B),C);\n((A,B),C;\n", "The tree file "},
                                           {"A;\n", "The first tree holds fewer than two OTUs."},
                                           {"((A,B),C);\n", nullptr}}) {
        ConsensusRun run;
        RunConsensus(run, c.file, 50, true);
        if (c.error == nullptr) {
            EXPECT_TRUE(run.ok);
            continue;
        }
        EXPECT_FALSE(run.ok) << c.file;
        ASSERT_EQ(run.rec.errors.size(), 1u) << c.file;
        EXPECT_EQ(run.rec.errors[0].rfind(c.error, 0), 0u) << run.rec.errors[0];
        EXPECT_TRUE(run.result.Text.empty() && run.result.TextB.empty());
    }
    // A threshold above 100 % keeps nothing.
    ConsensusRun none;
    RunConsensus(none, "((A,B),C);\n", 101, true);
    EXPECT_FALSE(none.ok);
    EXPECT_EQ(none.rec.errors[0], "Consensus: no cluster is found in enough trees (2 of 1)");
}

TEST(Consensus, OverlappingClustersAreRefusedByTheConstruction) {
    Recorder rec;
    TTrees t;
    t.RSupportMode = true;
    t.RSupportLimit = 10;
    t.RLabelDecimals = 1;
    ATrSetCluster clusters{
        {OTUSet(AByte{1, 1, 0}), 100, 1}, {OTUSet(AByte{0, 1, 1}), 100, 5}, {OTUSet(AByte{1, 1, 1}), 100, 1}};
    std::string text;
    EXPECT_FALSE(t.BuildConsensusB(rec.reporter, clusters, {"A", "B", "C"}, 1, text));
    ASSERT_EQ(rec.errors.size(), 1u);
    EXPECT_EQ(rec.errors[0], "Consensus error: the clusters (B,C) and (A,B) overlap; no tree holds both");
    clusters.erase(clusters.begin() + 1);
    clusters[0].RValue = 100;
    t.RSupportLimit = 100;
    EXPECT_TRUE(t.BuildConsensusB(rec.reporter, clusters, {"A", "B", "C"}, 1, text));
    EXPECT_EQ(text, "((A,B)R2.0,C)R0.0;");
}

// Random trees over a few OTUs: both methods give the same line, and that line reads back to
// exactly the clusters found in the required number of trees.
TEST(Consensus, BothMethodsAgreeAndTheLineReadsBackToTheKeptClusters) {
    std::mt19937 gen(20240611);
    for (int round = 0; round < 60; ++round) {
        const std::size_t n = 3 + gen() % 9;
        const std::size_t count = 1 + gen() % 12;
        std::string file;
        for (std::size_t t = 0; t < count; ++t) {
            // Join random pairs of subtrees (sometimes three at once) until one is left.
            std::vector<std::string> parts;
            for (std::size_t i = 0; i < n; ++i) parts.push_back("T" + std::to_string(i + 1));
            if (t > 0) std::shuffle(parts.begin(), parts.end(), gen);
            while (parts.size() > 1) {
                const std::size_t take = parts.size() > 2 && gen() % 4 == 0 ? 3 : 2;
                std::string joined = "(";
                for (std::size_t k = 0; k < take; ++k) {
                    const std::size_t at = gen() % parts.size();
                    joined += (k ? "," : "") + parts[at] + ":0.5";
                    parts.erase(parts.begin() + static_cast<std::ptrdiff_t>(at));
                }
                parts.push_back(joined + ")");
            }
            file += parts[0] + "Tree;\r\n";
        }
        const auto threshold = static_cast<std::uint32_t>(50 + gen() % 51);
        ConsensusRun run;
        RunConsensus(run, file, threshold, true, static_cast<std::uint8_t>(gen() % 4));
        ASSERT_TRUE(run.ok) << file;
        EXPECT_TRUE(run.result.Match) << file;

        std::vector<ParsedTree> trees;
        Recorder rec;
        ASSERT_TRUE(ParseTreeLines(rec.reporter, "f", ReadTreeLines([&] {
                                       AString lines;
                                       std::size_t start = 0;
                                       while (start < file.size()) {
                                           const std::size_t end = file.find("\r\n", start);
                                           lines.push_back(file.substr(start, end - start));
                                           start = end + 2;
                                       }
                                       return lines;
                                   }()),
                                   trees));
        std::map<std::set<std::string>, std::size_t> found;
        for (const ParsedTree& tree : trees)
            for (const auto& c : Clusters(tree)) ++found[c];
        std::set<std::set<std::string>> kept;
        for (const auto& [c, k] : found)
            if (k >= TTrees::RequiredTrees(count, threshold)) kept.insert(c);
        EXPECT_EQ(Clusters(Parse(run.result.Text)), kept) << file << " at " << threshold;
    }
}

TEST(ClusterMatrix, ClustersByTreesInOrderOfFirstAppearance) {
    TempDir dir;
    const std::string file = dir.Write("t.ph", "((A,B),(C,D))One;\r\n\r\n((A,B),C,D);\r\n((C,D),A,B)Three;\r\n");
    Recorder rec;
    TreeClusterMatrix m;
    ASSERT_TRUE(Trees2Bin(rec.reporter, file, m, true));
    EXPECT_EQ(m.TreeNames, (AString{"One", "Tree3", "Three"}));
    EXPECT_EQ(m.Trees, 3u);
    ASSERT_EQ(m.Clusters, 3u);  // (A,B), (C,D), (A,B,C,D)
    // Cluster k of tree t at k * trees + t.
    EXPECT_EQ(m.Matrix, (AByte{1, 1, 0, /**/ 1, 0, 1, /**/ 1, 1, 1}));
    EXPECT_EQ(rec.boxes, (std::vector<std::string>{"TEST: new trees2bin - OK"}));
    EXPECT_TRUE(rec.errors.empty());

    // Titles that do not tell the trees apart give way to the line numbers.
    TreeClusterMatrix same;
    ASSERT_TRUE(Trees2Bin(rec.reporter, dir.Write("s.ph", "((A,B),C)UPMGA;\n((A,C),B)UPMGA;\n"), same));
    EXPECT_EQ(same.TreeNames, (AString{"Tree1", "Tree2"}));

    // A tree with a name the first lacks fails the matrix; nothing is half filled.
    Recorder bad;
    TreeClusterMatrix failed;
    EXPECT_FALSE(Trees2Bin(bad.reporter, dir.Write("b.ph", "((A,B),C);\n((A,X),C);\n"), failed));
    ASSERT_EQ(bad.errors.size(), 1u);
    EXPECT_EQ(bad.errors[0].rfind("Consensus error: Inconsistent array of OTUs", 0), 0u);
    EXPECT_TRUE(failed.Matrix.empty() && failed.TreeNames.empty() && failed.Trees == 0);
    // So does a name of more than 20 characters: the matrix counts the first method's clusters.
    Recorder longer;
    EXPECT_FALSE(Trees2Bin(longer.reporter, dir.Write("l.ph", "((Averyveryverylongname1,B),C);\n"), failed));
    ASSERT_EQ(longer.errors.size(), 1u);
    EXPECT_EQ(
        longer.errors[0].rfind("Consensus error: Inconsistent array of OTUs\r\n2 cluster(s) hold names longer", 0), 0u);
    EXPECT_TRUE(failed.Matrix.empty());
    Recorder single;
    EXPECT_FALSE(Trees2Bin(single.reporter, dir.Write("d.ph", "((A,B),C);\nD;\n"), failed));
    ASSERT_EQ(single.errors.size(), 1u);
    EXPECT_EQ(single.errors[0].rfind("Consensus error: Inconsistent array of OTUs", 0), 0u);
    // A tree of one OTU name alone would be a row without a cluster: refused the same way.
    Recorder known;
    EXPECT_FALSE(Trees2Bin(known.reporter, dir.Write("k.ph", "((A,B),C);\nA;\n"), failed));
    EXPECT_EQ(known.errors, (std::vector<std::string>{"Consensus error: Inconsistent array of OTUs\r\n1 tree(s) hold "
                                                      "only one of the first tree's names (the first: A in tree 2); "
                                                      "they hold no cluster to count."}));
    EXPECT_TRUE(failed.Matrix.empty() && failed.TreeNames.empty() && failed.Trees == 0);
}

}  // namespace
