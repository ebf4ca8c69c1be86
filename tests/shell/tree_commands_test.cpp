#include "shell/tree_commands.h"

#include <gtest/gtest.h>

#include <limits>

#include "command_fixture.h"
#include "popgen/distance/distance_matrix.h"
#include "shell/analysis_commands.h"
#include "shell/viewer_record.h"
#include "trees/dist_analysis.h"

namespace {

const char kNeedMatrix[] = "Need to perform Dis(Similarity) calculation first!\r\n(Or import distance matrix.)";

class TreeCommands : public CommandTest {
protected:
    void ComputeJaccard() {
        CmdCalculateMatrix(Treatment::Standard, Coefficient::Jaccard, Transformation::OneMinusS, NeiLiR, JCRandomDraws,
                           false, false);
        ASSERT_EQ(DistMatrixName, "StdJaccard");
    }
    // Runs UPGMA, NJ and the PCoA on a matrix they must refuse; each ends "failed." and writes nothing.
    void ExpectTreesAndPCoARefused() {
        ui.AllowBoxes("Error");
        CmdBuildUPGMA();
        EXPECT_EQ(LastLine(), "Building UPGMA tree...failed.");
        CmdBuildNJ();
        EXPECT_EQ(LastLine(), "Building NJ tree...failed.");
        CmdPCoA(false);
        EXPECT_EQ(LastLine(), "Performing PCoA...failed.");
        EXPECT_EQ(File(TreeFileName), "");
    }
};

TEST_F(TreeCommands, BothTreesGoToTheTreeFileTitledByTheMatrix) {
    SetExampleData();
    ComputeJaccard();
    CmdBuildUPGMA();
    EXPECT_EQ(LastLine(), "Building UPGMA tree...done.");
    CmdBuildNJ();
    EXPECT_EQ(LastLine(), "Building NJ tree...done.");
    const auto lines = TreeLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].front(), '(');
    EXPECT_TRUE(lines[0].ends_with(")UPMGAStdJaccard;")) << lines[0];
    EXPECT_TRUE(lines[1].ends_with(")NJStdJaccard;")) << lines[1];
    for (const std::string name : {"I1:", "I4:", "I8:"}) {
        EXPECT_NE(lines[0].find(name), std::string::npos);
        EXPECT_NE(lines[1].find(name), std::string::npos);
    }
    EXPECT_EQ(Panel(MessageArea::PanelTrees), ".." + TreeFileName.substr(TreeFileName.size() - 14));
    EXPECT_EQ(Panel(MessageArea::PanelState), "Idle");
    EXPECT_TRUE(ui.boxes.empty());
}

// Names that agree in the 20 characters a tree file keeps are named once, before the tree is
// written; the tree is written all the same.
TEST_F(TreeCommands, NamesTheCutMakesEqualAreToldBeforeTheTreeIsWritten) {
    SetData({"1100", "1110", "0111", "1011"});
    const AString names{"Population number 10", "I2", "Population number 101", "I4"};
    for (TDSLayer& layer : DataSet->Layers)
        if (layer.IndNames.size() == names.size()) layer.IndNames = names;
    ComputeJaccard();
    ui.AllowBoxes("Warning");
    CmdBuildUPGMA();
    EXPECT_EQ(LastLine(), "Building UPGMA tree...done.");
    CmdBuildNJ();
    EXPECT_EQ(LastLine(), "Building NJ tree...done.");
    std::vector<std::string> warnings;
    for (const auto& box : ui.boxes)
        if (box.caption == "Warning") warnings.push_back(box.text);
    const std::string warning =
        "Tree files carry the first 20 characters of a name; these names become equal: \"Population number 10\" "
        "and \"Population number 101\" (as \"Population number 10\").";
    EXPECT_EQ(warnings, (std::vector<std::string>{warning, warning}));
    EXPECT_EQ(TreeLines().size(), 2u);
}

TEST_F(TreeCommands, AMatrixWithUndefinedNeiLiPairsIsRefusedWithTheirCount) {
    // I1 and I2 share no band with I3, I4 and I5: six undefined Nei-Li distances.
    SetData({"110000", "110000", "001111", "000111", "001011"});
    ShowWarnings = 0;  // the run's own list of the pairs is not the point here
    CmdCalculateMatrix(Treatment::Standard, Coefficient::NeiLi, Transformation::D, NeiLiR, JCRandomDraws, false, false);
    ASSERT_EQ(DistMatrixName, "StdNeiLi");
    ExpectTreesAndPCoARefused();
    const std::string tail =
        " pairs of individuals have no defined NeiLi distance (-1.0 in the matrix).\r\n"
        "Choose another coefficient, or another r for NeiLi.";
    EXPECT_EQ(Errors(), (std::vector<std::string>{"UPGMA: 6" + tail, "NJ: 6" + tail, "PCoA: 6" + tail}));
}

TEST_F(TreeCommands, RewriteModeReplacesTheTreeFile) {
    SetExampleData();
    ComputeJaccard();
    CmdBuildUPGMA();
    OverwriteMode = 2;
    CmdBuildUPGMA();
    EXPECT_EQ(TreeLines().size(), 1u);
}

TEST_F(TreeCommands, EachCommandNeedsADistanceMatrix) {
    ui.AllowBoxes("Error");
    SetExampleData();
    CmdBuildUPGMA();
    CmdBuildNJ();
    CmdPCoA(false);
    EXPECT_EQ(Errors(), (std::vector<std::string>(3, kNeedMatrix)));
    EXPECT_EQ(LastLine(), "Welcome");
    FreeDataSet();
    CmdBuildUPGMA();
    EXPECT_EQ(Errors().back(), kNeedMatrix);
}

