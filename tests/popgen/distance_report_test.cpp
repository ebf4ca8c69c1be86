#include "popgen/distance/distance_report.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "band_fixture.h"
#include "foundation/number_text.h"
#include "foundation/random.h"
#include "popgen/distance/coefficients.h"
#include "popgen/distance/distance_matrix.h"
#include "support/temp_dir.h"

namespace {

std::string Slurp(const std::string& path) { return TempDir::Read(path); }

std::vector<std::string> SplitCRLF(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t p = text.find("\r\n"); p != std::string::npos; p = text.find("\r\n", from)) {
        lines.push_back(text.substr(from, p - from));
        from = p + 2;
    }
    EXPECT_EQ(from, text.size()) << "every line ends with CR LF";
    return lines;
}

class Reports : public ::testing::Test {
protected:
    BandDataSet b;
    TempDir dir;
    void SetUp() override {
        b.SetRows({"1101", "1001", "0110"}, 1, {"alpha", "b", "gamma"});
        b.ds.OutputFileName = dir.Path("analysis.txt");
    }
};

TEST_F(Reports, StandardRunBlocksInOrderWithExactLayout) {
    ASSERT_TRUE(CalcDistMatrix(b.ds, RunOptions(0, 0, 0, 6.0L, 100), ProgramRandom()));
    ASSERT_EQ(OutputDistances2File(b.ds, CodeOf<Treatment>(0), CodeOf<Coefficient>(0), CodeOf<Transformation>(0),
                                   {.Similarities = true, .Distances = true}),
              0);
    const std::string header = "alpha        b            gamma        ";
    const std::vector<std::string> expected = {
        "Standard Jaccard coefficients",
        "",
        header,
        "1.0000000000 ",
        "0.6666666667 1.0000000000 ",
        "0.2500000000 0.0000000000 1.0000000000 ",
        "",
        "Distances d=1-s (Standard Jaccard coefficients)",
        "",
        header,
        "0.0000000000 ",
        "0.3333333333 0.0000000000 ",
        "0.7500000000 1.0000000000 0.0000000000 ",
        "",
    };
    EXPECT_EQ(SplitCRLF(Slurp(b.ds.OutputFileName)), expected);
    EXPECT_FALSE(b.ds.ReportBuf);
}

TEST_F(Reports, NothingToWriteTouchesNoFile) {
    ASSERT_TRUE(CalcDistMatrix(b.ds, RunOptions(0, 0, 0, 6.0L, 100), ProgramRandom()));
    EXPECT_EQ(OutputDistances2File(b.ds, CodeOf<Treatment>(0), CodeOf<Coefficient>(0), CodeOf<Transformation>(0),
                                   {.Similarities = false, .Distances = false}),
              0);
    EXPECT_FALSE(std::filesystem::exists(b.ds.OutputFileName));
}

TEST_F(Reports, AverageRunWritesSpreadBlocksEvenWithoutSimilarities) {
    b.SetRows({"1191", "1001", "0190"}, 1, {"alpha", "b", "gamma"});
    RandSeed = 8;
    ASSERT_TRUE(CalcDistances(b.ds, RunOptions(3, 2, 0, 6.0L, 100), ProgramRandom()));
    ASSERT_EQ(OutputDistances2File(b.ds, CodeOf<Treatment>(3), CodeOf<Coefficient>(2), CodeOf<Transformation>(0),
                                   {.Distances = true}),
              0);
    const auto lines = SplitCRLF(Slurp(b.ds.OutputFileName));
    ASSERT_EQ(lines.size(), 3u * 7);
    EXPECT_EQ(lines[0], "Variance on SMC coefficients (100 random draws)");
    EXPECT_EQ(lines[7], "StdDev on SMC coefficients (100 random draws)");
    EXPECT_EQ(lines[14], "Distances d=1-s (Average SMC coefficients) (100 random draws)");
    EXPECT_EQ(lines[3], "0.0000000000 ");  // a complete diagonal pair has no spread
    // Each block holds its own matrix: row 2 of the variance, SD and distance blocks.
    const TDSLayer& l = b.ds.GetCurrLayer();
    const auto row2 = [](const PackedMatrix& m) {
        return ExtToStrF(m[1], 11, 10) + " " + ExtToStrF(m[2], 11, 10) + " ";
    };
    ASSERT_GT(l.VarMatrix[1], 0.0L);
    EXPECT_EQ(lines[4], row2(l.VarMatrix));
    EXPECT_EQ(lines[11], row2(l.SDMatrix));
    EXPECT_EQ(lines[18], row2(l.DistMatrix));
}

