#include "shell/consensus_commands.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "command_fixture.h"
#include "shell/analysis_commands.h"
#include "shell/data_commands.h"
#include "shell/reporting.h"
#include "shell/tree_commands.h"
#include "shell/ui_port.h"
#include "trees/tree_reading.h"

namespace {

class ConsensusCommands : public CommandTest {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        ConsensusInFileName = dir.Path("outtree.ph");
        ConsensusOutFileName = dir.Path("constree.ph");
        ui.AllowBoxes("TEST");
    }
    std::string WriteTrees(const std::string& text) { return dir.Write("outtree.ph", text); }
};

const char kFourTrees[] = "((A,B),(C,D))T;\r\n((A,B),(C,D))T;\r\n((A,B),C,D)T;\r\n((A,C),(B,D))T;\r\n";

TEST_F(ConsensusCommands, MajorityRuleWritesBothLinesInOneRunAndTheReports) {
    WriteTrees(kFourTrees);
    dir.Write("constree.ph", "(X,Y);\r\n");
    dir.Write("analysis.txt", "before\r\n");
    OverwriteMode = 0;
    ui.ExpectBox(kAnswerNo, "Output file exists");   // the consensus file: rewrite it
    ui.ExpectBox(kAnswerYes, "Output file exists");  // the analysis file: append
    CmdMajorityConsensus(true, ConsensusInFileName, ConsensusOutFileName, 50.4f);
    EXPECT_EQ(LastLine(), "Building majority rule consensus... done.");
    EXPECT_EQ(File(ConsensusOutFileName), "((A,B)75,C,D)100;\r\n((A,B)75,C,D)100;\r\n");
    const std::string analysis = File(AnalysisFileName);
    EXPECT_EQ(analysis.rfind("before\r\nClusters found during Majority Rule Consensus construction\r\n\r\n1234\r\n"
                             "1100 3x= 75.00 %\r\n",
                             0),
              0u)
        << analysis;
    EXPECT_NE(analysis.find("Clusters found during consensus tree construction"), std::string::npos);
    EXPECT_EQ(Panel(MessageArea::PanelTrees), ".." + ConsensusOutFileName.substr(ConsensusOutFileName.size() - 14));
    EXPECT_EQ(Panel(MessageArea::PanelState), "Idle");
    EXPECT_TRUE(Errors().empty());

    // A second run appends to the consensus file.
    OverwriteMode = 1;
    CmdStrictConsensus(ConsensusInFileName, ConsensusOutFileName);
    EXPECT_EQ(LastLine(), "Building strict consensus... done.");
    EXPECT_EQ(File(ConsensusOutFileName), "((A,B)75,C,D)100;\r\n((A,B)75,C,D)100;\r\n(A,B,C,D);\r\n(A,B,C,D);\r\n");
}

// A name of more than 20 characters: the first method refuses its clusters, the self-check tells
// the mismatch, and both lines are written, also when the first method has no line at all.
TEST_F(ConsensusCommands, LongNamesWriteBothLinesOfTheMismatch) {
    ui.AllowBoxes("Error");
    OverwriteMode = 1;
    WriteTrees("((Averyveryverylongname1,B),(C,D));\r\n((Averyveryverylongname1,B),(C,D));\r\n");
    CmdStrictConsensus(ConsensusInFileName, ConsensusOutFileName);
    EXPECT_EQ(File(ConsensusOutFileName), "((C,D),Averyveryverylongnam,B);\r\n((Averyveryverylongname1,B),(C,D));\r\n");
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_EQ(Errors()[0].rfind("Consensus error: Inconsistent array of OTUs\r\n", 0), 0u) << Errors()[0];
    std::vector<std::string> checks;
    for (const auto& box : ui.boxes)
        if (box.caption == "TEST") checks.push_back(box.text);
    EXPECT_EQ(checks, (std::vector<std::string>{"CONSENSUS MISMATCH!!!!"}));

    WriteTrees("((Averyveryverylongname1,Averyveryverylongname2),C);\r\n");
    CmdStrictConsensus(ConsensusInFileName, ConsensusOutFileName);
    EXPECT_EQ(LastLine(), "Building strict consensus... failed.");
    EXPECT_EQ(File(ConsensusOutFileName),
              "((C,D),Averyveryverylongnam,B);\r\n((Averyveryverylongname1,B),(C,D));\r\n"
              "\r\n((Averyveryverylongname1,Averyveryverylongname2),C);\r\n");
}