TEST_F(TreeCommands, NeighbourJoiningNeedsFourIndividuals) {
    SetData({"1100", "1110", "0111"});
    ComputeJaccard();
    ui.ExpectBox(kAnswerOk, "Error");
    CmdBuildNJ();
    EXPECT_EQ(ui.boxes.back().text, "Need to have more than 3 individuals to perform NJ!");
    EXPECT_FALSE(TempDir::Read(TreeFileName).size());

    SetData({"1100", "1110", "0111", "1011"});
    ComputeJaccard();
    CmdBuildNJ();
    EXPECT_EQ(LastLine(), "Building NJ tree...done.");
}

TEST_F(TreeCommands, FailedBuildWritesNoTreeAndKeepsThePanels) {
    SetExampleData();
    ComputeJaccard();
    DataSet->GetCurrLayer().DistMatrix[PairIndex(3, 1)] = std::numeric_limits<Extended>::quiet_NaN();
    ExpectTreesAndPCoARefused();
    EXPECT_EQ(Errors().size(), 3u);
    EXPECT_EQ(File(AnalysisFileName), "");
    EXPECT_EQ(Panel(MessageArea::PanelTrees), panelsBefore[MessageArea::PanelTrees]);
    EXPECT_EQ(Panel(MessageArea::PanelState), "Idle");
}

TEST_F(TreeCommands, UnwritableTreeFileIsReportedAsFailure) {
    SetExampleData();
    ComputeJaccard();
    TreeFileName = dir.Path("missing/outtree.ph");
    ui.ExpectBox(kAnswerOk, "Error");
    CmdBuildUPGMA();
    EXPECT_EQ(LastLine(), "Building UPGMA tree...failed.");
    EXPECT_EQ(Panel(MessageArea::PanelTrees), panelsBefore[MessageArea::PanelTrees]);
}

TEST_F(TreeCommands, PCoAReportGoesToTheAnalysisFile) {
    SetExampleData();
    ComputeJaccard();
    PCoAAutostart = 0;
    CmdPCoA(false);
    EXPECT_EQ(LastLine(), "Performing PCoA...done.");
    const std::string plain = File(AnalysisFileName);
    EXPECT_NE(plain.find("I8"), std::string::npos);
    EXPECT_EQ(plain.find("Centoid"), std::string::npos);
    ASSERT_TRUE(DataSet->GetCurrLayer().Analysis);
    EXPECT_EQ(DataSet->GetCurrLayer().Analysis->Coords.size(), 8u);

    CmdPCoA(true);
    EXPECT_EQ(LastLine(), "Performing PCoA...done.");
    const std::string withCentroids = File(AnalysisFileName).substr(plain.size());
    EXPECT_NE(withCentroids.find("Centoid_1"), std::string::npos);
    EXPECT_NE(withCentroids.find("Centoid_0"), std::string::npos);
    EXPECT_EQ(DataSet->GetCurrLayer().Analysis->Coords.size(), 10u);

    // Rewrite mode replaces what the file held.
    OverwriteMode = 2;
    CmdPCoA(false);
    EXPECT_EQ(File(AnalysisFileName), plain);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_TRUE(ui.viewers.empty());
}

TEST_F(TreeCommands, PCoAWithAutostartOpensTheViewerOnTheResult) {
    SetData({"1100", "1110", "0111", "1011"}, {{"A", {1, 2}}, {"B", {3, 4}}});
    ComputeJaccard();
    CmdPCoA(true);
    EXPECT_EQ(LastLine(), "Performing PCoA...done. Starting PCoA Viewer.");
    ASSERT_EQ(ui.viewers.size(), 1u);
    ASSERT_TRUE(ui.viewers[0].has_value());
    const TPCoAViewerRec& rec = *ui.viewers[0];
    const TDistAnalysis& analysis = *DataSet->GetCurrLayer().Analysis;
    EXPECT_EQ(rec.OTUNames, (AString{"I1", "I2", "I3", "I4", "Centoid_0", "Centoid_1"}));
    EXPECT_EQ(rec.Coords, analysis.Coords);
    EXPECT_EQ(rec.EigenPercents, analysis.EigenPercents);
    EXPECT_EQ(rec.Centroids, 2);
    EXPECT_TRUE(rec.IncludeTrailing);
    ASSERT_EQ(rec.Groups.size(), DataSet->Groups.size());
    EXPECT_EQ(rec.Groups[1].Name, "A");

    // A failed PCoA opens no viewer.
    DataSet->GetCurrLayer().DistMatrix[PairIndex(3, 1)] = std::numeric_limits<Extended>::quiet_NaN();
    ui.AllowBoxes("Error");
    CmdPCoA(false);
    EXPECT_EQ(LastLine(), "Performing PCoA...failed.");
    EXPECT_EQ(ui.viewers.size(), 1u);
}

TEST_F(TreeCommands, PCoAWithAnUngroupedIndividualAddsNoCentroids) {
    SetData({"1100", "1110", "0111", "1011", "1001"}, {{"A", {1, 2}}, {"B", {3, 4}}});
    ComputeJaccard();
    PCoAAutostart = 0;
    CmdPCoA(true);
    EXPECT_EQ(LastLine(), "Performing PCoA...done.");
    EXPECT_EQ(DataSet->GetCurrLayer().Analysis->Coords.size(), 5u);
    EXPECT_EQ(File(AnalysisFileName).find("Centoid"), std::string::npos);
}

}  // namespace
