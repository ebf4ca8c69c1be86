#include "shell/pairwise_comparison.h"

#include <gtest/gtest.h>

#include "command_fixture.h"
#include "popgen/distance/distance_matrix.h"

namespace {

using PairwiseComparisonTest = CommandTest;

TEST_F(PairwiseComparisonTest, CountsSharesAndDifferences) {
    // I1 = 1 1 0 9, I2 = 1 0 9 9: joint states (1,1), (1,0), (0,9), (9,9).
    SetData({"1109", "1099", "0000"});
    PairwiseComparison r;
    ASSERT_TRUE(CompareIndividuals(*DataSet, 1, 2, Coefficient::Jaccard, Transformation::OneMinusS, r));
    const std::array<std::array<Extended, 3>, 3> expected = {{{1, 1, 0}, {0, 0, 1}, {0, 0, 1}}};
    EXPECT_EQ(r.Counts, expected);
    EXPECT_EQ(PwicPercentText(r.Shares[0].Present), "50.000");
    EXPECT_EQ(PwicPercentText(r.Shares[0].Absent), "25.000");
    EXPECT_EQ(PwicPercentText(r.Shares[0].Missing), "25.000");
    EXPECT_EQ(PwicPercentText(r.Shares[1].Missing), "50.000");
    EXPECT_EQ(PwicPercentText(r.Differences01), "25.000");   // (1,0)
    EXPECT_EQ(PwicPercentText(r.Differences019), "50.000");  // (1,0), (0,9)
    EXPECT_EQ(PwicCountText(r.Counts[0][0]), "1");
    EXPECT_EQ(PwicDistanceText(r.StdDistance), "0.5000000000");  // Jaccard 1 / 2 shared-or-single
}

TEST_F(PairwiseComparisonTest, SameIndividualGivesADiagonalTable) {
    SetExampleData();
    PairwiseComparison r;
    ASSERT_TRUE(CompareIndividuals(*DataSet, 3, 3, Coefficient::Dice, Transformation::OneMinusS, r));
    for (std::size_t a = 0; a < 3; ++a)
        for (std::size_t b = 0; b < 3; ++b) {
            if (a != b) {
                EXPECT_EQ(r.Counts[a][b], 0.0L);
            }
        }
    EXPECT_EQ(r.Differences01, 0.0f);
    EXPECT_EQ(r.Differences019, 0.0f);
    EXPECT_EQ(r.StdDistance,
              PairDistance(*DataSet, Treatment::Standard, Coefficient::Dice, Transformation::OneMinusS, 3, 3, ProgramRandom()));
}

// The dialog's distances are those of the distance matrix of the same pair and settings; Min comes
// from the Maximum (similarity) treatment and Max from the Minimum one, for distance coefficients too.
TEST_F(PairwiseComparisonTest, DistancesAgreeWithTheDistanceMatrix) {
    struct Case {
        Coefficient coefficient;
        Transformation transform;
    };
    const Case cases[] = {
        {Coefficient::Jaccard, Transformation::OneMinusS}, {Coefficient::Dice, Transformation::SqrtOneMinusS},
        {Coefficient::SMC, Transformation::SqOneMinusS},   {Coefficient::NeiLi, Transformation::D},
        {Coefficient::Euclidean, Transformation::SqrtD},   {Coefficient::SqEuclidean, Transformation::SqD},
    };
    SetExampleData();
    for (const Case& c : cases) {
        SCOPED_TRACE(CoeffToStr(c.coefficient));
        PairwiseComparison r;
        ASSERT_TRUE(CompareIndividuals(*DataSet, 2, 7, c.coefficient, c.transform, r));
        const auto matrixEntry = [&](Treatment mode) {
            EXPECT_TRUE(CalcDistMatrix(*DataSet, DistRunOptions{mode, c.coefficient, c.transform, 6.0L, 100}, ProgramRandom()));
            return GetDist(*DataSet, 2, 7);
        };
        EXPECT_EQ(r.StdDistance, matrixEntry(Treatment::Standard));
        EXPECT_EQ(r.MinDistance, matrixEntry(Treatment::Maximum));
        EXPECT_EQ(r.MaxDistance, matrixEntry(Treatment::Minimum));
        EXPECT_LE(r.MinDistance, r.MaxDistance);
        EXPECT_GE(r.AvgDistance, r.MinDistance);
        EXPECT_LE(r.AvgDistance, r.MaxDistance);
    }
}

TEST_F(PairwiseComparisonTest, RefusesIndividualsOutsideTheLayer) {
    SetData({"10", "01"});
    PairwiseComparison r;
    r.StdDistance = 7.0L;
    EXPECT_FALSE(CompareIndividuals(*DataSet, 1, 3, Coefficient::Jaccard, Transformation::OneMinusS, r));
    EXPECT_FALSE(CompareIndividuals(*DataSet, 0, 1, Coefficient::Jaccard, Transformation::OneMinusS, r));
    EXPECT_EQ(r.StdDistance, 7.0L);
}

}  // namespace
