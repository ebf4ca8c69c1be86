// R-support on 40 individuals x 200 loci with 10 % missing cells over r = 1 .. 50, 100 averaged
// UPGMA trees per evaluated r: every evaluated r redraws all its Average matrices.
#include <benchmark/benchmark.h>

#include "bench_data.h"
#include "foundation/random.h"
#include "trees/r_support.h"

namespace {

void BM_RSupport(benchmark::State& state) {
    const BenchBands bands = MakeBenchBands(40, 200, 10, kBenchSeedMissing);
    Reporter reporter;
    TPopGenDataSet ds(reporter);
    LoadBenchBands(ds, bands);
    TreeSeriesOptions series;
    series.NTrees = 100;
    RSupportOptions options;
    options.RFrom = 1;
    options.RTo = 50;
    std::size_t evaluated = 0;
    for (auto _ : state) {
        RandSeed = 1;
        RSupportResult result;
        benchmark::DoNotOptimize(RSupport(reporter, ds, series, options, ProgramRandom(), result));
        evaluated = result.Evaluated.size();
    }
    state.counters["r_values"] = static_cast<double>(evaluated);
    state.counters["trees"] = static_cast<double>(evaluated * series.NTrees);
}
BENCHMARK(BM_RSupport)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
