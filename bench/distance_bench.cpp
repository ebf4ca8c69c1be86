// Distance matrices of random band data (1000 loci): Jaccard under every treatment. The second
// argument is the number of threads (0: every core).
#include <benchmark/benchmark.h>

#include "bench_data.h"
#include "foundation/random.h"
#include "foundation/thread_pool.h"
#include "popgen/distance_matrix.h"

namespace {

void Run(benchmark::State& state, unsigned missingPercent, std::uint8_t mode) {
    const auto n = static_cast<std::size_t>(state.range(0));
    SetThreadCount(static_cast<std::size_t>(state.range(1)));
    TPopGenDataSet ds;
    LoadBenchBands(ds, MakeBenchBands(n, kBenchLoci, missingPercent,
                                      missingPercent == 0 ? kBenchSeedComplete : kBenchSeedMissing));
    for (auto _ : state) {
        RandSeed = 1;
        const bool ok = mode == 3 ? CalcDistances(ds, 0, 0, 6.0L, 100) : CalcDistMatrix(ds, mode, 0, 0, 6.0L, 100, 1);
        if (!ok) state.SkipWithError("distance run failed");
        benchmark::DoNotOptimize(ds.GetCurrLayer().DistMatrix.data());
    }
    SetThreadCount(0);
}

void BM_JaccardStandard(benchmark::State& state) { Run(state, 0, 0); }
void BM_JaccardMinimum(benchmark::State& state) { Run(state, 10, 1); }
void BM_JaccardMaximum(benchmark::State& state) { Run(state, 10, 2); }
void BM_JaccardAverage(benchmark::State& state) { Run(state, 10, 3); }

BENCHMARK(BM_JaccardStandard)->Args({500, 0})->Args({2000, 0})->Args({2000, 1})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JaccardMinimum)->Args({500, 0})->Args({2000, 0})->Args({2000, 1})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JaccardMaximum)->Args({500, 0})->Args({2000, 0})->Args({2000, 1})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JaccardAverage)->Args({500, 0})->Args({2000, 0})->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
