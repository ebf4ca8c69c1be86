#include "popgen/distance/distance_matrix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "band_fixture.h"
#include "foundation/packed_matrix.h"
#include "foundation/random.h"
#include "popgen/distance/coefficients.h"
#include "popgen/distance/pair_count.h"

namespace {

bool IsDistNaN(Extended x) {
    unsigned char bytes[sizeof(Extended)] = {};
    std::memcpy(bytes, &x, sizeof x);
    std::uint64_t mantissa;
    std::uint16_t signExp;
    std::memcpy(&mantissa, bytes, 8);
    std::memcpy(&signExp, bytes + 8, 2);
    return mantissa == 0xC000000000000000ull && signExp == 0xFFFF;
}

// Five individuals, 12 loci, some missing cells; individual 5 has no band.
const std::vector<std::string> kRows = {
    "110100101101", "100110101001", "110199101100", "011010019011", "000000000000",
};

class DistRuns : public ::testing::Test {
protected:
    BandDataSet b;
    void SetUp() override { b.SetRows(kRows); }
    const TDSLayer& L() { return b.ds.GetCurrLayer(); }
};

TEST_F(DistRuns, MatrixHoldsTheKernelInPackedOrder) {
    ASSERT_TRUE(CalcDistMatrix(b.ds, RunOptions(0, 0, 0, 6.0L, 100), ProgramRandom()));
    ASSERT_EQ(L().RawMatrix.size(), PackedSize(5));
    const KernelSource src = KernelSourceOf(b.ds, ProgramRandom());
    for (std::size_t i = 1; i <= 5; ++i)
        for (std::size_t j = 1; j <= i; ++j) {
            EXPECT_EQ(L().RawMatrix[PairIndex(i, j)], JaccardStd(src, i, j));
            EXPECT_EQ(L().DistMatrix[PairIndex(i, j)], 1.0L - JaccardStd(src, i, j));
        }
    // Jaccard distance: 0 on the diagonal of a banded individual, 1 for the bandless one.
    for (std::size_t i = 1; i <= 4; ++i) EXPECT_EQ(GetDist(b.ds, i, i), 0.0L);
    EXPECT_EQ(GetDist(b.ds, 5, 5), 1.0L);
    EXPECT_TRUE(b.errors.empty());
}

TEST_F(DistRuns, TransformationsOfTheRawValues) {
    struct Case {
        std::uint8_t coeff, transform;
        Extended (*f)(Extended);
    } cases[] = {
        {2, 0, [](Extended x) { return 1.0L - x; }},
        {2, 1, [](Extended x) { return std::sqrt(1.0L - x); }},
        {2, 2, [](Extended x) { return (1.0L - x) * (1.0L - x); }},
        {4, 3, [](Extended x) { return x; }},
        {4, 4, [](Extended x) { return std::sqrt(x); }},
        {4, 5, [](Extended x) { return x * x; }},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(CalcDistMatrix(b.ds, RunOptions(0, c.coeff, c.transform, 6.0L, 100), ProgramRandom()));
        EXPECT_EQ(NumberOf(b.ds.DistTransform), c.transform);
        for (std::size_t k = 0; k < L().RawMatrix.size(); ++k)
            EXPECT_EQ(L().DistMatrix[k], c.f(L().RawMatrix[k])) << int(c.transform) << " slot " << k;
    }
}

TEST_F(DistRuns, TransformationFollowsTheKindOfCoefficient) {
    // A transformation of 3 left by a distance import must not make Jaccard store similarities.
    b.ds.DistTransform = Transformation::D;
    ASSERT_TRUE(CalcDistMatrix(b.ds, RunOptions(0, 0, 3, 6.0L, 100), ProgramRandom()));
    EXPECT_EQ(GetDist(b.ds, 1, 1), 0.0L);
    EXPECT_EQ(b.ds.DistTransform, Transformation::OneMinusS);
    // And the base is kept for a distance: d=SQRT(1-s) chosen, Euclidean computed -> d'=SQRT(d).
    ASSERT_TRUE(CalcDistMatrix(b.ds, RunOptions(0, 5, 1, 6.0L, 100), ProgramRandom()));
    EXPECT_EQ(b.ds.DistTransform, Transformation::SqrtD);
    EXPECT_EQ(GetDist(b.ds, 2, 1), std::sqrt(L().RawMatrix[PairIndex(2, 1)]));
    EXPECT_EQ(NormalizedTransform(Coefficient::NeiLi, Transformation::SqOneMinusS), Transformation::SqD);
    EXPECT_EQ(NormalizedTransform(Coefficient::Dice, Transformation::SqD), Transformation::SqOneMinusS);
    EXPECT_EQ(NormalizedTransform(Coefficient::Jaccard, CodeOf<Transformation>(7)), CodeOf<Transformation>(7));
}

TEST_F(DistRuns, UnknownTransformationStopsTheRun) {
    EXPECT_FALSE(CalcDistMatrix(b.ds, RunOptions(0, 0, 6, 6.0L, 100), ProgramRandom()));
    EXPECT_EQ(b.errors, std::vector<std::string>{"DistXF: Unknown option."});
    b.ds.DistTransform = CodeOf<Transformation>(9);
    EXPECT_TRUE(IsDistNaN(DistXF(b.ds, 0.5L)));
    EXPECT_EQ(b.errors.size(), 2u);
}

TEST_F(DistRuns, RefusedRuns) {
    const struct {
        std::uint8_t mode, coeff;
        std::size_t draws;
        const char* message;
    } cases[] = {
        {3, 0, 0, "The number of random draws must be at least 1."},
        {0, 7, 100, "TeskCore/TPopGenDataSet: Unknown coeffient 1"},
        {5, 0, 100, "TeskCore: Unknown mode 1"},
    };
    for (const auto& c : cases) {
        b.errors.clear();
        EXPECT_FALSE(CalcDistMatrix(b.ds, RunOptions(c.mode, c.coeff, 0, 6.0L, c.draws), ProgramRandom()));
        EXPECT_EQ(b.errors, std::vector<std::string>{c.message});
    }
    b.errors.clear();
    EXPECT_FALSE(CalcDistances(b.ds, RunOptions(3, 0, 0, 6.0L, 0), ProgramRandom()));
    EXPECT_EQ(b.errors, std::vector<std::string>{"The number of random draws must be at least 1."});

    // A layer without band data (a group layer of a population distance, say).
    BandDataSet empty;
    empty.ds.CurLayer = 1;
    EXPECT_FALSE(CalcDistMatrix(empty.ds, RunOptions(0, 0, 0, 6.0L, 100), ProgramRandom()));
    EXPECT_EQ(empty.errors.size(), 1u);
}

TEST(DistRunsSmall, OneIndividualOneSlot) {
    BandDataSet b;
    b.SetRows({"1011"});
    ASSERT_TRUE(CalcDistMatrix(b.ds, RunOptions(0, 1, 0, 6.0L, 100), ProgramRandom()));
    ASSERT_EQ(b.ds.GetCurrLayer().DistMatrix.size(), 1u);
    EXPECT_EQ(GetDist(b.ds, 1, 1), 0.0L);
}

TEST_F(DistRuns, ARunDrawsFromTheStreamItIsGiven) {
    const DistRunOptions options = RunOptions(3, 0, 0, 6.0L, 20);
    RandSeed = 11;
    ASSERT_TRUE(CalcDistMatrix(b.ds, options, ProgramRandom()));  // the program's stream
    const PackedMatrix first = L().RawMatrix;
    const std::uint32_t after = RandSeed;

    // The same draws from a stream of its own, reading the layer through a const view; the
    // program's stream is left alone.
    RandomStream own(11);
    NeiLiProblems problems;
    DistMatrices result;
    ASSERT_TRUE(ComputeDistances(L(), PairCounterOf(b.ds), options, false, own, problems, b.reporter, result));
    EXPECT_EQ(result.Raw, first);
    EXPECT_EQ(own.Seed, after);
    EXPECT_EQ(RandSeed, after);

    RandSeed = 12;
    ASSERT_TRUE(CalcDistMatrix(b.ds, options, ProgramRandom()));
    EXPECT_NE(L().RawMatrix, first);  // pairs 3-x have missing cells: the draws differ
}

TEST_F(DistRuns, AFailedRunLeavesThePreviousMatricesAndOptions) {
    ASSERT_TRUE(CalcDistances(b.ds, RunOptions(3, 1, 0, 6.0L, 30), ProgramRandom()));
    const TDSLayer before = L();
    const DistRunOptions refused[] = {
        RunOptions(0, 0, 6, 5.0L, 100),  // unknown transformation: stops at the first pair
        RunOptions(3, 0, 0, 5.0L, 0),    // no draws
        RunOptions(0, 7, 0, 5.0L, 100),  // unknown coefficient
    };
    for (const DistRunOptions& o : refused) {
        EXPECT_FALSE(CalcDistMatrix(b.ds, o, ProgramRandom()));
        EXPECT_FALSE(CalcDistances(b.ds, o, ProgramRandom()));
    }
    // The same values, NaN (Dice of two bandless individuals) included.
    const auto same = [](const PackedMatrix& x, const PackedMatrix& y) {
        return x.size() == y.size() && std::equal(x.begin(), x.end(), y.begin(), [](Extended p, Extended q) {
                   return p == q || (std::isnan(p) && std::isnan(q));
               });
    };
    EXPECT_TRUE(same(L().RawMatrix, before.RawMatrix));
    EXPECT_TRUE(same(L().DistMatrix, before.DistMatrix));
    EXPECT_TRUE(same(L().VarMatrix, before.VarMatrix));
    EXPECT_TRUE(same(L().SDMatrix, before.SDMatrix));
    EXPECT_EQ(b.ds.NeiLiR, 6.0L);
    EXPECT_EQ(b.ds.AvgDraws, 30u);
    EXPECT_EQ(b.ds.DistTransform, Transformation::OneMinusS);
    EXPECT_EQ(b.ds.ErrorCount(), 6u);  // the data set counts what its runs report
}

// A run on a layer that holds matrices of its size computes over them (fresh blocks would cost more
// than the counting); the values are those of a run on a fresh data set.
TEST_F(DistRuns, ARunOverwritesTheMatricesOfItsSizeInPlace) {
    ASSERT_TRUE(CalcDistances(b.ds, RunOptions(3, 0, 0, 6.0L, 30), ProgramRandom()));
    const Extended* const blocks[] = {L().RawMatrix.data(), L().DistMatrix.data(), L().VarMatrix.data(),
                                      L().SDMatrix.data()};
    const auto same = [](const PackedMatrix& x, const PackedMatrix& y) {
        return x.size() == y.size() && std::equal(x.begin(), x.end(), y.begin(), [](Extended p, Extended q) {
                   return p == q || (std::isnan(p) && std::isnan(q));
               });
    };
    const struct {
        int mode, coeff;
        bool spread;
    } runs[] = {{0, 1, false}, {2, 3, false}, {3, 2, true}, {1, 4, false}, {3, 5, true}};
    for (const auto& r : runs) {
        const DistRunOptions options = RunOptions(r.mode, r.coeff, 0, 6.0L, 30);
        BandDataSet fresh;
        fresh.SetRows(kRows);
        RandSeed = 3;
        ASSERT_TRUE(r.spread ? CalcDistances(fresh.ds, options, ProgramRandom())
                             : CalcDistMatrix(fresh.ds, options, ProgramRandom()));
        RandSeed = 3;
        ASSERT_TRUE(r.spread ? CalcDistances(b.ds, options, ProgramRandom())
                             : CalcDistMatrix(b.ds, options, ProgramRandom()));
        const TDSLayer& f = fresh.ds.GetCurrLayer();
        EXPECT_TRUE(same(L().RawMatrix, f.RawMatrix)) << r.mode << " " << r.coeff;
        EXPECT_TRUE(same(L().DistMatrix, f.DistMatrix)) << r.mode << " " << r.coeff;
        if (r.spread) {
            EXPECT_TRUE(same(L().VarMatrix, f.VarMatrix)) << r.mode << " " << r.coeff;
            EXPECT_TRUE(same(L().SDMatrix, f.SDMatrix)) << r.mode << " " << r.coeff;
        }
        EXPECT_EQ(L().UndefinedPairs, f.UndefinedPairs) << r.mode << " " << r.coeff;
        EXPECT_EQ(L().RawMatrix.data(), blocks[0]);
        EXPECT_EQ(L().DistMatrix.data(), blocks[1]);
        EXPECT_EQ(L().VarMatrix.data(), blocks[2]);
        EXPECT_EQ(L().SDMatrix.data(), blocks[3]);
    }
}

TEST_F(DistRuns, AverageWithSpread) {
    RandSeed = 3;
    ASSERT_TRUE(CalcDistances(b.ds, RunOptions(3, 1, 0, 6.0L, 50), ProgramRandom()));
    const std::size_t n = PackedSize(5);
    ASSERT_EQ(L().VarMatrix.size(), n);
    ASSERT_EQ(L().SDMatrix.size(), n);
    bool someSpread = false;
    for (std::size_t i = 1; i <= 5; ++i)
        for (std::size_t j = 1; j <= i; ++j) {
            const std::size_t k = PairIndex(i, j);
            const bool complete = i != 3 && i != 4 && j != 3 && j != 4;
            if (complete) {
                EXPECT_EQ(L().VarMatrix[k], 0.0L) << i << "," << j;
                EXPECT_EQ(L().SDMatrix[k], 0.0L);
            } else if (!(i == j)) {
                someSpread |= L().VarMatrix[k] > 0;
                EXPECT_EQ(L().SDMatrix[k], std::sqrt(L().VarMatrix[k]));
            }
            // The spread is that of the untransformed coefficient; the distance is transformed.
            if (!std::isnan(L().RawMatrix[k])) {
                EXPECT_EQ(L().DistMatrix[k], 1.0L - L().RawMatrix[k]);
            }
        }
    EXPECT_TRUE(someSpread);
    // The same draws as the plain Average kernel.
    const PackedMatrix means = L().RawMatrix;
    RandSeed = 3;
    ASSERT_TRUE(CalcDistMatrix(b.ds, RunOptions(3, 1, 0, 6.0L, 50), ProgramRandom()));
    for (std::size_t k = 0; k < n; ++k)
        if (!std::isnan(means[k])) {
            EXPECT_EQ(L().RawMatrix[k], means[k]) << k;
        }
}

TEST_F(DistRuns, AverageKernelsOfEveryCoefficientAgreeWithTheirOwnStandardAndSpreadRuns) {
    // Both Average selectors must hand out the kernel of the coefficient asked for: on complete
    // pairs the Average is the Standard value, and the run with spread draws the same means.
    const auto same = [](Extended x, Extended y) { return x == y || (std::isnan(x) && std::isnan(y)); };
    for (std::uint8_t coeff = 0; coeff <= 5; ++coeff) {
        ASSERT_TRUE(CalcDistMatrix(b.ds, RunOptions(0, coeff, 3, 6.0L, 40), ProgramRandom()));
        const PackedMatrix standard = L().RawMatrix;
        RandSeed = 21;
        ASSERT_TRUE(CalcDistMatrix(b.ds, RunOptions(3, coeff, 3, 6.0L, 40), ProgramRandom()));
        const PackedMatrix average = L().RawMatrix;
        RandSeed = 21;
        ASSERT_TRUE(CalcDistances(b.ds, RunOptions(3, coeff, 3, 6.0L, 40), ProgramRandom()));
        for (std::size_t i = 1; i <= 5; ++i)
            for (std::size_t j = 1; j <= i; ++j) {
                const std::size_t k = PairIndex(i, j);
                EXPECT_TRUE(same(L().RawMatrix[k], average[k])) << int(coeff) << " " << i << "," << j;
                if (i != 3 && i != 4 && j != 3 && j != 4) {
                    EXPECT_TRUE(same(average[k], standard[k])) << int(coeff) << " " << i << "," << j;
                }
            }
    }
}

TEST_F(DistRuns, AMatrixWithUndefinedNeiLiPairsIsKeptAndTheyAreListedOnce) {
    // Individuals 1 and 2 share no band with 3..6: eight undefined pairs.
    b.SetRows({"110000", "110000", "001111", "000111", "001011", "001101"});
    std::vector<std::string> warnings;
    b.reporter.SetWarningHandler([&](const std::string& m) { warnings.push_back(m); });
    ASSERT_TRUE(CalcDistMatrix(b.ds, RunOptions(0, 3, 3, 6.0L, 100), ProgramRandom()));
    EXPECT_TRUE(b.errors.empty());
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].rfind("Undefined NeiLi distance for 8 pairs", 0), 0u) << warnings[0];
    EXPECT_EQ(L().UndefinedPairs, 8u);
    EXPECT_EQ(GetDist(b.ds, 3, 1), -1.0L);
    EXPECT_EQ(GetDist(b.ds, 2, 1), 0.0L);

    // The count follows the raw marker whatever the transformation makes of it (SQ(-1) is 1).
    ASSERT_TRUE(CalcDistMatrix(b.ds, RunOptions(0, 3, 5, 6.0L, 100), ProgramRandom()));
    EXPECT_EQ(GetDist(b.ds, 3, 1), 1.0L);
    EXPECT_EQ(L().UndefinedPairs, 8u);
    ASSERT_TRUE(CalcDistMatrix(b.ds, RunOptions(0, 1, 0, 6.0L, 100), ProgramRandom()));
    EXPECT_EQ(L().UndefinedPairs, 0u);
}

