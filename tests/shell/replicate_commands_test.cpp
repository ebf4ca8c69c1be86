#include "shell/replicate_commands.h"

#include <gtest/gtest.h>

#include "command_fixture.h"
#include "popgen/distance/distance_matrix.h"
#include "shell/analysis_commands.h"
#include "shell/resample_commands.h"
#include "trees/tree_series.h"

namespace {

class ReplicateCommands : public CommandTest {};

TEST_F(ReplicateCommands, BootstrapAndAverageSeriesAppendTheirTreesToTheTreeFile) {
    SetExampleData();
    CmdCalculateMatrix(Treatment::Standard, Coefficient::Jaccard, Transformation::OneMinusS, NeiLiR, JCRandomDraws,
                       false, false);
    const PackedMatrix matrix = DataSet->GetCurrLayer().DistMatrix;
    dir.Write("outtree.ph", "first\r\n");  // OverwriteMode 1: appended to
    RandSeed = 7;
    CmdBootstrapTrees(TreeKind::NJ, Treatment::Standard, Coefficient::Jaccard, Transformation::OneMinusS, 5, NeiLiR,
                      JCRandomDraws);
    EXPECT_EQ(LastLine(), "Bootstrapping Std Jaccard trees...done.");
    CmdMultipleAvgTrees(TreeKind::UPGMA, Coefficient::Dice, Transformation::OneMinusS, 3, NeiLiR, 10);
    EXPECT_EQ(LastLine(), "Generating Multiple Average Dice trees...done.");
    CmdBootstrapTrees(TreeKind::UPGMA, Treatment::Average, Coefficient::Jaccard, Transformation::OneMinusS, 2, NeiLiR,
                      10);
    EXPECT_EQ(LastLine(), "Bootstrapping Avg Jaccard trees...done.");
    const auto lines = TreeLines();
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[0], "first");
    EXPECT_NE(lines[1].find("BsStdJaccard1"), std::string::npos) << lines[1];
    EXPECT_NE(lines[6].find("AvgDice10x1"), std::string::npos) << lines[6];
    EXPECT_NE(lines[10].find("BsAvgJaccard2"), std::string::npos) << lines[10];
    EXPECT_EQ(Panel(MessageArea::PanelTrees), ".." + TreeFileName.substr(TreeFileName.size() - 14));
    // The matrix the user computed is still the one the panel names.
    EXPECT_EQ(DataSet->GetCurrLayer().DistMatrix, matrix);
    EXPECT_EQ(DistMatrixName, "StdJaccard");
    // The same seed gives the same series.
    RandSeed = 7;
    AString again;
    TreeSeriesOptions o;
    o.Kind = TreeKind::NJ;
    o.NTrees = 5;
    ASSERT_TRUE(BsTrees(*DataSet, o, ProgramRandom(), again));
    EXPECT_EQ(AString(lines.begin() + 1, lines.begin() + 6), again);
    EXPECT_TRUE(Errors().empty());
}

TEST_F(ReplicateCommands, AFailedSeriesWritesNothingAndSaysFailed) {
    SetData({"1010", "0110", "1111"});  // NJ on three individuals: fine; on two: refused
    ui.AllowBoxes("Error");
    CmdBootstrapTrees(TreeKind::NJ, Treatment::Standard, Coefficient::Jaccard, Transformation::OneMinusS, 0, NeiLiR,
                      JCRandomDraws);
    EXPECT_EQ(LastLine(), "Bootstrapping Std Jaccard trees...failed.");
    SetData({"1010", "0110"});
    CmdMultipleAvgTrees(TreeKind::NJ, Coefficient::Jaccard, Transformation::OneMinusS, 4, NeiLiR, 5);
    EXPECT_EQ(LastLine(), "Generating Multiple Average Jaccard trees...failed.");
    EXPECT_EQ(File(TreeFileName), "");
    EXPECT_EQ(Errors(), (std::vector<std::string>{"The number of trees must be at least 1.",
                                                  "NJ needs at least 3 OTUs (got 2)"}));
}

