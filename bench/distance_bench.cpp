// Distance matrices of random band data (1000 loci): Jaccard under every treatment. The second
// argument is the number of threads (0: every core).
#include <benchmark/benchmark.h>

#include "bench_data.h"
#include "foundation/random.h"
#include "foundation/thread_pool.h"
#include "popgen/distance_matrix.h"
#include "popgen/pair_count.h"

namespace {

void Run(benchmark::State& state, unsigned missingPercent, Treatment mode, Weighting scheme = Weighting::None) {
    const auto n = static_cast<std::size_t>(state.range(0));
    SetThreadCount(static_cast<std::size_t>(state.range(1)));
    TPopGenDataSet ds;
    LoadBenchBands(ds, MakeBenchBands(n, kBenchLoci, missingPercent,
                                      missingPercent == 0 ? kBenchSeedComplete : kBenchSeedMissing));
    SetWeightingScheme(ds, scheme);
    for (auto _ : state) {
        RandSeed = 1;
        DistRunOptions options;
        options.Mode = mode;
        const bool ok = mode == Treatment::Average ? CalcDistances(ds, options) : CalcDistMatrix(ds, options);
        if (!ok) state.SkipWithError("distance run failed");
        benchmark::DoNotOptimize(ds.GetCurrLayer().DistMatrix.data());
    }
    SetThreadCount(0);
}

void BM_JaccardStandard(benchmark::State& state) { Run(state, 0, Treatment::Standard); }
void BM_JaccardMinimum(benchmark::State& state) { Run(state, 10, Treatment::Minimum); }
void BM_JaccardMaximum(benchmark::State& state) { Run(state, 10, Treatment::Maximum); }
void BM_JaccardAverage(benchmark::State& state) { Run(state, 10, Treatment::Average); }
// Locus weights keep the byte scan (summed in locus order); the pairs still run on every core.
void BM_JaccardStandardLocusWeights(benchmark::State& state) { Run(state, 0, Treatment::Standard, Weighting::Loci); }

// n individuals on every core and on one; the Average treatment keeps one random stream.
void Threads(benchmark::internal::Benchmark* b) {
    for (const std::int64_t n : BenchSizes({500, 2000})) b->Args({n, 0})->Args({n, 1});
}
void AllCores(benchmark::internal::Benchmark* b) {
    for (const std::int64_t n : BenchSizes({500, 2000})) b->Args({n, 0});
}

BENCHMARK(BM_JaccardStandard)->Apply(Threads)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JaccardMinimum)->Apply(Threads)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JaccardMaximum)->Apply(Threads)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JaccardStandardLocusWeights)->Apply(Threads)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JaccardAverage)->Apply(AllCores)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