TEST_F(DistRuns, GetDistIndexAndNaNRules) {
    EXPECT_TRUE(IsDistNaN(GetDist(b.ds, 1, 1)));  // no matrix yet
    ASSERT_TRUE(CalcDistMatrix(b.ds, RunOptions(0, 4, 3, 6.0L, 100), ProgramRandom()));
    EXPECT_EQ(GetDist(b.ds, 3, 5), L().DistMatrix[12]);
    EXPECT_EQ(GetDist(b.ds, 5, 3), L().DistMatrix[12]);
    EXPECT_TRUE(IsDistNaN(GetDist(b.ds, 0, 1)));
    EXPECT_TRUE(IsDistNaN(GetDist(b.ds, 6, 1)));  // outside the matrix
    EXPECT_TRUE(std::isnan(DistNaN()));
    EXPECT_TRUE(std::signbit(DistNaN()));
}

TEST_F(DistRuns, SinglePairRoutinesChangeNothing) {
    ASSERT_TRUE(CalcDistMatrix(b.ds, RunOptions(0, 0, 0, 6.0L, 100), ProgramRandom()));
    const Extended euclid =
        PairDistance(b.ds, Treatment::Standard, Coefficient::SqEuclidean, Transformation::D, 2, 1, ProgramRandom());
    EXPECT_EQ(euclid, SqEuclidStd(KernelSourceOf(b.ds, ProgramRandom()), 2, 1));
    EXPECT_EQ(b.ds.DistTransform, Transformation::OneMinusS);
    EXPECT_EQ(b.ds.Kernel.Coeff, Coefficient::Jaccard);
    EXPECT_EQ(KernelXF(b.ds, 2, 1, ProgramRandom()), 1.0L - JaccardStd(KernelSourceOf(b.ds, ProgramRandom()), 2, 1));
    EXPECT_TRUE(IsDistNaN(KernelXF(b.ds, 9, 1, ProgramRandom())));
    EXPECT_TRUE(IsDistNaN(
        PairDistance(b.ds, Treatment::Standard, CodeOf<Coefficient>(8), Transformation::D, 2, 1, ProgramRandom())));
    EXPECT_EQ(b.errors, std::vector<std::string>{"TeskCore/TPopGenDataSet: Unknown coeffient 1"});
    // A run installs its kernel for the pair routines.
    ASSERT_TRUE(CalcDistMatrix(b.ds, RunOptions(1, 1, 0, 6.0L, 100), ProgramRandom()));
    EXPECT_EQ(KernelXF(b.ds, 2, 1, ProgramRandom()), 1.0L - DiceMin(KernelSourceOf(b.ds, ProgramRandom()), 2, 1));
}

