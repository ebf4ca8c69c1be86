#include "numeric/gamma.h"

#include <gtest/gtest.h>

#include <cmath>

#include "numeric/math_error.h"
#include "numeric/polynomial.h"
#include "numeric/power.h"

namespace {

const Extended kSqrtPi = std::sqrt(3.14159265358979323846264338327950288L);

void ExpectRel(Extended ours, Extended expected, Extended tol = 1e-18L) {
    EXPECT_LE(std::fabs(ours - expected), tol * std::fabs(expected))
        << static_cast<double>(ours) << " vs " << static_cast<double>(expected);
}

}  // namespace

TEST(Polynomial, HornerWithAndWithoutTheLeadingOne) {
    const Extended c[] = {2.0L, -3.0L, 0.5L};
    EXPECT_EQ(EvalPoly(3.0L, c, 2), 2 * 9 - 3 * 3 + 0.5L);
    EXPECT_EQ(EvalPoly(3.0L, c, 0), 2.0L);
    EXPECT_EQ(EvalPoly1(3.0L, c, 3), 27 + 2 * 9 - 3 * 3 + 0.5L);
    EXPECT_EQ(EvalPoly1(3.0L, c, 1), 3 + 2.0L);
}

TEST(Gamma, KnownValues) {
    ExpectRel(Gamma(5.0L), 24.0L);
    ExpectRel(Gamma(0.5L), kSqrtPi);
    ExpectRel(Gamma(-0.5L), -2 * kSqrtPi);
    ExpectRel(Gamma(1.5L), kSqrtPi / 2);
    EXPECT_EQ(Gamma(2.0L), 1.0L);
    EXPECT_EQ(Gamma(3.0L), 2.0L);
    ExpectRel(Gamma(20.0L), 121645100408832000.0L);  // 19!, by Stirling
    // Reflection: Gamma(-20.5) = π / (sin(-20.5π)·Gamma(21.5)) = -π / Gamma(21.5).
    ExpectRel(Gamma(-20.5L), -3.14159265358979323846L / std::tgamma(21.5L), 1e-17L);
    EXPECT_EQ(GetMathError(), kMathOk);
}

TEST(Gamma, PolesAndOverflowSetTheirCodes) {
    struct Case {
        Extended x;
        Extended result;
        std::int32_t code;
    };
    const Case cases[] = {
        {0.0L, -MaxNum, kMathSingularity},   // GammaSign(0) = -1
        {-1.0L, MaxNum, kMathSingularity},
        {-2.0L, -MaxNum, kMathSingularity},
        {-15.0L, MaxNum, kMathSingularity},
        {1755.46L, MaxNum, kMathOverflow},
        {1e4000L, MaxNum, kMathOverflow},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Gamma(c.x), c.result) << static_cast<double>(c.x);
        EXPECT_EQ(GetMathError(), c.code) << static_cast<double>(c.x);
    }
    // The largest argument still gives a finite value, and a success clears an earlier code.
    EXPECT_TRUE(std::isfinite(Gamma(1755.45L)));
    EXPECT_EQ(GetMathError(), kMathOk);
}

TEST(Gamma, SignFollowsTheIntervalBetweenPoles) {
    EXPECT_EQ(GammaSign(2.5L), 1.0L);
    EXPECT_EQ(GammaSign(-0.5L), -1.0L);
    EXPECT_EQ(GammaSign(-1.5L), 1.0L);
    EXPECT_EQ(GammaSign(-2.5L), -1.0L);
    EXPECT_GT(Gamma(-1.5L), 0.0L);
    EXPECT_LT(Gamma(-2.5L), 0.0L);
}

TEST(LnGamma, KnownValuesAndPoles) {
    EXPECT_EQ(LnGamma(1.0L), 0.0L);
    EXPECT_EQ(LnGamma(2.0L), 0.0L);
    Extended ln99fact = 0.0L;
    for (int k = 2; k <= 99; ++k) ln99fact += std::log(static_cast<Extended>(k));
    ExpectRel(LnGamma(100.0L), ln99fact, 1e-17L);
    ExpectRel(LnGamma(-0.5L), std::log(2 * kSqrtPi));
    EXPECT_EQ(GetMathError(), kMathOk);

    for (Extended pole : {0.0L, -1.0L, -40.0L}) {
        EXPECT_EQ(LnGamma(pole), MaxNum);
        EXPECT_EQ(GetMathError(), kMathSingularity);
    }
    EXPECT_EQ(LnGamma(1.1e4928L), MaxNum);
    EXPECT_EQ(GetMathError(), kMathOverflow);
    EXPECT_TRUE(std::isfinite(LnGamma(1.0e4928L)));
    EXPECT_EQ(GetMathError(), kMathOk);
}

