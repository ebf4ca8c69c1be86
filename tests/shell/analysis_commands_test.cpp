#include "shell/analysis_commands.h"

#include <gtest/gtest.h>

#include <cmath>

#include "command_fixture.h"
#include "popgen/distance/distance_matrix.h"

namespace {

using MatrixCommand = CommandTest;

const std::string kDistanceOnly = ". Saving matrix to analysis file:  Distance matrix...";

void RunMatrix(std::uint8_t treatment, std::uint8_t coefficient, std::uint8_t simOutput = 0,
               std::uint8_t distOutput = 1, std::int32_t draws = 20) {
    CmdCalculateMatrix(CodeOf<Treatment>(treatment), CodeOf<Coefficient>(coefficient),
                       CodeOf<Transformation>(DistTransformation), NeiLiR, draws, simOutput == 1, distOutput == 1);
}

TEST_F(MatrixCommand, EveryCoefficientUnderEveryTreatmentNamesAndReportsItsMatrix) {
    SetExampleData();
    // The short treatment names follow the coefficient: the minimum similarity is the maximum distance.
    const char* const expected[4][6] = {
        {"StdJaccard", "StdDice", "StdSMC", "StdNeiLi", "StdEuclidean", "StdSqEuclidean"},
        {"MinJaccard", "MinDice", "MinSMC", "MaxNeiLi", "MaxEuclidean", "MaxSqEuclidean"},
        {"MaxJaccard", "MaxDice", "MaxSMC", "MinNeiLi", "MinEuclidean", "MinSqEuclidean"},
        {"AvgJaccard", "AvgDice", "AvgSMC", "AvgNeiLi", "AvgEuclidean", "AvgSqEuclidean"}};
    std::size_t fileSize = 0;
    for (std::uint8_t treatment = 0; treatment < 4; ++treatment) {
        for (std::uint8_t coefficient = 0; coefficient < 6; ++coefficient) {
            SCOPED_TRACE(expected[treatment][coefficient]);
            RunMatrix(treatment, coefficient);
            EXPECT_EQ(LastLine(), "Calculating " + CoeffToStr(CodeOf<Coefficient>(coefficient)) + " matrix" +
                                      kDistanceOnly + "done.");
            EXPECT_EQ(DistMatrixName, expected[treatment][coefficient]);
            EXPECT_EQ(Panel(MessageArea::PanelDistMatrix), DistMatrixName);
            EXPECT_EQ(Panel(MessageArea::PanelState), "Idle");
            const TDSLayer& layer = DataSet->GetCurrLayer();
            ASSERT_EQ(layer.DistMatrix.size(), PackedSize(8));
            for (Extended d : layer.DistMatrix) EXPECT_TRUE(std::isfinite(d));
            // Each run appends one distance block to the analysis file.
            const std::string report = File(AnalysisFileName);
            EXPECT_GT(report.size(), fileSize);
            EXPECT_NE(report.find("Distances", fileSize), std::string::npos);
            fileSize = report.size();
        }
    }
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(MatrixCommand, ProgressLineNamesWhatIsSaved) {
    SetExampleData();
    RunMatrix(0, 0, 1, 1);
    EXPECT_EQ(LastLine(), "Calculating Jaccard matrix. Saving matrix to analysis file:  Original matrix... "
                          "Distance matrix...done.");
    const std::string report = File(AnalysisFileName);
    EXPECT_NE(report.find("Standard Jaccard coefficients"), std::string::npos);
    EXPECT_NE(report.find("Distances"), std::string::npos);

    RunMatrix(0, 1, 0, 0);
    EXPECT_EQ(LastLine(), "Calculating Dice matrix" "done.");
    EXPECT_EQ(File(AnalysisFileName), report);
}

TEST_F(MatrixCommand, AsksAboutAnExistingAnalysisFileEvenWhenNothingIsWritten) {
    SetExampleData();
    OverwriteMode = 0;
    dir.Write("analysis.txt", "earlier report\r\n");
    ui.ExpectBox(kAnswerYes, "Output file exists");  // Yes: append
    RunMatrix(0, 0, 0, 0);
    EXPECT_EQ(File(AnalysisFileName), "earlier report\r\n");
    ui.ExpectBox(kAnswerNo, "Output file exists");  // No: rewrite
    RunMatrix(0, 0, 0, 1);
    EXPECT_EQ(File(AnalysisFileName).find("earlier report"), std::string::npos);
}

TEST_F(MatrixCommand, FailedRunKeepsThePreviousMatrixAndWritesNothing) {
    SetExampleData();
    RunMatrix(0, 0);
    const PackedMatrix jaccard = DataSet->GetCurrLayer().DistMatrix;
    const std::string report = File(AnalysisFileName);

    // The engine refuses an Average run without draws.
    ui.ExpectBox(kAnswerOk, "Error");
    RunMatrix(3, 1, 0, 1, 0);
    EXPECT_EQ(LastLine(), "Calculating Dice matrix" + kDistanceOnly + "failed.");
    EXPECT_EQ(DistMatrixName, "StdJaccard");
    EXPECT_EQ(Panel(MessageArea::PanelDistMatrix), "StdJaccard");
    EXPECT_EQ(Panel(MessageArea::PanelState), "Idle");
    EXPECT_EQ(File(AnalysisFileName), report);
    EXPECT_EQ(DataSet->GetCurrLayer().DistMatrix, jaccard);
}

TEST_F(MatrixCommand, ANeiLiMatrixWithUndefinedPairsIsKeptAndTheyAreListedOnce) {
    // I3 shares no band with I1: their Nei-Li distance is undefined.
    SetData({"1100", "1110", "0011", "0110"});
    ui.ExpectBox(kAnswerOk, "Warning");
    RunMatrix(0, 3);
    EXPECT_EQ(LastLine(), "Calculating NeiLi matrix" + kDistanceOnly + "done.");
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text.rfind(
                  "Undefined NeiLi distance for 1 pair of individuals (value -1.0 in the matrix):\r\n#3, #1", 0),
              0u)
        << ui.boxes[0].text;
    EXPECT_EQ(DistMatrixName, "StdNeiLi");
    EXPECT_EQ(GetDist(*DataSet, 3, 1), -1.0L);
    EXPECT_EQ(DataSet->GetCurrLayer().UndefinedPairs, 1u);
    EXPECT_NE(File(AnalysisFileName).find("-1.0000000000"), std::string::npos);
}

TEST_F(MatrixCommand, ErrorDuringTheRunCountsAsFailure) {
    SetData({"1100", "1110", "0011", "0110"});
    RunMatrix(0, 0);
    const PackedMatrix jaccard = DataSet->GetCurrLayer().DistMatrix;
    const std::string report = File(AnalysisFileName);
    ui.AllowBoxes("Error");
    DistTransformation = 7;  // no such transformation: the run stops at its first pair
    RunMatrix(0, 3);
    EXPECT_EQ(LastLine(), "Calculating NeiLi matrix" + kDistanceOnly + "failed.");
    EXPECT_EQ(Errors(), std::vector<std::string>{"DistXF: Unknown option."});
    EXPECT_EQ(DistMatrixName, "StdJaccard");
    EXPECT_EQ(DataSet->GetCurrLayer().DistMatrix, jaccard);
    EXPECT_EQ(File(AnalysisFileName), report);
}

TEST_F(MatrixCommand, UnwritableReportFileIsReportedAsFailure) {
    AnalysisFileName = dir.Path("missing/analysis.txt");
    SetExampleData();  // the new data set takes the output file name
    ui.ExpectBox(kAnswerOk, "Error");
    RunMatrix(0, 0);
    EXPECT_EQ(LastLine(), "Calculating Jaccard matrix" + kDistanceOnly + "failed.");
    EXPECT_EQ(ui.boxes.back().text.rfind("Could not write to file:\r\n" + AnalysisFileName + "\r\n", 0), 0u);
    EXPECT_EQ(Panel(MessageArea::PanelState), "Idle");
}

TEST_F(MatrixCommand, WithoutDataNothingStarts) {
    ui.ExpectBox(kAnswerOk, "Error");
    RunMatrix(0, 0);
    EXPECT_EQ(ui.boxes.back().text, "No data loaded");
    EXPECT_EQ(LastLine(), "Welcome");
}

}  // namespace