TEST_F(DistRuns, BetweenLayersComparesRowsOfTwoLayers) {
    // Layer 3 holds individuals 4 and 1 of layer 1 in that order.
    b.SetRows({kRows[3], kRows[0]}, 3);
    b.ds.CurLayer = 1;
    b.ds.Kernel = {Treatment::Standard, Coefficient::Dice};
    b.ds.DistTransform = Transformation::OneMinusS;
    EXPECT_EQ(BetweenLayersXF(b.ds, 1, 3, 2, 1, ProgramRandom()),
              1.0L - DiceStd(KernelSourceOf(b.ds, ProgramRandom()), 2, 4));
    EXPECT_EQ(BetweenLayersXF(b.ds, 3, 1, 2, 4, ProgramRandom()),
              1.0L - DiceStd(KernelSourceOf(b.ds, ProgramRandom()), 1, 4));
    EXPECT_TRUE(b.errors.empty());

    b.SetRows({"101"}, 4);
    b.ds.CurLayer = 1;
    EXPECT_TRUE(IsDistNaN(BetweenLayersXF(b.ds, 1, 4, 1, 1, ProgramRandom())));
    EXPECT_EQ(b.errors.size(), 1u);
    EXPECT_TRUE(IsDistNaN(BetweenLayersXF(b.ds, 1, 3, 1, 3, ProgramRandom())));  // j beyond layer 3
}