TEST_F(ReplicateCommands, ResampleLociMakesATemporaryReplicateOfTheCurrentSelection) {
    SetExampleData();
    ASSERT_TRUE(DataSet->SelectGroup(1));  // North: layer 2
    RandSeed = 3;
    CmdResampleLoci();
    EXPECT_EQ(LastLine(), "Generating locus-resampled (bootstrapped) data set...done.");
    TPopGenDataSet& ds = *DataSet;
    EXPECT_EQ(ds.CurLayer, 4);
    const TDSLayer& l = ds.Layers[4];
    EXPECT_EQ(l.IndNames, ds.Layers[2].IndNames);
    ASSERT_EQ(l.LocNames.size(), 18u);
    EXPECT_EQ(Panel(MessageArea::PanelDataMatrix), "Temporary Data [4 x 18]");
    EXPECT_EQ(Panel(MessageArea::PanelDistMatrix), "No distance matrix");
    // Every locus is one of the selection's, cells and name together.
    for (std::size_t k = 1; k <= l.NLoci; ++k) {
        const std::string& name = l.LocNames[k - 1];
        const std::size_t j = std::stoul(name.substr(1));
        for (std::size_t i = 1; i <= l.NInd; ++i) EXPECT_EQ(l.Cell(i, k), ds.Layers[2].Cell(i, j)) << name;
    }
    // From a temporary layer the working copy is resampled, with a warning.
    ui.AllowBoxes("Warning");
    CmdResampleLoci();
    EXPECT_EQ(ds.CurLayer, 4);
    EXPECT_EQ(ds.Layers[4].NInd, 8u);
}

}  // namespace

namespace {

TEST_F(ReplicateCommands, PopulationTreesNeedThreeGroupsAndEndDone) {
    SetExampleData();  // two groups
    ui.AllowBoxes("Error");
    CmdBootstrapPopTree(TreeKind::UPGMA, FreqMethod::SquareRoot, PopDistance::Chord, 3, true, 0.5f);
    EXPECT_EQ(Errors(),
              std::vector<std::string>{"To use this function, at least 3 groups (populations) must be defined."});
    SetData(
        {"110100111010011019", "110110101010011010", "100101111011011110", "110101111010111011", "011011010101100111",
         "011011000101101101", "011111010101100191", "111011010100100101", "101011010100100101"},
        {{"North", {1, 2, 3}}, {"South", {4, 5, 6}}, {"East", {7, 8, 9}}});
    CmdBootstrapPopTree(TreeKind::NJ, FreqMethod::SquareRoot, PopDistance::Chord, 3, true, 0.5f);
    EXPECT_EQ(LastLine(), "Bootstrapping chord population distance (Square root) tree...done.");
    const auto lines = TreeLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[2].find("Chord3"), std::string::npos) << lines[2];
    EXPECT_EQ(DataSet->CurLayer, 1);
}

// Names that agree in the 20 characters a tree file keeps are named once per series, before its
// trees are written; the trees are written all the same.
TEST_F(ReplicateCommands, NamesTheCutMakesEqualAreToldOncePerSeries) {
    const std::vector<std::string> rows{"110100111010011019", "110110101010011010", "100101111011011110",
                                        "110101111010111011", "011011010101100111", "011011000101101101",
                                        "011111010101100191", "111011010100100101", "101011010100100101"};
    SetData(rows, {{"Population number 10", {1, 2, 3}}, {"Population number 101", {4, 5, 6}}, {"East", {7, 8, 9}}});
    const AString names{
        "Individual number 1", "Individual number 10", "Individual number 100", "I4", "I5", "I6", "I7", "I8", "I9"};
    for (TDSLayer& layer : DataSet->Layers)
        if (layer.IndNames.size() == names.size()) layer.IndNames = names;
    ui.AllowBoxes("Warning");
    CmdBootstrapTrees(TreeKind::UPGMA, Treatment::Standard, Coefficient::Jaccard, Transformation::OneMinusS, 3, NeiLiR,
                      JCRandomDraws);
    EXPECT_EQ(LastLine(), "Bootstrapping Std Jaccard trees...done.");
    CmdMultipleAvgTrees(TreeKind::NJ, Coefficient::Jaccard, Transformation::OneMinusS, 2, NeiLiR, 5);
    EXPECT_EQ(LastLine(), "Generating Multiple Average Jaccard trees...done.");
    CmdBootstrapPopTree(TreeKind::UPGMA, FreqMethod::SquareRoot, PopDistance::Chord, 3, true, 0.5f);
    EXPECT_EQ(LastLine(), "Bootstrapping chord population distance (Square root) tree...done.");
    std::vector<std::string> warnings;
    for (const auto& box : ui.boxes)
        if (box.caption == "Warning") warnings.push_back(box.text);
    const std::string head = "Tree files carry the first 20 characters of a name; these names become equal: ";
    const std::string individuals =
        head + "\"Individual number 10\" and \"Individual number 100\" (as \"Individual number 10\").";
    // The population trees list the groups from the last.
    EXPECT_EQ(warnings, (std::vector<std::string>{individuals, individuals,
                                                  head + "\"Population number 101\" and \"Population number 10\" (as "
                                                         "\"Population number 10\")."}));
    EXPECT_EQ(TreeLines().size(), 8u);
    EXPECT_TRUE(Errors().empty());
}

}  // namespace