// Pair (2, 1) shares locus 1 (weight 1), differs at locus 2 (weight 5) and has one cell missing at
// locus 3 (weight 1e-12): its Jaccard lies in [1/(6 + 1e-12), 1/6], closer than one step of the
// generator, so no draw is accepted.
TEST_F(Reports, AverageSimilarityWithoutADrawKeepsItsLowerBoundAndIsListed) {
    b.SetRows({"110", "109"}, 1, {"alpha", "b"});
    b.ds.WeightingScheme = Weighting::Loci;
    b.ds.GetCurrLayer().Weights = {1.0L, 5.0L, 1e-12L};
    for (const int coeff : {0, 1, 2}) {
        RandSeed = 8;
        ASSERT_TRUE(CalcDistances(b.ds, RunOptions(3, coeff, 0, 6.0L, 100), ProgramRandom()));
        EXPECT_EQ(RandSeed, 8u) << "no pair drew";
        const TDSLayer& l = b.ds.GetCurrLayer();
        const KernelSource src = KernelSourceOf(b.ds, ProgramRandom());
        const Coefficient c = CodeOf<Coefficient>(static_cast<std::uint8_t>(coeff));
        const Extended lo = KernelProc(CodeOf<Treatment>(1), c)(src, 2, 1);
        ASSERT_LT(lo, KernelProc(CodeOf<Treatment>(2), c)(src, 2, 1));
        EXPECT_EQ(l.RawMatrix[1], lo) << coeff;
        EXPECT_GE(l.DistMatrix[1], 0.0L);
        EXPECT_LE(l.DistMatrix[1], 1.0L);
        EXPECT_EQ(l.VarMatrix[1], 0.0L);
        EXPECT_EQ(l.NoDraws.Count, 1u) << coeff;
    }
    ASSERT_EQ(OutputDistances2File(b.ds, CodeOf<Treatment>(3), CodeOf<Coefficient>(2), CodeOf<Transformation>(0),
                                   {.Similarities = true, .Distances = true}),
              0);
    const auto lines = SplitCRLF(Slurp(b.ds.OutputFileName));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(),
              "No random draw between the bounds of the Average coefficient for 1 pair of individuals (lower bound in "
              "the matrix): #2, #1");
}

TEST(NoDrawLine, CountsEveryPairAndListsTheFirstFive) {
    TDSLayer layer;
    layer.NInd = 1;
    layer.IndNames = {"a"};
    layer.RawMatrix = layer.DistMatrix = layer.VarMatrix = layer.SDMatrix = {1.0L};
    for (std::size_t i = 2; i <= 8; ++i) layer.NoDraws.Record(i, 1);
    TempDir dir;
    const DistReportOptions options{CodeOf<Treatment>(3), CodeOf<Coefficient>(0), CodeOf<Transformation>(0), 10, true,
                                    true};
    ASSERT_EQ(WriteDistanceReport(layer, options, dir.Path("r.txt"), false), 0);
    const auto lines = SplitCRLF(Slurp(dir.Path("r.txt")));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(),
              "No random draw between the bounds of the Average coefficient for 7 pairs of individuals (lower bound in "
              "the matrix). The first 5: #2, #1; #3, #1; #4, #1; #5, #1; #6, #1");
}

TEST_F(Reports, TitlesNameTreatmentOneAsMaximumForADistance) {
    ASSERT_TRUE(CalcDistMatrix(b.ds, RunOptions(1, 4, 3, 6.0L, 100), ProgramRandom()));
    ASSERT_EQ(OutputDistances2File(b.ds, CodeOf<Treatment>(1), CodeOf<Coefficient>(4), CodeOf<Transformation>(3),
                                   {.Similarities = true, .Distances = true}),
              0);
    const auto lines = SplitCRLF(Slurp(b.ds.OutputFileName));
    EXPECT_EQ(lines[0], "Maximum Euclidean coefficients");
    EXPECT_EQ(lines[7], "Distances d'=d (Maximum Euclidean coefficients)");
}

TEST_F(Reports, DistanceTitleNamesTheTransformationTheMatrixHolds) {
    // A code of 3 left by a distance import: the Jaccard run stores 1 - s, and says so.
    ASSERT_TRUE(CalcDistMatrix(b.ds, RunOptions(0, 0, 3, 6.0L, 100), ProgramRandom()));
    ASSERT_EQ(OutputDistances2File(b.ds, CodeOf<Treatment>(0), CodeOf<Coefficient>(0), CodeOf<Transformation>(3),
                                   {.Distances = true}),
              0);
    const auto lines = SplitCRLF(Slurp(b.ds.OutputFileName));
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "Distances d=1-s (Standard Jaccard coefficients)");
    EXPECT_EQ(lines[3], "0.0000000000 ");
}

TEST_F(Reports, WideNamesWidenOnlyTheHeaderAndNegativeValuesKeepTheirSign) {
    b.SetRows({"1100", "0011"}, 1, {"a_name_of_20_chars__", "x"});
    ASSERT_TRUE(CalcDistMatrix(b.ds, RunOptions(0, 3, 3, 6.0L, 100), ProgramRandom()));  // no shared band: -1.0 (kept)
    ASSERT_TRUE(b.errors.empty());
    ASSERT_EQ(OutputDistances2File(b.ds, CodeOf<Treatment>(0), CodeOf<Coefficient>(3), CodeOf<Transformation>(3),
                                   {.Distances = true}),
              0);
    const auto lines = SplitCRLF(Slurp(b.ds.OutputFileName));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[2], "a_name_of_20_chars__ x                    ");
    EXPECT_EQ(lines[4], "-1.0000000000 0.0000000000 ");
}

