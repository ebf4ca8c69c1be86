// A bootstrap series of neighbour-joining trees (Jaccard, Standard): the heaviest everyday job of
// the Replicate Analyses menu. Args: individuals, trees, threads (0 = every core).
#include <benchmark/benchmark.h>

#include "bench_data.h"
#include "foundation/random.h"
#include "foundation/thread_pool.h"
#include "trees/tree_series.h"

namespace {

void BM_BootstrapNJTrees(benchmark::State& state) {
    TPopGenDataSet ds;
    LoadBenchBands(ds, MakeBenchBands(static_cast<std::size_t>(state.range(0)), kBenchLoci, 0, kBenchSeedComplete));
    TreeSeriesOptions options;
    options.Kind = TreeKind::NJ;
    options.NTrees = static_cast<std::size_t>(state.range(1));
    SetThreadCount(static_cast<std::size_t>(state.range(2)));
    for (auto _ : state) {
        RandSeed = 1;
        AString trees;
        if (!BsTrees(ds, options, ProgramRandom(), trees)) state.SkipWithError("bootstrap series failed");
        benchmark::DoNotOptimize(trees.data());
    }
    SetThreadCount(0);
}
BENCHMARK(BM_BootstrapNJTrees)->Args({200, 100, 0})->Args({200, 100, 1})->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