TEST_F(ConsensusCommands, BadInputIsRefusedAndWritesNothing) {
    ui.AllowBoxes("Error");
    CmdStrictConsensus(ConsensusInFileName, ConsensusOutFileName);
    EXPECT_EQ(Errors(), (std::vector<std::string>{"Consensus tree input file was not found."}));
    EXPECT_EQ(LastLine(), "Welcome");

    for (const char* text : {"", "*\r\n(A,B);\r\n", "((A,B),C;\r\n"}) {
        WriteTrees(text);
        CmdMajorityConsensus(true, ConsensusInFileName, ConsensusOutFileName, 50.0f);
        EXPECT_EQ(LastLine(), "Building majority rule consensus... failed.") << text;
    }
    EXPECT_EQ(Errors().size(), 4u);
    EXPECT_EQ(Errors()[1], "No trees found in the tree file:\r\n" + ConsensusInFileName);
    EXPECT_FALSE(FileCanOpen(ConsensusOutFileName));
    EXPECT_FALSE(FileCanOpen(AnalysisFileName));
    EXPECT_EQ(Panel(MessageArea::PanelTrees), panelsBefore[MessageArea::PanelTrees]);
}

TEST_F(ConsensusCommands, ClusterMatrixLoadsAsDataAndAFailureKeepsThePreviousData) {
    WriteTrees("((A,B),(C,D))One;\r\n((A,B),C,D);\r\n");
    CmdTreesToBinaryMatrix(ConsensusInFileName);
    EXPECT_EQ(LastLine(), "Loading trees and creating binary tree-tree matrix...done.");
    ASSERT_NE(DataSet, nullptr);
    const TDSLayer& layer = DataSet->GetCurrLayer();
    EXPECT_EQ(DataSet->CurLayer, 1);
    EXPECT_EQ(layer.IndNames, (AString{"One", "Tree2"}));
    EXPECT_EQ(layer.LocNames, (AString{"Cluster1", "Cluster2", "Cluster3"}));
    EXPECT_EQ(layer.Matrix, (AByte{1, 1, 1, 0, 1, 1}));
    EXPECT_EQ(DataSet->Layers[0].Matrix, layer.Matrix);
    ASSERT_FALSE(DataSet->Groups.empty());
    EXPECT_EQ(DataSet->Groups[0].Name, "AllData");
    EXPECT_EQ(Panel(MessageArea::PanelDataMatrix), "Original (tree) data [2 x 3]");
    EXPECT_EQ(Panel(MessageArea::PanelDistMatrix), "No distance matrix");
    EXPECT_EQ(Panel(MessageArea::PanelFile), "outtree.ph");
    EXPECT_EQ(ui.quickSelectionUpdates, 1);

    const TPopGenDataSet* before = DataSet.get();
    ui.AllowBoxes("Error");
    WriteTrees("((A,B),C);\r\n((A,X),C);\r\n");
    CmdTreesToBinaryMatrix(ConsensusInFileName);
    EXPECT_EQ(LastLine(), "Loading trees and creating binary tree-tree matrix...failed.");
    EXPECT_EQ(DataSet.get(), before);
    EXPECT_EQ(Panel(MessageArea::PanelDataMatrix), "Original (tree) data [2 x 3]");
    EXPECT_EQ(Errors().size(), 1u);
}

// Tree titles become individual names: they must be names a data file can carry, as count data's.
TEST_F(ConsensusCommands, ClusterMatrixRefusesTitlesADataFileCannotCarry) {
    ui.AllowBoxes("Error");
    struct Case {
        const char* trees;
        const char* error;
    };
    for (const Case& c : std::vector<Case>{
             {"((A,B),(C,D))T{1};\r\n((A,B),C,D);\r\n",
              "Name not allowed:\r\nIndividual name \"T{1}\" holds '{' (a remark mark)"},
             {"((A,B),(C,D))One;\r\n((A,B),C,D)<2>;\r\n",
              "Name not allowed:\r\nIndividual name \"<2>\" holds '<' (a mark of the file specification line)"}}) {
        ResetDataSet();
        const TPopGenDataSet* before = DataSet.get();
        const std::size_t errors = Errors().size();
        WriteTrees(c.trees);
        CmdTreesToBinaryMatrix(ConsensusInFileName);
        EXPECT_EQ(LastLine(), "Loading trees and creating binary tree-tree matrix...failed.") << c.trees;
        ASSERT_EQ(Errors().size(), errors + 1) << c.trees;
        EXPECT_EQ(Errors().back(), c.error);
        EXPECT_EQ(DataSet.get(), before);
    }

    // What loads can be saved.
    WriteTrees("((A,B),(C,D))One;\r\n((A,B),C,D)T*2;\r\n");
    EndOfDataChar = '#';
    CmdTreesToBinaryMatrix(ConsensusInFileName);
    EXPECT_EQ(LastLine(), "Loading trees and creating binary tree-tree matrix...done.");
    const std::string saved = dir.Path("clusters.txt");
    CmdSaveDataMatrix(saved);
    EXPECT_EQ(LastLine(), "Saved DataMatrix to " + saved);
}

