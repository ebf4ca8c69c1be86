#include "foundation/random.h"

#include <gtest/gtest.h>

TEST(Random, FollowsTheLinearCongruentialSequence) {
    RandSeed = 0;
    EXPECT_EQ(Random(1000), 0u);            // seed 1: 1 * 1000 >> 32 = 0
    EXPECT_EQ(RandSeed, 1u);
    EXPECT_EQ(Random(0x80000000u), 134775814u / 2);  // seed 134775814 times 2^31, high half
    EXPECT_EQ(RandSeed, 134775814u);
}

TEST(Random, FloatIsSeedTimesTwoToMinus32) {
    RandSeed = 0xFFFFFFFEu;                  // next seed: 0xFFFFFFFE * 134775813 + 1 mod 2^32
    const std::uint32_t next = 0xFFFFFFFEu * 134775813u + 1u;
    const Extended u = RandomFloat();
    EXPECT_EQ(u, static_cast<Extended>(next) / 4294967296.0L);
    EXPECT_LT(u, 1.0L);
    EXPECT_GE(u, 0.0L);
}

TEST(Random, IntegersStayInRange) {
    RandSeed = 12345;
    for (int k = 0; k < 10000; ++k) {
        EXPECT_LT(Random(7), 7u);
    }
    EXPECT_EQ(Random(0), 0u);
}

TEST(Random, StreamsAreIndependentAndTheProgramStreamIsRandSeed) {
    RandomStream own(0);
    RandSeed = 0;
    EXPECT_EQ(own.Random(1000), Random(1000));  // the same sequence from the same seed
    EXPECT_EQ(own.Seed, 1u);
    own.RandomFloat();
    EXPECT_EQ(RandSeed, 1u);  // drawing from another stream leaves the program's alone
    EXPECT_EQ(&ProgramRandom().Seed, &RandSeed);
}