TEST_F(DistRuns, ExportAndFindBelow) {
    AExt block = {42.0L};
    EXPECT_FALSE(ExpOldStyleDistMatrix(b.ds, block));
    EXPECT_EQ(b.errors, std::vector<std::string>{"ExpOldStyleDistMatrix: pDistances not set"});
    EXPECT_EQ(block, AExt{42.0L});
    std::vector<std::size_t> list{7};
    EXPECT_FALSE(FindDistancesBelow(b.ds, list, true, 0.0L, 0.0L));
    EXPECT_TRUE(list.empty());

    ASSERT_TRUE(CalcDistMatrix(b.ds, RunOptions(0, 2, 3, 6.0L, 100), ProgramRandom()));  // SMC similarities, diagonal 1
    ASSERT_TRUE(ExpOldStyleDistMatrix(b.ds, block));
    EXPECT_EQ(block, L().DistMatrix);
    // Negative values, on and off the diagonal.
    b.ds.GetCurrLayer().DistMatrix[PairIndex(2, 1)] = -0.5L;
    b.ds.GetCurrLayer().DistMatrix[PairIndex(4, 3)] = -1e-9L;
    b.ds.GetCurrLayer().DistMatrix[PairIndex(3, 3)] = -2.0L;
    EXPECT_TRUE(FindDistancesBelow(b.ds, list, false, 0.0L, 0.0L));
    EXPECT_EQ(list, (std::vector<std::size_t>{PairIndex(2, 1), PairIndex(4, 3)}));
    EXPECT_EQ(GetDist(b.ds, 2, 1), -0.5L);
    EXPECT_TRUE(FindDistancesBelow(b.ds, list, true, 0.0L, 0.0L));
    EXPECT_EQ(GetDist(b.ds, 2, 1), 0.0L);
    EXPECT_EQ(GetDist(b.ds, 4, 3), 0.0L);
    EXPECT_EQ(GetDist(b.ds, 3, 3), -2.0L);  // the diagonal is never touched
    EXPECT_FALSE(FindDistancesBelow(b.ds, list, true, 0.0L, 0.0L));
    EXPECT_TRUE(IsTriangularNumber(1) && IsTriangularNumber(15) && !IsTriangularNumber(14));
}

