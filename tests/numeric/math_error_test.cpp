#include "numeric/math_error.h"

#include <gtest/gtest.h>

#include <limits>

TEST(MathError, ResultStoresTheCodeAndPassesTheValueThrough) {
    SetMathError(kMathOk);
    EXPECT_EQ(MathErrorResult(kMathOverflow, 12.5L), 12.5L);
    EXPECT_EQ(GetMathError(), -3);
    SetMathError(kMathNoConvergence);
    EXPECT_EQ(GetMathError(), -6);
    SetMathError(kMathOk);
    EXPECT_EQ(GetMathError(), 0);
}

TEST(MathError, MaxNumIsHalfTheLargestExtended) {
    // Every mantissa bit set with biased exponent 7FFD.
    EXPECT_EQ(MaxNum, std::numeric_limits<Extended>::max() / 2);
}

TEST(FloatVector, HoldsUbPlusOneZeros) {
    const FloatVector one = AllocFloatVector(0);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0], 0.0L);
    EXPECT_EQ(AllocFloatVector(9).size(), 10u);
    EXPECT_TRUE(AllocFloatVector(-1).empty());
    EXPECT_TRUE(AllocFloatVector(kMaxFloatVectorUb + 1).empty());
}

TEST(FloatMatrix, HoldsRowsOfZerosAndRefusesBadBounds) {
    const FloatMatrix m = AllocFloatMatrix(2, 10000);
    ASSERT_EQ(m.size(), 3u);
    for (const auto& row : m) {
        ASSERT_EQ(row.size(), 10001u);
        EXPECT_EQ(row[0], 0.0L);
        EXPECT_EQ(row[10000], 0.0L);
    }
    EXPECT_TRUE(AllocFloatMatrix(-1, 3).empty());
    EXPECT_TRUE(AllocFloatMatrix(3, -1).empty());
    EXPECT_TRUE(AllocFloatMatrix(kMaxFloatMatrixUb1 + 1, 0).empty());
    EXPECT_TRUE(AllocFloatMatrix(0, kMaxFloatVectorUb + 1).empty());
}
