// The distance run on 1, 2 and every thread: the same matrices, the same undefined Nei-Li pairs
// in the same order, the same draws.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "band_fixture.h"
#include "foundation/random.h"
#include "foundation/thread_pool.h"
#include "popgen/distance/pair_count.h"
#include "sequential_distances.h"

namespace {

struct Outcome {
    DistMatrices m;
    std::string problems;
    std::uint32_t seed = 0;
};

// counter: a TPairCountFunc, or nullptr for the counts LayerCounts chooses (bit planes built on
// the same threads).
Outcome RunOn(const TDSLayer& layer, const TPairCountFunc& counter, const DistRunOptions& options, bool spread,
              std::size_t threads) {
    SetThreadCount(threads);
    Outcome o;
    RandomStream stream(5);
    NeiLiProblems problems;
    Reporter reporter([](const std::string&) {});
    const StateWeightTable unit{{{1.0L, 1.0L, 1.0L}, {1.0L, 1.0L, 1.0L}, {1.0L, 1.0L, 1.0L}}};
    if (counter) {
        EXPECT_TRUE(ComputeDistances(layer, counter, options, spread, stream, problems, reporter, o.m));
    } else {
        const LayerCounts counts(layer, Weighting::None, unit);
        EXPECT_NE(counts.Planes(), nullptr);
        EXPECT_TRUE(ComputeDistances(layer, counts, options, spread, stream, problems, reporter, o.m));
    }
    o.problems = problems.Message();
    o.seed = stream.Seed;
    SetThreadCount(0);
    return o;
}

TEST(DistancePiecesThreads, OneTwoAndAllThreadsGiveTheSameRun) {
    BandDataSet b;
    std::vector<std::string> bands = RandomBandRows(200, 90, 31);
    for (std::size_t k = 0; k < bands.size(); k += 3) std::replace(bands[k].begin(), bands[k].end(), '9', '1');
    b.SetRows(bands);
    const TDSLayer& layer = b.ds.GetCurrLayer();
    BandPlanes planes;
    ASSERT_TRUE(planes.Build(layer.Matrix.data(), layer.NInd, layer.NLoci));
    TDSLayer& weighted = b.ds.GetCurrLayer();
    for (std::size_t c = 0; c < weighted.NCells; ++c)
        weighted.Weights.push_back(0.5L + static_cast<Extended>(c % 5) / 3.0L);
    WeightedRows rows;
    ASSERT_TRUE(rows.Build(layer, Weighting::LociIndiv));
    const TPairCountFunc counters[] = {nullptr /* LayerCounts */, PlanePairCounter(planes, Weighting::None, b.ds.StateWeights),
                                       WeightedRowsCounter(rows), PairCounterOf(b.ds)};
    for (const TPairCountFunc& counter : counters) {
        for (int mode = 0; mode <= 3; ++mode) {
            for (int coeff = 0; coeff <= 5; ++coeff) {
                const bool spread = mode == 3 && coeff % 2 == 0;
                const DistRunOptions options = RunOptions(mode, coeff, 0, 4.0L, 5);
                const Outcome one = RunOn(layer, counter, options, spread, 1);
                for (const std::size_t threads : {std::size_t{2}, std::size_t{0}}) {
                    const Outcome other = RunOn(layer, counter, options, spread, threads);
                    const std::string what = "mode " + std::to_string(mode) + " coeff " + std::to_string(coeff) +
                                             " threads " + std::to_string(threads);
                    EXPECT_EQ(FirstDifference(other.m.Raw, one.m.Raw), std::string::npos) << what;
                    EXPECT_EQ(FirstDifference(other.m.Dist, one.m.Dist), std::string::npos) << what;
                    EXPECT_EQ(FirstDifference(other.m.SD, one.m.SD), std::string::npos) << what;
                    EXPECT_EQ(other.m.UndefinedPairs, one.m.UndefinedPairs) << what;
                    EXPECT_EQ(other.problems, one.problems) << what;
                    EXPECT_EQ(other.seed, one.seed) << what;
                }
            }
        }
    }
}

}  // namespace