TEST_F(DistRuns, WeightingSchemesWithUnitWeightsGiveTheSameMatrices) {
    for (std::uint8_t coeff = 0; coeff <= 5; ++coeff) {
        for (std::uint8_t mode = 0; mode <= 2; ++mode) {
            SetWeightingScheme(b.ds, Weighting::None);
            ASSERT_TRUE(CalcDistMatrix(b.ds, RunOptions(mode, coeff, 3, 6.0L, 100), ProgramRandom()));
            const PackedMatrix plain = L().RawMatrix;
            for (std::uint8_t scheme = 1; scheme <= 4; ++scheme) {
                SetWeightingScheme(b.ds, CodeOf<Weighting>(scheme));
                ASSERT_TRUE(CalcDistMatrix(b.ds, RunOptions(mode, coeff, 3, 6.0L, 100), ProgramRandom()));
                for (std::size_t k = 0; k < plain.size(); ++k)
                    if (!std::isnan(plain[k])) {
                        EXPECT_EQ(L().RawMatrix[k], plain[k]) << int(scheme) << " " << k;
                    }
            }
        }
    }
    b.errors.clear();
    SetWeightingScheme(b.ds, Weighting::Loci);
    EXPECT_EQ(L().Weights.size(), L().NLoci);
    SetWeightingScheme(b.ds, Weighting::LociIndiv);
    EXPECT_EQ(L().Weights.size(), L().NCells);
    SetWeightingScheme(b.ds, CodeOf<Weighting>(5));
    EXPECT_EQ(b.errors, std::vector<std::string>{"Unknown Weighting Scheme"});
    EXPECT_EQ(b.ds.WeightingScheme, Weighting::LociIndiv);  // the scheme in use stays
}

