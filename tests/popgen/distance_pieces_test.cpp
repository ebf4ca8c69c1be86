// The distance run computes pairs in pieces on every thread and counts on bit planes where the
// weighting scheme allows; every matrix, every undefined Nei-Li pair and every draw must be those of
// the one walk over the pairs with the byte-scanning counter.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "band_fixture.h"
#include "foundation/cpu_dispatch.h"
#include "foundation/random.h"
#include "foundation/thread_pool.h"
#include "popgen/distance/pair_count.h"
#include "sequential_distances.h"

namespace {

// Loci across a word boundary of the planes; enough individuals for several pieces.
constexpr std::size_t kInd = 150, kLoci = 70;

// A data set under `scheme` with weights other than 1 wherever the scheme reads weights.
void SetScheme(BandDataSet& b, Weighting scheme) {
    b.ds.WeightingScheme = scheme;
    for (std::size_t x = 0; x < 3; ++x)
        for (std::size_t y = 0; y < 3; ++y) b.ds.StateWeights[x][y] = 0.25L + 0.5L * static_cast<Extended>(x * 3 + y);
    TDSLayer& l = b.ds.GetCurrLayer();
    l.Weights.clear();
    if (scheme == Weighting::Loci)
        for (std::size_t loc = 0; loc < l.NLoci; ++loc)
            l.Weights.push_back(0.5L + static_cast<Extended>(loc % 7) / 3.0L);
    if (scheme == Weighting::LociIndiv)
        for (std::size_t c = 0; c < l.NCells; ++c) l.Weights.push_back(0.1L + static_cast<Extended>(c % 11) / 7.0L);
}

// One run against the sequential walk: the same matrices, undefined pairs, pairs without a draw,
// Nei-Li problems and draws.
void ExpectSameRun(const DistMatrices& m, const NeiLiProblems& problems, std::uint32_t seed, const SequentialRun& ref,
                   std::uint32_t refSeed, bool spread, const std::string& what) {
    EXPECT_EQ(FirstDifference(m.Raw, ref.m.Raw), std::string::npos) << what;
    EXPECT_EQ(FirstDifference(m.Dist, ref.m.Dist), std::string::npos) << what;
    if (spread) {
        EXPECT_EQ(FirstDifference(m.Var, ref.m.Var), std::string::npos) << what;
        EXPECT_EQ(FirstDifference(m.SD, ref.m.SD), std::string::npos) << what;
    }
    EXPECT_EQ(m.UndefinedPairs, ref.m.UndefinedPairs) << what;
    EXPECT_EQ(m.NoDraws.Count, ref.m.NoDraws.Count) << what;
    EXPECT_EQ(m.NoDraws.First, ref.m.NoDraws.First) << what;
    EXPECT_EQ(problems.Count(), ref.problems.Count()) << what;
    EXPECT_EQ(problems.Message(), ref.problems.Message()) << what;
    EXPECT_EQ(seed, refSeed) << what;
}

// Jaccard bounds 1/(6 + 1e-12) and 1/6 (and alike for Dice and SMC) of pairs (2, 1), (4, 3), ...: no draw of the
// generator lies between them.
TEST(DistancePieces, SimilaritiesWithoutADrawMatchTheSequentialWalk) {
    BandDataSet b;
    std::vector<std::string> rows;
    for (std::size_t k = 0; k < 60; ++k) rows.push_back(k % 2 == 0 ? "110" : "109");
    b.SetRows(rows);
    b.ds.WeightingScheme = Weighting::Loci;
    b.ds.GetCurrLayer().Weights = {1.0L, 5.0L, 1e-12L};
    const TDSLayer& layer = b.ds.GetCurrLayer();
    WeightedRows weighted;
    ASSERT_TRUE(weighted.Build(layer, b.ds.WeightingScheme));
    SetThreadCount(0);
    for (const int coeff : {0, 1, 2}) {
        const DistRunOptions options = RunOptions(3, coeff, 0, 6.0L, 12);
        RandomStream refStream(5);
        const SequentialRun ref = RunSequentially(layer, PairCounterOf(b.ds), options, true, refStream);
        RandomStream stream(5);
        NeiLiProblems problems;
        DistMatrices m;
        ASSERT_TRUE(
            ComputeDistances(layer, WeightedRowsCounter(weighted), options, true, stream, problems, b.reporter, m));
        EXPECT_GT(ref.m.NoDraws.Count, 0u) << coeff;
        EXPECT_EQ(m.NoDraws.Count, ref.m.NoDraws.Count) << coeff;
        EXPECT_EQ(m.NoDraws.First, ref.m.NoDraws.First) << coeff;
        EXPECT_EQ(FirstDifference(m.Raw, ref.m.Raw), std::string::npos) << coeff;
        EXPECT_EQ(FirstDifference(m.Dist, ref.m.Dist), std::string::npos) << coeff;
        EXPECT_EQ(stream.Seed, refStream.Seed) << coeff;
    }
}

TEST(DistancePieces, EveryCoefficientTreatmentAndSchemeMatchesTheSequentialWalk) {
    BandDataSet b;
    b.SetRows(RandomBandRows(kInd, kLoci, 2024));
    SetThreadCount(0);
    for (int scheme = 0; scheme <= 4; ++scheme) {
        SetScheme(b, CodeOf<Weighting>(static_cast<std::uint8_t>(scheme)));
        const TDSLayer& layer = b.ds.GetCurrLayer();
        BandPlanes planes;
        ASSERT_TRUE(planes.Build(layer.Matrix.data(), layer.NInd, layer.NLoci));
        const TPairCountFunc scanning = PairCounterOf(b.ds);
        WeightedRows rows;
        TPairCountFunc fast = PlanePairCounter(planes, b.ds.WeightingScheme, b.ds.StateWeights);
        EXPECT_EQ(fast == nullptr, scheme >= 3) << scheme;
        EXPECT_EQ(rows.Build(layer, b.ds.WeightingScheme), scheme >= 3) << scheme;
        if (!fast) fast = WeightedRowsCounter(rows);
        for (int mode = 0; mode <= 3; ++mode) {
            for (int coeff = 0; coeff <= 5; ++coeff) {
                for (const bool spread : {false, true}) {
                    if (spread && mode != 3) continue;
                    const std::string what = "scheme " + std::to_string(scheme) + " mode " + std::to_string(mode) +
                                             " coeff " + std::to_string(coeff) + (spread ? " spread" : "");
                    const DistRunOptions options = RunOptions(mode, coeff, coeff % 3, 4.0L, 12);
                    RandomStream refStream(99);
                    const SequentialRun ref = RunSequentially(layer, scanning, options, spread, refStream);

                    RandomStream stream(99);
                    NeiLiProblems problems;
                    DistMatrices m;
                    ASSERT_TRUE(ComputeDistances(layer, fast, options, spread, stream, problems, b.reporter, m))
                        << what;
                    ExpectSameRun(m, problems, stream.Seed, ref, refStream.Seed, spread, what);

                    // The data set's run picks its counter itself and draws from the program's stream.
                    RandSeed = 99;
                    ASSERT_TRUE(spread ? CalcDistances(b.ds, options, ProgramRandom())
                                       : CalcDistMatrix(b.ds, options, ProgramRandom()))
                        << what;
                    EXPECT_EQ(FirstDifference(layer.RawMatrix, ref.m.Raw), std::string::npos) << what;
                    EXPECT_EQ(FirstDifference(layer.DistMatrix, ref.m.Dist), std::string::npos) << what;
                    EXPECT_EQ(layer.UndefinedPairs, ref.m.UndefinedPairs) << what;
                    EXPECT_EQ(layer.NoDraws.Count, ref.m.NoDraws.Count) << what;
                    EXPECT_EQ(RandSeed, refStream.Seed) << what;
                }
            }
        }
    }
    // The sparse rows leave Nei-Li pairs undefined in more than one piece.
    RandomStream stream(1);
    const SequentialRun neiLi =
        RunSequentially(b.ds.GetCurrLayer(), PairCounterOf(b.ds), RunOptions(0, 3, 0, 4.0L), false, stream);
    EXPECT_GT(neiLi.problems.Count(), 100u);
}

// On bit planes a pair of rows without missing cells is counted from its shared bands alone, any
// other pair in full; both, rows without any band or with every band among them, through every
// formula, transformation and state weighting, with and without the population count instruction.
TEST(DistancePieces, PlaneRunsOfCompleteAndIncompleteRowsMatchTheSequentialWalk) {
    BandDataSet b;
    std::vector<std::string> rows = RandomBandRows(100, 70, 77);
    for (std::size_t k = 0; k < rows.size(); k += 2)
        std::replace(rows[k].begin(), rows[k].end(), '9', k % 4 == 0 ? '1' : '0');
    rows[10] = std::string(70, '0');
    rows[20] = std::string(70, '1');
    b.SetRows(rows);
    const std::uint8_t popcnt = CPUHasPOPCNT;
    SetThreadCount(0);
    for (const Weighting scheme : {Weighting::None, Weighting::State}) {
        SetScheme(b, scheme);
        const TDSLayer& layer = b.ds.GetCurrLayer();
        const LayerCounts counts(layer, b.ds.WeightingScheme, b.ds.StateWeights);
        EXPECT_EQ(counts.Planes() != nullptr, scheme == Weighting::None);  // State: the plane counter
        for (int mode = 0; mode <= 2; ++mode) {
            for (int coeff = 0; coeff <= 5; ++coeff) {
                for (int transform = 0; transform <= 2; ++transform) {
                    const DistRunOptions options = RunOptions(mode, coeff, transform, 5.0L);
                    RandomStream refStream(1);
                    const SequentialRun ref = RunSequentially(layer, PairCounterOf(b.ds), options, false, refStream);
                    for (const bool instruction : {true, false}) {
                        CPUHasPOPCNT = instruction ? popcnt : std::uint8_t{0};
                        const std::string what = "scheme " + std::to_string(NumberOf(scheme)) + " mode " +
                                                 std::to_string(mode) + " coeff " + std::to_string(coeff) +
                                                 " transform " + std::to_string(transform) +
                                                 (instruction ? "" : " plain");
                        RandomStream stream(1);
                        NeiLiProblems problems;
                        DistMatrices m;
                        ASSERT_TRUE(ComputeDistances(layer, counts, options, false, stream, problems, b.reporter, m))
                            << what;
                        ExpectSameRun(m, problems, stream.Seed, ref, refStream.Seed, false, what);
                    }
                }
            }
        }
    }
    CPUHasPOPCNT = popcnt;
    EXPECT_TRUE(b.errors.empty());
}

// Cells other than 0, 1 and 9 build no planes; the run counts them by the byte scan as before.
TEST(DistancePieces, OtherCellCodesKeepTheByteScan) {
    BandDataSet b;
    std::vector<std::string> rows = RandomBandRows(40, 20, 7);
    rows[3][5] = '2';
    b.SetRows(rows);
    const TDSLayer& layer = b.ds.GetCurrLayer();
    BandPlanes planes;
    EXPECT_FALSE(planes.Build(layer.Matrix.data(), layer.NInd, layer.NLoci));
    const DistRunOptions options = RunOptions(1, 0, 0);
    RandomStream stream(3);
    const SequentialRun ref = RunSequentially(layer, PairCounterOf(b.ds), options, false, stream);
    ASSERT_TRUE(CalcDistMatrix(b.ds, options, ProgramRandom()));
    EXPECT_EQ(FirstDifference(layer.RawMatrix, ref.m.Raw), std::string::npos);
}

// The plane counter remembers the last pair's counts: asking two builds (or one object rebuilt
// from other bands) for the same pair in turn must still give each its own counts.
TEST(DistancePieces, PlaneCountsOfDifferentBuildsDoNotMix) {
    BandDataSet first, second;
    first.SetRows({"1100119", "1010011"});
    second.SetRows({"0011009", "1110001"});
    const auto scanned = [](BandDataSet& b, std::uint8_t x, std::uint8_t y) { return PairCounterOf(b.ds)(1, 2, x, y); };
    const auto build = [](BandPlanes& planes, const BandDataSet& b) {
        const TDSLayer& l = b.ds.GetCurrLayer();
        return planes.Build(l.Matrix.data(), l.NInd, l.NLoci);
    };
    BandPlanes a, c;
    ASSERT_TRUE(build(a, first));
    ASSERT_TRUE(build(c, second));
    const TPairCountFunc countA = PlanePairCounter(a, Weighting::None, first.ds.StateWeights);
    const TPairCountFunc countC = PlanePairCounter(c, Weighting::None, second.ds.StateWeights);
    constexpr std::uint8_t kStates[] = {0, 1, 9};
    for (const std::uint8_t x : kStates) {
        for (const std::uint8_t y : kStates) {
            EXPECT_EQ(countA(1, 2, x, y), scanned(first, x, y)) << int{x} << int{y};
            EXPECT_EQ(countC(1, 2, x, y), scanned(second, x, y)) << int{x} << int{y};
        }
    }
    EXPECT_EQ(countA(1, 2, 1, 1), 2.0L);
    ASSERT_TRUE(build(a, second));  // same object, other bands
    EXPECT_EQ(countA(1, 2, 1, 1), scanned(second, 1, 1));
}

}  // namespace
