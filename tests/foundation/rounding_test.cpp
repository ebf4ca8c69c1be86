#include "foundation/rounding.h"
#include "foundation/types.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <stdexcept>

namespace {

class RoundingTest : public ::testing::Test {
protected:
    void TearDown() override { ResetFPU(); }
};

TEST_F(RoundingTest, SetAndGetUseTheLowTwoBits) {
    const struct { std::uint8_t set, expected; int fe; } cases[] = {
        {0, 0, FE_TONEAREST}, {1, 1, FE_DOWNWARD}, {2, 2, FE_UPWARD},
        {3, 3, FE_TOWARDZERO}, {7, 3, FE_TOWARDZERO}, {6, 2, FE_UPWARD}};
    for (const auto& c : cases) {
        SetRoundMode(c.set);
        EXPECT_EQ(GetRoundMode(), c.expected) << int(c.set);
        EXPECT_EQ(std::fegetround(), c.fe) << int(c.set);
    }
}

TEST_F(RoundingTest, ModeReachesArithmetic) {
    volatile Extended one = 1.0L, three = 3.0L;
    SetRoundMode(1);
    const Extended down = one / three;
    SetRoundMode(2);
    const Extended up = one / three;
    EXPECT_LT(down, up);
    SetRoundMode(3);
    EXPECT_EQ(std::lrint(-2.7L), -2);
}

TEST_F(RoundingTest, SetClearsPendingExceptions) {
    volatile double zero = 0.0;
    volatile double r = 1.0 / zero;
    (void)r;
    ASSERT_TRUE(std::fetestexcept(FE_DIVBYZERO));
    SetRoundMode(0);
    EXPECT_FALSE(std::fetestexcept(FE_ALL_EXCEPT));
}

TEST_F(RoundingTest, GuardRestoresOnScopeExitAndException) {
    SetRoundMode(2);
    {
        RoundModeGuard guard(3);
        EXPECT_EQ(GetRoundMode(), 3);
        EXPECT_EQ(guard.saved(), 2);
    }
    EXPECT_EQ(GetRoundMode(), 2);
    try {
        RoundModeGuard guard(1);
        throw std::runtime_error("leave");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(GetRoundMode(), 2);
}

TEST_F(RoundingTest, ResetFPUGivesRoundToNearestAndClearFlags) {
    SetRoundMode(1);
    volatile double zero = 0.0;
    volatile double r = 1.0 / zero;
    (void)r;
    ResetFPU();
    EXPECT_EQ(GetRoundMode(), 0);
    EXPECT_FALSE(std::fetestexcept(FE_ALL_EXCEPT));
}

}  // namespace