// Dice of individuals without bands is 0/0. It was written as "-nan", which no reader of the
// report took; now it is "NaN" in the width of the numbers (R reads it as NaN, so does the import).
TEST_F(Reports, UndefinedCoefficientsAreWrittenAsNaNInTheColumnWidth) {
    b.SetRows({"0000", "0000", "1100"}, 1, {"alpha", "b", "gamma"});
    ASSERT_TRUE(CalcDistMatrix(b.ds, RunOptions(0, 1, 0, 6.0L, 100), ProgramRandom()));
    ASSERT_EQ(OutputDistances2File(b.ds, CodeOf<Treatment>(0), CodeOf<Coefficient>(1), CodeOf<Transformation>(0),
                                   {.Similarities = true, .Distances = true}),
              0);
    const auto lines = SplitCRLF(Slurp(b.ds.OutputFileName));
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines[3], "        NaN ");
    EXPECT_EQ(lines[4], "        NaN         NaN ");
    EXPECT_EQ(lines[5], "0.0000000000 0.0000000000 1.0000000000 ");
    EXPECT_EQ(lines[11], "        NaN         NaN ");
    EXPECT_EQ(lines[12], "1.0000000000 1.0000000000 0.0000000000 ");
}

TEST_F(Reports, AppendKeepsEarlierReportsAndRewriteReplacesThem) {
    ASSERT_TRUE(CalcDistMatrix(b.ds, RunOptions(0, 1, 0, 6.0L, 100), ProgramRandom()));
    ASSERT_EQ(OutputDistances2File(b.ds, CodeOf<Treatment>(0), CodeOf<Coefficient>(1), CodeOf<Transformation>(0),
                                   {.Similarities = true}),
              0);
    ASSERT_EQ(OutputDistances2File(b.ds, CodeOf<Treatment>(0), CodeOf<Coefficient>(1), CodeOf<Transformation>(0),
                                   {.Distances = true, .Append = true}),
              0);
    auto lines = SplitCRLF(Slurp(b.ds.OutputFileName));
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines[0], "Standard Dice coefficients");
    EXPECT_EQ(lines[7], "Distances d=1-s (Standard Dice coefficients)");
    ASSERT_EQ(OutputDistances2File(b.ds, CodeOf<Treatment>(0), CodeOf<Coefficient>(1), CodeOf<Transformation>(0),
                                   {.Distances = true}),
              0);
    EXPECT_EQ(SplitCRLF(Slurp(b.ds.OutputFileName)).size(), 7u);
}

TEST_F(Reports, LeftoverBufferLinesDoNotTrailTheReport) {
    ASSERT_TRUE(CalcDistMatrix(b.ds, RunOptions(0, 0, 0, 6.0L, 100), ProgramRandom()));
    b.ds.ReportBuf = std::make_shared<Ttf>();
    b.ds.ReportBuf->AddStrings({"stale 1", "stale 2"});
    ASSERT_EQ(OutputDistances2File(b.ds, CodeOf<Treatment>(0), CodeOf<Coefficient>(0), CodeOf<Transformation>(0),
                                   {.Similarities = true}),
              0);
    const std::string text = Slurp(b.ds.OutputFileName);
    EXPECT_EQ(text.find("stale"), std::string::npos);
    EXPECT_EQ(SplitCRLF(text).size(), 7u);
}

TEST_F(Reports, FailedSaveIsReturned) {
    ASSERT_TRUE(CalcDistMatrix(b.ds, RunOptions(0, 0, 0, 6.0L, 100), ProgramRandom()));
    b.ds.OutputFileName = dir.Path("no such folder/analysis.txt");
    EXPECT_NE(OutputDistances2File(b.ds, CodeOf<Treatment>(0), CodeOf<Coefficient>(0), CodeOf<Transformation>(0),
                                   {.Similarities = true, .Distances = true}),
              0);
}

TEST(MatrixBlocks, WriteIntoABufferAndAdvanceTheIndex) {
    BandDataSet b;
    b.SetRows({"11", "10"}, 3, {"p", "q"});
    EXPECT_EQ(MaxIndNameLength(b.ds.Layers[3]), 1u);
    EXPECT_EQ(MaxIndNameLength(b.ds.Layers[4]), 0u);
    Ttf buffer;
    buffer.AddEmpty(12);
    buffer.SetLine(1, "kept");
    std::size_t index = 0;
    MatrixToText(b.ds.Layers[3], buffer, index, PackedMatrix{1.0L, 0.5L, 0.25L}, "first", 3);
    EXPECT_EQ(index, 6u);
    MatrixToText(b.ds.Layers[3], buffer, index, PackedMatrix{}, "second", 3);  // no values: rows stay empty
    EXPECT_EQ(index, 12u);
    EXPECT_EQ(buffer.Lines, (AString{"first", "kept", "p   q   ", "1.0000000000 ", "0.5000000000 0.2500000000 ",
                                     "", "second", "", "p   q   ", "", "", ""}));
}

}  // namespace