TEST_F(DistRuns, WeightsEnterTheCounts) {
    // Not settable by the user yet, but the counters must honour them.
    const auto count = [&](std::size_t i, std::size_t j, std::uint8_t a, std::uint8_t s) {
        return PairCounterOf(b.ds)(i, j, a, s);
    };
    SetWeightingScheme(b.ds, Weighting::Loci);
    b.ds.GetCurrLayer().Weights[0] = 2.5L;  // locus 1: 1/1 in individuals 1 and 2
    EXPECT_EQ(count(1, 2, 1, 1), 2.5L + 4.0L);
    SetWeightingScheme(b.ds, Weighting::LociIndiv);
    b.ds.GetCurrLayer().Weights[0] = 2.0L;  // cell (1, locus 1)
    b.ds.GetCurrLayer().Weights[1] = 3.0L;  // cell (2, locus 1)
    EXPECT_EQ(count(1, 2, 1, 1), 6.0L + 4.0L);
    SetWeightingScheme(b.ds, Weighting::State);
    b.ds.StateWeights[2][0] = 0.5L;
    EXPECT_EQ(count(3, 1, 9, 0), 0.5L * 2);
    ResetStateWeights(b.ds);
    EXPECT_EQ(count(3, 1, 9, 0), 2.0L);

    // A layer made after the scheme was set has no weights of its own: unit weights.
    for (const std::uint8_t scheme : std::initializer_list<std::uint8_t>{3, 4}) {
        b.SetRows(kRows, 1);
        SetWeightingScheme(b.ds, CodeOf<Weighting>(scheme));
        b.SetRows(kRows, 2);
        ASSERT_TRUE(b.ds.GetCurrLayer().Weights.empty());
        EXPECT_EQ(count(1, 2, 1, 1), 5.0L) << int(scheme);
    }
}

}  // namespace