// Individuals named with the characters of the tree text, blanks, tabs, quotes, brackets, control
// characters and bytes that are not UTF-8: the trees the tree commands write from them read back
// in the consensus and the cluster matrix, to the same names.
TEST_F(ConsensusCommands, TreesOfNamesHoldingTreeCharactersReadBack) {
    for (const AString& names : {AString{"a,b", "c(d)", "e;f", "g:h", "x y(1)", "it's", "'q", "plain"},
                                 AString{"Pop 1", " lead", "trail ", "a\tb", "[sq]", "c\x01d", "\xe9t", "Pop1"}}) {
        SetExampleData();
        for (TDSLayer& layer : DataSet->Layers)
            if (layer.IndNames.size() == names.size()) layer.IndNames = names;
        CmdCalculateMatrix(Treatment::Standard, Coefficient::Jaccard, Transformation::OneMinusS, NeiLiR, JCRandomDraws,
                           false, false);
        OverwriteMode = 2;  // each round its own files
        CmdBuildUPGMA();
        OverwriteMode = 1;
        CmdBuildNJ();
        ASSERT_EQ(ConsensusInFileName, TreeFileName);
        const std::string trees = File(TreeFileName);
        if (names[0] == "a,b") {
            EXPECT_NE(trees.find("'a,b':"), std::string::npos) << trees;
            EXPECT_NE(trees.find("'''q':"), std::string::npos) << trees;
            EXPECT_NE(trees.find("'it''s':"), std::string::npos) << trees;
        } else {
            EXPECT_NE(trees.find("'Pop 1':"), std::string::npos) << trees;
            EXPECT_NE(trees.find("Pop1:"), std::string::npos) << trees;
        }
        OverwriteMode = 2;
        CmdMajorityConsensus(true, ConsensusInFileName, ConsensusOutFileName, 50.0f);
        EXPECT_EQ(LastLine(), "Building majority rule consensus... done.");
        EXPECT_TRUE(Errors().empty());
        // Both lines of the consensus file hold every name.
        const std::string consensus = File(ConsensusOutFileName);
        AString sorted = names;
        std::sort(sorted.begin(), sorted.end());
        std::size_t lines = 0;
        for (std::size_t start = 0, end; (end = consensus.find("\r\n", start)) != std::string::npos; start = end + 2) {
            ParsedTree tree;
            std::string reason;
            ASSERT_TRUE(ParseTreeLine(consensus.substr(start, end - start), tree, reason)) << consensus << reason;
            std::sort(tree.Names.begin(), tree.Names.end());
            EXPECT_EQ(tree.Names, sorted) << consensus;
            ++lines;
        }
        EXPECT_EQ(lines, 2u);
        EXPECT_NE(File(AnalysisFileName).find("OTU #1= "), std::string::npos);
        CmdTreesToBinaryMatrix(ConsensusInFileName);
        EXPECT_EQ(LastLine(), "Loading trees and creating binary tree-tree matrix...done.");
        EXPECT_TRUE(Errors().empty());
        OverwriteMode = 1;
    }
}

// A tree of one of the names alone is told, as a tree of one foreign name is, by both commands;
// the consensus is written all the same, the cluster matrix is not loaded.
TEST_F(ConsensusCommands, ATreeOfOneNameIsToldByBothCommands) {
    ui.AllowBoxes("Error");
    for (const char* single : {"A", "D"}) {
        WriteTrees(std::string("((A,B),C);\r\n((A,B),C);\r\n") + single + ";\r\n");
        const std::size_t before = Errors().size();
        OverwriteMode = 2;
        CmdMajorityConsensus(true, ConsensusInFileName, ConsensusOutFileName, 50.0f);
        EXPECT_EQ(File(ConsensusOutFileName), "((A,B)67,C)67;\r\n((A,B)67,C)67;\r\n");
        ASSERT_EQ(Errors().size(), before + 1) << single;
        EXPECT_EQ(Errors().back().rfind("Consensus error: Inconsistent array of OTUs\r\n1 ", 0), 0u) << Errors().back();
        EXPECT_NE(Errors().back().find(std::string("(the first: ") + single + " in tree 3)"), std::string::npos);
        CmdTreesToBinaryMatrix(ConsensusInFileName);
        EXPECT_EQ(LastLine(), "Loading trees and creating binary tree-tree matrix...failed.");
        EXPECT_EQ(Errors().size(), before + 2);
        EXPECT_EQ(Errors().back(), Errors()[before]);
        EXPECT_EQ(DataSet, nullptr);
    }
}

TEST_F(ConsensusCommands, ViewingTheConsensusFile) {
    ui.AllowBoxes("Error");
    CmdViewConsensusFile();
    EXPECT_EQ(Errors(), (std::vector<std::string>{"Consensus tree file (" + ConsensusOutFileName + ") not found."}));
    dir.Write("constree.ph", "(A,B);\r\n");
    CmdViewConsensusFile();
    EXPECT_EQ(LastLine(), "Viewing tree(s) in the consensus tree file");
    EXPECT_EQ(ui.viewedFiles, (std::vector<std::string>{ConsensusOutFileName}));
}

}  // namespace
