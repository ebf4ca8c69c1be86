#include "numeric/golden_section.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "numeric/math_error.h"

namespace {

// The caller's data reached through the context pointer: which function, and how often it ran.
struct Probe {
    Extended (*fn)(Extended);
    int calls = 0;
};

Extended Call(void* ctx, Extended x) {
    auto* probe = static_cast<Probe*>(ctx);
    ++probe->calls;
    return probe->fn(x);
}

Extended Parabola(Extended x) { return (x - 2) * (x - 2); }
Extended Falling(Extended x) { return -x; }
Extended Plunging(Extended x) { return -std::exp(x); }
Extended NanAbove3(Extended x) { return x < 3 ? -x : std::numeric_limits<Extended>::quiet_NaN(); }
Extended NoRoot(Extended x) { return x * x + 1; }
Extended Sqrt2(Extended x) { return x * x - 2; }
Extended Linear10(Extended x) { return x - 10; }
Extended Tiny(Extended x) { return 1e-2500L * (x - 0.3L); }
Extended NanNearHalf(Extended x) { return std::fabs(x - 0.5L) < 0.1L ? std::nan("") : x - 0.5L; }

}  // namespace

TEST(BracketMinimum, FindsATripleAroundTheMinimum) {
    // Start uphill and in reverse order: the walk turns round and goes downhill.
    for (auto [a0, b0] : {std::pair{1.0L, 0.0L}, std::pair{5.0L, 6.0L}, std::pair{-3.0L, -2.0L}}) {
        Probe probe{Parabola};
        Extended a = a0, b = b0, t, fa, fb, ft;
        ASSERT_EQ(BracketMinimum(Call, &probe, a, b, t, fa, fb, ft), 0);
        EXPECT_LT(a, t);
        EXPECT_LE(fb, fa);
        EXPECT_LE(fb, ft);
        EXPECT_LE(std::fmin(a, t), 2.0L);
        EXPECT_GE(std::fmax(a, t), 2.0L);
        EXPECT_EQ(fa, Parabola(a));
        EXPECT_EQ(ft, Parabola(t));
    }
}

TEST(BracketMinimum, GivesUpWithoutAMinimum) {
    struct Case {
        Extended (*fn)(Extended);
        std::int32_t code;
    };
    // Falling forever within the step cap; falling to -inf; a NaN on the way.
    const Case cases[] = {{Falling, kMathNoConvergence}, {Plunging, kMathOverflow}, {NanAbove3, kMathDomain}};
    for (const Case& c : cases) {
        Probe probe{c.fn};
        Extended a = 0.0L, b = 1.0L, t, fa, fb, ft;
        EXPECT_EQ(BracketMinimum(Call, &probe, a, b, t, fa, fb, ft), -1);
        EXPECT_EQ(GetMathError(), c.code);
        EXPECT_LE(probe.calls, kMaxBracketSteps + 3);
    }
}

TEST(GoldenSectionSearch, MinimisesAParabola) {
    Probe probe{Parabola};
    Extended xMin = 0, yMin = -1;
    EXPECT_EQ(GoldenSectionSearch(Call, &probe, 1000, xMin, yMin, 1e-12L, 0.0L, 1.0L), 0);
    EXPECT_EQ(GetMathError(), 0);
    EXPECT_NEAR(static_cast<double>(xMin), 2.0, 2e-9);
    EXPECT_LT(yMin, 1e-22L);
    EXPECT_EQ(yMin, Parabola(xMin));
}

TEST(GoldenSectionSearch, ToleranceZeroIsRaisedToTheSquareRootOfEpsilon) {
    Probe probe{Parabola};
    Extended xMin = 0, yMin = 0;
    EXPECT_EQ(GoldenSectionSearch(Call, &probe, 100000, xMin, yMin, 0.0L, 0.0L, 1.0L), 0);
    EXPECT_NEAR(static_cast<double>(xMin), 2.0, 2e-9);
    // About log(3.3e-10 / 4) / log(0.618) + the bracket, not the 100000 allowed.
    EXPECT_LT(probe.calls, 80);
    // Exactly the search asked for √ε (3.29e-10); a coarser one stops sooner.
    Probe atFloor{Parabola}, coarser{Parabola};
    GoldenSectionSearch(Call, &atFloor, 100000, xMin, yMin, 3.2927e-10L, 0.0L, 1.0L);
    GoldenSectionSearch(Call, &coarser, 100000, xMin, yMin, 1e-6L, 0.0L, 1.0L);
    EXPECT_EQ(atFloor.calls, probe.calls);
    EXPECT_LT(coarser.calls, probe.calls);
}