#include "coefficient_reference.h"

namespace {

TEST(DistReference, MatchesTheValuesOfRsTools) {
    const std::string dir = std::string(TESK_SOURCE_DIR) + "/tests/data/popgen/";
    for (const char* kind : {"complete", "missing"}) {
        const auto bands = ReadLines(dir + "coefficient_bands_" + kind + ".txt");
        ASSERT_EQ(bands.size(), 9u) << kind;
        const auto reference = ReadReference(dir + "coefficient_reference_" + kind + ".txt");
        EXPECT_EQ(reference.size(), std::string(kind) == "complete" ? 8u : 3u);
        EXPECT_EQ(CompareWithReference(bands, reference, kind), reference.size() * 36) << kind;
    }
}

}  // namespace

namespace {

// Any counter with the same counts may replace the scanning one (a bit-packed popcount counter,
// say): the matrices must come out identical, draws included.
TEST(ExchangeableCounter, ANaiveCounterGivesIdenticalMatrices) {
    BandDataSet b;
    RandSeed = 77;
    std::vector<std::string> rows(14);
    for (auto& row : rows)
        for (int l = 0; l < 33; ++l) row += "0011119"[Random(7)];
    b.SetRows(rows);
    const TDSLayer& l = b.ds.GetCurrLayer();
    const TPairCountFunc naive = [&l](std::size_t i, std::size_t j, std::uint8_t a, std::uint8_t s) {
        Extended n = 0;
        for (std::size_t loc = 1; loc <= l.NLoci; ++loc) n += l.Cell(i, loc) == a && l.Cell(j, loc) == s;
        return n;
    };
    const TPairCountFunc scanning = PairCounterOf(b.ds);
    for (int mode = 0; mode <= 3; ++mode) {
        for (int coeff = 0; coeff <= 5; ++coeff) {
            for (const bool spread : {false, true}) {
                const DistRunOptions options = RunOptions(mode, coeff, 0, 6.0L, 30);
                const auto run = [&](const TPairCountFunc& counter) {
                    RandomStream random(5);
                    NeiLiProblems problems;
                    DistMatrices m;
                    EXPECT_TRUE(ComputeDistances(l, counter, options, spread, random, problems, b.reporter, m));
                    return m.Raw;
                };
                const PackedMatrix reference = run(scanning);
                const PackedMatrix swapped = run(naive);
                ASSERT_EQ(swapped.size(), reference.size());
                for (std::size_t k = 0; k < reference.size(); ++k)
                    EXPECT_TRUE(swapped[k] == reference[k] || (std::isnan(swapped[k]) && std::isnan(reference[k])))
                        << mode << " " << coeff << " " << spread << " slot " << k;
            }
        }
    }
}

}  // namespace
