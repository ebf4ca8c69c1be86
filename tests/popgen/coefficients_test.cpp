#include "popgen/distance/coefficients.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "band_fixture.h"
#include "foundation/random.h"

namespace {

// Every pair state present: c11 3, c10 2, c01 1, c00 4, c19 1, c91 2, c09 1, c90 1, c99 1.
std::vector<std::string> AllStates() {
    return PairRows({{"11", 3}, {"10", 2}, {"01", 1}, {"00", 4}, {"19", 1}, {"91", 2}, {"09", 1}, {"90", 1},
                     {"99", 1}});
}

// Nei-Li distance of a Dice value, r = 6, in double precision.
double NeiLiOf(double f) { return -1.5 * std::log((4.0 * std::pow(f, 1.0 / 12.0) - 1.0) / 3.0); }

struct KernelCase {
    const char* name;
    TKernelProc kernel;
    double expected;
};

class Kernels : public ::testing::Test {
protected:
    BandDataSet b;
    Extended Run(TKernelProc k, std::size_t i = 1, std::size_t j = 2) {
        return k(KernelSourceOf(b.ds, ProgramRandom()), i, j);
    }
};

TEST_F(Kernels, FormulasOnAPairWithEveryState) {
    b.SetRows(AllStates());
    // X = c11 + c91 + c19 + c99 = 7, Y = X + c09 + c90 + c00 = 13.
    const KernelCase cases[] = {
        {"JaccardStd", JaccardStd, 3.0 / 6},  {"JaccardMin", JaccardMin, 3.0 / 11},
        {"JaccardMax", JaccardMax, 7.0 / 10}, {"DiceStd", DiceStd, 6.0 / 9},
        {"DiceMin", DiceMin, 6.0 / 14},       {"DiceMax", DiceMax, 14.0 / 17},
        {"SMCStd", SMCStd, 7.0 / 10},         {"SMCMin", SMCMin, 7.0 / 15},
        {"SMCMax", SMCMax, 13.0 / 16},        {"EuclidStd", EuclidStd, std::sqrt(3.0)},
        {"EuclidMin", EuclidMin, std::sqrt(3.0)}, {"EuclidMax", EuclidMax, std::sqrt(8.0)},
        {"SqEuclidStd", SqEuclidStd, 3},      {"SqEuclidMin", SqEuclidMin, 3},
        {"SqEuclidMax", SqEuclidMax, 8},      {"NeiLiStd", NeiLiStd, NeiLiOf(6.0 / 9)},
        {"NeiLiMax", NeiLiMax, NeiLiOf(6.0 / 14)}, {"NeiLiMin", NeiLiMin, NeiLiOf(14.0 / 17)},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(static_cast<double>(Run(c.kernel)), c.expected, 1e-14) << c.name;
        // The coefficient of (i, j) is that of (j, i): the counts are read crosswise.
        EXPECT_EQ(Run(c.kernel, 1, 2), Run(c.kernel, 2, 1)) << c.name;
    }
    EXPECT_TRUE(b.errors.empty());
}

TEST_F(Kernels, TreatmentOneIsThePessimisticBoundForEveryCoefficient) {
    b.SetRows(AllStates());
    for (std::uint8_t coeff = 0; coeff <= 5; ++coeff) {
        const Coefficient c = CodeOf<Coefficient>(coeff);
        const Extended std = Run(KernelProc(Treatment::Standard, c));
        const Extended t1 = Run(KernelProc(Treatment::Minimum, c));
        const Extended t2 = Run(KernelProc(Treatment::Maximum, c));
        if (coeff <= 2) {  // similarity: treatment 1 the minimum
            EXPECT_LT(t1, std) << int(coeff);
            EXPECT_GT(t2, std) << int(coeff);
        } else if (coeff == 3) {  // Nei-Li distance: treatment 1 the maximum
            EXPECT_GT(t1, std);
            EXPECT_LT(t2, std);
        } else {  // Euclidean: the minimum is the standard value
            EXPECT_GT(t1, std) << int(coeff);
            EXPECT_EQ(t2, std) << int(coeff);
        }
    }
    EXPECT_EQ(KernelProc(CodeOf<Treatment>(4), Coefficient::Jaccard), nullptr);
    EXPECT_EQ(KernelProc(Treatment::Standard, Coefficient::UserSimilarity), nullptr);
    EXPECT_EQ(AvgSDKernelProc(Coefficient::UserSimilarity), nullptr);
}

TEST_F(Kernels, IdenticalIndividuals) {
    b.SetRows({"1101001", "1101001"});
    for (TKernelProc k : {JaccardStd, DiceStd, SMCStd}) EXPECT_EQ(Run(k), 1.0L);
    EXPECT_EQ(Run(EuclidStd), 0.0L);
    EXPECT_EQ(Run(SqEuclidStd), 0.0L);
    const Extended d = Run(NeiLiStd);
    EXPECT_EQ(d, 0.0L);
    EXPECT_FALSE(std::signbit(d));  // +0.0, not -1.5 * ln 1 = -0.0
}

TEST_F(Kernels, PairsWithoutSharedBands) {
    b.SetRows({"1100", "0011"});
    EXPECT_EQ(Run(JaccardStd), 0.0L);
    EXPECT_EQ(Run(DiceStd), 0.0L);

    // Two individuals without bands: Jaccard guards its numerator, Dice divides 0 by 0.
    b.SetRows({"0000", "0000"});
    EXPECT_EQ(Run(JaccardStd), 0.0L);
    EXPECT_EQ(Run(JaccardStd, 1, 1), 0.0L);
    EXPECT_TRUE(std::isnan(Run(DiceStd)));
    EXPECT_EQ(Run(SMCStd), 1.0L);
}

TEST_F(Kernels, ALocusMissingInBothCountsOnlyForTheOptimisticBound) {
    const auto base = PairRows({{"11", 2}, {"10", 1}, {"01", 2}, {"00", 1}, {"19", 1}});
    b.SetRows(base);
    std::vector<Extended> before;
    const TKernelProc kernels[] = {JaccardMin, DiceMin, SMCMin, EuclidStd, EuclidMax, SqEuclidMax,
                                   JaccardMax, DiceMax, SMCMax};
    for (TKernelProc k : kernels) before.push_back(Run(k));
    b.SetRows({base[0] + "9", base[1] + "9"});
    for (std::size_t k = 0; k < 6; ++k) EXPECT_EQ(Run(kernels[k]), before[k]) << k;
    for (std::size_t k = 6; k < 9; ++k) EXPECT_GT(Run(kernels[k]), before[k]) << k;
}

TEST_F(Kernels, UndefinedNeiLiReportsAndGivesTheMarker) {
    b.SetRows({"1100", "0011"});
    EXPECT_EQ(Run(NeiLiStd, 2, 1), -1.0L);
    ASSERT_EQ(b.errors.size(), 1u);
    EXPECT_EQ(b.errors[0], "Undefined NeiLi distance among individuals #2, #1:\r\nf=-0.333333333\r\nDice(i,j)= 0.000000000");
    EXPECT_EQ(Run(NeiLiMax), -1.0L);  // F = DiceMin = 0
    EXPECT_EQ(Run(NeiLiMin), -1.0L);
    ASSERT_EQ(b.errors.size(), 3u);
    EXPECT_EQ(b.errors[1], "Undefined NeiLi max distance");
    EXPECT_EQ(b.errors[2], "Undefined NeiLi min distance");
    EXPECT_EQ(b.ds.ErrorCount(), 3u);
}

TEST_F(Kernels, ARunsCollectorListsItsUndefinedNeiLiPairsInOneMessage) {
    b.SetRows({"1100", "0011", "0011"});
    NeiLiProblems problems;
    KernelSource src = KernelSourceOf(b.ds, ProgramRandom());
    src.Problems = &problems;
    EXPECT_TRUE(problems.Message().empty());
    for (int k = 0; k < 8; ++k) EXPECT_EQ(NeiLiStd(src, 2, 1), -1.0L);
    EXPECT_EQ(NeiLiStd(src, 3, 2), 0.0L);
    EXPECT_TRUE(b.errors.empty());  // collected, not reported
    EXPECT_EQ(problems.Count(), 8u);
    const std::string msg = problems.Message();
    EXPECT_EQ(msg.rfind("Undefined NeiLi distance for 8 pairs of individuals", 0), 0u) << msg;
    EXPECT_NE(msg.find("The first 5:"), std::string::npos);
    EXPECT_NE(msg.find("#2, #1: f=-0.333333333, Dice(i,j)= 0.000000000"), std::string::npos);
    // Five pairs listed, no more.
    std::size_t lines = 0;
    for (std::size_t p = msg.find("\r\n"); p != std::string::npos; p = msg.find("\r\n", p + 2)) ++lines;
    EXPECT_EQ(lines, 5u);
    problems.Clear();
    EXPECT_EQ(problems.Count(), 0u);
    EXPECT_TRUE(problems.Message().empty());
}

// --- Average treatment -----------------------------------------------------------------------

// The Average of one pair replayed on the generator: the first n draws within [lo, hi].
struct Replay {
    Extended mean, variance;
    std::uint32_t seedAfter;
};
Replay ReplayAverage(std::uint32_t seed, Extended lo, Extended hi, std::size_t n, bool scale) {
    const std::uint32_t saved = RandSeed;
    RandSeed = seed;
    Extended sum = 0, sumsq = 0;
    std::size_t count = 0;
    while (count < n) {
        const Extended u = RandomFloat();
        const Extended x = scale ? lo + u * (hi - lo) : u;
        if (x >= lo && x <= hi) {
            sum += x;
            sumsq += x * x;
            ++count;
        }
    }
    Replay r{sum / n, (sumsq - n * (sum / n) * (sum / n)) / (n - 1), RandSeed};
    RandSeed = saved;
    return r;
}

TEST_F(Kernels, AverageDrawsBetweenTheBoundsInGeneratorOrder) {
    b.SetRows(AllStates());
    b.ds.AvgDraws = 7;
    struct Case {
        TKernelProc avg;
        TAvgSDKernelProc avgSD;
        TKernelProc lo, hi;
        bool scale;
    } cases[] = {
        {JaccardAvg, JaccardAvgSD, JaccardMin, JaccardMax, false},
        {DiceAvg, DiceAvgSD, DiceMin, DiceMax, false},
        {SMCAvg, SMCAvgSD, SMCMin, SMCMax, false},
        {NeiLiAvg, NeiLiAvgSD, NeiLiMin, NeiLiMax, false},
        {EuclidAvg, EuclidAvgSD, EuclidStd, EuclidMax, true},
        {SqEuclidAvg, SqEuclidAvgSD, SqEuclidStd, SqEuclidMax, true},
    };
    for (const auto& c : cases) {
        const Replay r = ReplayAverage(20240601u, Run(c.lo), Run(c.hi), 7, c.scale);
        RandSeed = 20240601u;
        EXPECT_EQ(Run(c.avg), r.mean);
        EXPECT_EQ(RandSeed, r.seedAfter);
        RandSeed = 20240601u;
        Extended var = -1, sd = -1;
        EXPECT_EQ(c.avgSD(KernelSourceOf(b.ds, ProgramRandom()), 1, 2, var, sd), r.mean);
        EXPECT_EQ(var, r.variance);
        EXPECT_EQ(sd, std::sqrt(r.variance));
        EXPECT_EQ(RandSeed, r.seedAfter);
    }
    // Pinned: Jaccard between 3/11 and 7/10, seed 1, 7 draws.
    RandSeed = 1;
    Extended var = 0, sd = 0;
    EXPECT_NEAR(static_cast<double>(JaccardAvgSD(KernelSourceOf(b.ds, ProgramRandom()), 1, 2, var, sd)),
                0.404181388506133641508, 1e-15);
    EXPECT_NEAR(static_cast<double>(var), 0.0191405789232019924624, 1e-15);
    EXPECT_EQ(RandSeed, 1259699184u);
}

TEST_F(Kernels, CompletePairsDrawNothing) {
    b.SetRows({"110100", "100110"});
    b.ds.AvgDraws = 50;
    RandSeed = 99;
    EXPECT_EQ(Run(JaccardAvg), Run(JaccardStd));
    EXPECT_EQ(Run(EuclidAvg), Run(EuclidStd));
    EXPECT_EQ(Run(NeiLiAvg), Run(NeiLiStd));
    Extended var = -1, sd = -1;
    EXPECT_EQ(SMCAvgSD(KernelSourceOf(b.ds, ProgramRandom()), 1, 2, var, sd), Run(SMCStd));
    EXPECT_EQ(var, 0.0L);
    EXPECT_EQ(sd, 0.0L);
    EXPECT_EQ(RandSeed, 99u);
}

TEST_F(Kernels, AverageMeanAndSpreadAreThoseOfAUniformBetweenTheBounds) {
    b.SetRows(AllStates());
    b.ds.AvgDraws = 4000;
    RandSeed = 4242;
    for (TAvgSDKernelProc k : {JaccardAvgSD, DiceAvgSD, SMCAvgSD, SqEuclidAvgSD}) {
        Extended var = 0, sd = 0;
        const Extended mean = k(KernelSourceOf(b.ds, ProgramRandom()), 1, 2, var, sd);
        const Extended lo = k == JaccardAvgSD ? 3.0L / 11 : k == DiceAvgSD ? 6.0L / 14 : k == SMCAvgSD ? 7.0L / 15 : 3;
        const Extended hi = k == JaccardAvgSD ? 0.7L : k == DiceAvgSD ? 14.0L / 17 : k == SMCAvgSD ? 13.0L / 16 : 8;
        const Extended w = hi - lo;
        // Uniform on [lo, hi]: mean (lo + hi) / 2 within 4 standard errors, variance w^2 / 12.
        EXPECT_GT(mean, lo);
        EXPECT_LT(mean, hi);
        EXPECT_NEAR(static_cast<double>(mean), static_cast<double>((lo + hi) / 2), 4 * static_cast<double>(w) / std::sqrt(12.0 * 4000));
        EXPECT_NEAR(static_cast<double>(var / (w * w / 12)), 1.0, 0.1);
    }
}

TEST_F(Kernels, OneDrawGivesNaNVarianceAndNoDrawsNeverLoops) {
    b.SetRows(AllStates());
    b.ds.AvgDraws = 1;
    Extended var = 0, sd = 0;
    const Extended mean = DiceAvgSD(KernelSourceOf(b.ds, ProgramRandom()), 1, 2, var, sd);
    EXPECT_GE(mean, 6.0L / 14);
    EXPECT_TRUE(std::isnan(var));
    EXPECT_TRUE(std::isnan(sd));

    b.ds.AvgDraws = 0;
    RandSeed = 5;
    EXPECT_TRUE(std::isnan(Run(JaccardAvg)));
    EXPECT_EQ(RandSeed, 5u);
}

TEST_F(Kernels, NeiLiAverageWithoutAnAcceptableValueGivesTheMarker) {
    // Both Nei-Li bounds defined and above 1: no draw of [0, 1) can be accepted.
    b.SetRows(PairRows({{"11", 1}, {"19", 1}, {"10", 500}, {"01", 500}}));
    ASSERT_GT(Run(NeiLiMin), 1.0L);
    ASSERT_GT(Run(NeiLiMax), Run(NeiLiMin));
    RandSeed = 7;
    Extended var = 1, sd = 1;
    EXPECT_EQ(NeiLiAvgSD(KernelSourceOf(b.ds, ProgramRandom()), 1, 2, var, sd), -1.0L);
    EXPECT_EQ(Run(NeiLiAvg), -1.0L);
    EXPECT_EQ(RandSeed, 7u);
    EXPECT_EQ(var, 0.0L);
    ASSERT_EQ(b.errors.size(), 2u);
    EXPECT_NE(b.errors[0].find("no value between"), std::string::npos) << b.errors[0];

    // An undefined upper bound (no shared band for sure) under a defined lower one.
    b.errors.clear();
    b.SetRows(PairRows({{"19", 1}, {"10", 2}, {"01", 2}}));
    EXPECT_EQ(Run(NeiLiAvg), -1.0L);
    EXPECT_EQ(RandSeed, 7u);
    ASSERT_EQ(b.errors.size(), 1u);
    EXPECT_EQ(b.errors[0], "Undefined NeiLi max distance");
}

TEST(CoefficientSelectors, InstallKernelsAndRefuseUnknownCodes) {
    BandDataSet b;
    b.SetRows(AllStates());
    TKernelFunc k;
    ASSERT_TRUE(GetCoefficientFunc(b.ds, Treatment::Minimum, Coefficient::NeiLi, ProgramRandom(), k));
    EXPECT_EQ(k(1, 2), NeiLiMax(KernelSourceOf(b.ds, ProgramRandom()), 1, 2));
    ASSERT_TRUE(GetCoefficientFunc(b.ds, Treatment::Maximum, Coefficient::Euclidean, ProgramRandom(), k));
    EXPECT_EQ(k(1, 2), EuclidStd(KernelSourceOf(b.ds, ProgramRandom()), 1, 2));

    TKernelFunc untouched;
    EXPECT_FALSE(
        GetCoefficientFunc(b.ds, Treatment::Standard, Coefficient::UserSimilarity, ProgramRandom(), untouched));
    EXPECT_FALSE(GetCoefficientFunc(b.ds, CodeOf<Treatment>(4), Coefficient::Jaccard, ProgramRandom(), untouched));
    EXPECT_FALSE(untouched);
    TAvgSDKernelFunc sd;
    EXPECT_FALSE(GetAvgSDKernel(b.ds, CodeOf<Coefficient>(9), ProgramRandom(), sd));
    EXPECT_FALSE(sd);
    EXPECT_EQ(b.errors, (std::vector<std::string>{"TeskCore/TPopGenDataSet: Unknown coeffient 1",
                                                  "TeskCore: Unknown mode 1",
                                                  "TeskCore/TPopGenDataSet: Unknown coeffient 2"}));
    // A fresh data set computes standard Jaccard.
    EXPECT_EQ(b.ds.Kernel.Mode, Treatment::Standard);
    EXPECT_EQ(b.ds.Kernel.Coeff, Coefficient::Jaccard);
}

}  // namespace