TEST(GoldenSectionSearch, IterationLimit) {
    Probe probe{Parabola};
    Extended xMin = 0, yMin = 0;
    EXPECT_EQ(GoldenSectionSearch(Call, &probe, 0, xMin, yMin, 1e-12L, 0.0L, 1.0L), -1);
    EXPECT_EQ(GetMathError(), -1);
    EXPECT_EQ(yMin, Parabola(xMin));
    EXPECT_EQ(GoldenSectionSearch(Call, &probe, 5, xMin, yMin, 1e-12L, 0.0L, 1.0L), -1);
    // A bracket that already satisfies the tolerance converges without an iteration.
    EXPECT_EQ(GoldenSectionSearch(Call, &probe, 0, xMin, yMin, 10.0L, 0.0L, 1.0L), 0);
    EXPECT_EQ(GetMathError(), 0);
}

TEST(GoldenSectionSearch, EndsWhenNoMinimumCanBeBracketed) {
    Probe probe{Falling};
    Extended xMin = 0, yMin = 0;
    EXPECT_EQ(GoldenSectionSearch(Call, &probe, 1000, xMin, yMin, 1e-10L, 0.0L, 1.0L), -1);
    EXPECT_EQ(GetMathError(), kMathNoConvergence);
    EXPECT_EQ(yMin, Falling(xMin));
}

TEST(BracketRoot, WidensUntilTheSignChanges) {
    Probe probe{Linear10};
    Extended x = 0.0L, y = 1.0L, fx, fy;
    ASSERT_EQ(BracketRoot(Call, &probe, x, y, fx, fy), 0);
    EXPECT_LE(std::fmin(x, y), 10.0L);
    EXPECT_GE(std::fmax(x, y), 10.0L);
    EXPECT_EQ(fx, Linear10(x));
    EXPECT_EQ(fy, Linear10(y));
}

TEST(BracketRoot, StopsWithoutASignChange) {
    Probe probe{NoRoot};
    Extended x = 0.0L, y = 1.0L, fx, fy;
    EXPECT_EQ(BracketRoot(Call, &probe, x, y, fx, fy), -1);
    EXPECT_EQ(GetMathError(), kMathNoConvergence);
    EXPECT_LE(probe.calls, kMaxBracketSteps + 2);
}

TEST(FindRoot, WidensThenBisects) {
    Probe probe{Sqrt2};
    Extended x = 0.0L, y = 1.0L, fx = 0;
    EXPECT_EQ(FindRoot(Call, &probe, x, y, 200, 1e-15L, fx), 0);
    EXPECT_EQ(GetMathError(), 0);
    EXPECT_NEAR(static_cast<double>(x), 1.4142135623730951, 4e-15);
    EXPECT_EQ(fx, Sqrt2(x));
}

TEST(FindRoot, SignsOfTinyValuesDoNotUnderflow) {
    // fx·fm would be 1e-5000 and round to 0, sending the bisection to the wrong half.
    Probe probe{Tiny};
    Extended x = 0.0L, y = 1.0L, fx = 0;
    EXPECT_EQ(FindRoot(Call, &probe, x, y, 200, 1e-15L, fx), 0);
    EXPECT_NEAR(static_cast<double>(x), 0.3, 1e-14);
}

TEST(FindRoot, Failures) {
    Extended x, y, fx;
    // Too few iterations.
    Probe sqrt2{Sqrt2};
    x = 1.0L, y = 2.0L;
    EXPECT_EQ(FindRoot(Call, &sqrt2, x, y, 5, 1e-15L, fx), -1);
    EXPECT_EQ(GetMathError(), kMathDomain);
    // maxIter 0 only accepts a start point that already is a root.
    x = 1.0L, y = 2.0L;
    EXPECT_EQ(FindRoot(Call, &sqrt2, x, y, 0, 1e-15L, fx), -1);
    EXPECT_EQ(GetMathError(), kMathDomain);
    EXPECT_EQ(x, 1.0L);
    EXPECT_EQ(fx, -1.0L);
    Probe linear{Linear10};
    x = 10.0L, y = 2.0L;
    EXPECT_EQ(FindRoot(Call, &linear, x, y, 0, 1e-15L, fx), 0);
    EXPECT_EQ(fx, 0.0L);
    // No sign change anywhere: the bracketing cap ends it.
    Probe noRoot{NoRoot};
    x = 0.0L, y = 1.0L;
    EXPECT_EQ(FindRoot(Call, &noRoot, x, y, 1000, 1e-12L, fx), -1);
    EXPECT_EQ(GetMathError(), kMathNoConvergence);
    // A NaN at the midpoint is not taken for a sign.
    Probe nanNearHalf{NanNearHalf};
    x = 0.0L, y = 1.0L;
    EXPECT_EQ(FindRoot(Call, &nanNearHalf, x, y, 1000, 1e-12L, fx), -1);
    EXPECT_EQ(GetMathError(), kMathDomain);
}