TEST(Beta, ValuesSignsAndFailures) {
    ExpectRel(Beta(2.0L, 3.0L), 1.0L / 12.0L);
    ExpectRel(Beta(0.5L, 0.5L), kSqrtPi * kSqrtPi, 1e-17L);
    // Gamma(-0.5)·Gamma(3) / Gamma(2.5) = -2√π·2 / (3√π/4) = -16/3.
    ExpectRel(Beta(-0.5L, 3.0L), -16.0L / 3.0L, 1e-17L);
    EXPECT_EQ(GetMathError(), kMathOk);

    // A pole of x + y gives 0; a pole of x or y gives ±MaxNum; the code stays set.
    EXPECT_EQ(Beta(-0.5L, -0.5L), 0.0L);
    EXPECT_EQ(GetMathError(), kMathSingularity);
    EXPECT_EQ(Beta(2.0L, -1.0L), MaxNum);  // signs: 1 · 1 · GammaSign(1) = 1
    EXPECT_EQ(GetMathError(), kMathSingularity);
    EXPECT_EQ(Beta(0.0L, 2.0L), -MaxNum);  // GammaSign(0) = -1
    EXPECT_EQ(GetMathError(), kMathSingularity);
}

TEST(Power, SpecialCasesAndIntegerPowers) {
    struct Case {
        Extended x, y, result;
        std::int32_t code;
    };
    const Case cases[] = {
        {0.0L, 0.0L, 1.0L, kMathOk},
        {0.0L, 2.5L, 0.0L, kMathOk},
        {0.0L, -1.0L, MaxNum, kMathSingularity},
        {7.0L, 0.0L, 1.0L, kMathOk},
        {-7.0L, 1.0L, -7.0L, kMathOk},
        {2.0L, 10.0L, 1024.0L, kMathOk},
        {2.0L, -3.0L, 0.125L, kMathOk},
        {-2.0L, 3.0L, -8.0L, kMathOk},
        {-2.0L, -2.0L, 0.25L, kMathOk},
        {0.5L, -4.0L, 16.0L, kMathOk},
        {-8.0L, 1.0L / 3.0L, 0.0L, kMathDomain},
        {-2.0L, 0.5L, 0.0L, kMathDomain},
        {10.0L, 5000.0L, MaxNum, kMathOverflow},     // IntPower: (1/10)^5000 cannot be inverted
        {-10.0L, 5001.0L, -MaxNum, kMathOverflow},   // an odd power keeps the sign
        {10.0L, 5000.5L, MaxNum, kMathOverflow},     // exp(y ln x) above the limit
        {10.0L, -5000.5L, 0.0L, kMathUnderflow},     // exp(y ln x) below the limit
    };
    for (const Case& c : cases) {
        SetMathError(kMathOk);
        EXPECT_EQ(Power(c.x, c.y), c.result) << static_cast<double>(c.x) << " ^ " << static_cast<double>(c.y);
        EXPECT_EQ(GetMathError(), c.code) << static_cast<double>(c.x) << " ^ " << static_cast<double>(c.y);
    }
    SetMathError(kMathOk);
    ExpectRel(Power(2.0L, 0.5L), std::sqrt(2.0L), 1e-18L);
    ExpectRel(Power(1e10L, 2.5L), 1e25L, 1e-17L);
    ExpectRel(IntPower(3.0L, 40), 12157665459056928801.0L, 1e-18L);
    ExpectRel(IntPower(1.5L, -2147483647 - 1), std::pow(1.5L, -2147483648.0L), 1e-9L);
    EXPECT_EQ(GetMathError(), kMathOk);
}

TEST(Power, SignAndSwap) {
    EXPECT_EQ(Sign(0.0L), 1.0L);
    EXPECT_EQ(Sign(-1e-300L), -1.0L);
    Extended a = 1.0L, b = 2.0L;
    SwapFloat(a, b);
    EXPECT_EQ(a, 2.0L);
    EXPECT_EQ(b, 1.0L);
}
