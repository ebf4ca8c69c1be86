// Distance matrices of random band data (1000 loci): Jaccard under every treatment. The second
// argument is the number of threads (0: every core). BM_PopcountLoop is the reference for the
// per-pair work: a plain loop over the same pairs of the same bit planes on one thread.
#include <benchmark/benchmark.h>

#include <bit>
#include <vector>

#include "bench_data.h"
#include "foundation/random.h"
#include "foundation/thread_pool.h"
#include "popgen/distance/band_planes.h"
#include "popgen/distance/distance_matrix.h"
#include "popgen/distance/pair_count.h"

namespace {

// fresh: every run on a layer without matrices (they cannot be overwritten in place).
void Run(benchmark::State& state, unsigned missingPercent, Treatment mode, Weighting scheme = Weighting::None,
         bool fresh = false) {
    const auto n = static_cast<std::size_t>(state.range(0));
    SetThreadCount(static_cast<std::size_t>(state.range(1)));
    TPopGenDataSet ds;
    LoadBenchBands(ds, MakeBenchBands(n, kBenchLoci, missingPercent,
                                      missingPercent == 0 ? kBenchSeedComplete : kBenchSeedMissing));
    SetWeightingScheme(ds, scheme);
    for (auto _ : state) {
        if (fresh) {
            state.PauseTiming();
            PackedMatrix().swap(ds.GetCurrLayer().RawMatrix);
            PackedMatrix().swap(ds.GetCurrLayer().DistMatrix);
            state.ResumeTiming();
        }
        RandSeed = 1;
        DistRunOptions options;
        options.Mode = mode;
        const bool ok = mode == Treatment::Average ? CalcDistances(ds, options, ProgramRandom())
                                                      : CalcDistMatrix(ds, options, ProgramRandom());
        if (!ok) state.SkipWithError("distance run failed");
        benchmark::DoNotOptimize(ds.GetCurrLayer().DistMatrix.data());
    }
    SetThreadCount(0);
}

void BM_JaccardStandard(benchmark::State& state) { Run(state, 0, Treatment::Standard); }
void BM_JaccardStandardFreshLayer(benchmark::State& state) {
    Run(state, 0, Treatment::Standard, Weighting::None, true);
}
void BM_JaccardMinimum(benchmark::State& state) { Run(state, 10, Treatment::Minimum); }
void BM_JaccardMaximum(benchmark::State& state) { Run(state, 10, Treatment::Maximum); }
void BM_JaccardAverage(benchmark::State& state) { Run(state, 10, Treatment::Average); }
// Locus weights keep the byte scan (summed in locus order); the pairs still run on every core.
void BM_JaccardStandardLocusWeights(benchmark::State& state) { Run(state, 0, Treatment::Standard, Weighting::Loci); }

// The bit planes of the complete data (part of every run above that counts on them).
void BM_BandPlanesBuild(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    SetThreadCount(static_cast<std::size_t>(state.range(1)));
    TPopGenDataSet ds;
    LoadBenchBands(ds, MakeBenchBands(n, kBenchLoci, 0, kBenchSeedComplete));
    const TDSLayer& layer = ds.GetCurrLayer();
    BandPlanes planes;
    for (auto _ : state) {
        if (!planes.Build(layer.Matrix.data(), n, layer.NLoci)) state.SkipWithError("no planes");
        benchmark::ClobberMemory();
    }
    SetThreadCount(0);
}

// The reference: the present and absent planes of every individual of the complete data, and for
// every pair in packed order the four intersections' population counts (second argument 4: what
// any count with missing cells takes) or only the shared bands' (1: what complete data takes),
// one count per pair written out. One thread, no kernel, no 80-bit values.
__attribute__((target("popcnt"))) void CountAllPairs(const std::vector<std::uint64_t>& bits, std::size_t n,
                                                     std::size_t words, bool fourPlanes,
                                                     std::vector<std::uint32_t>& out) {
    std::size_t k = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint64_t* a1 = bits.data() + i * 2 * words;
        const std::uint64_t* a0 = a1 + words;
        for (std::size_t j = 0; j <= i; ++j, ++k) {
            const std::uint64_t* b1 = bits.data() + j * 2 * words;
            const std::uint64_t* b0 = b1 + words;
            std::uint32_t c = 0;
            if (fourPlanes) {
                std::uint32_t n10 = 0, n01 = 0, n00 = 0;
                for (std::size_t w = 0; w < words; ++w) {
                    c += static_cast<std::uint32_t>(std::popcount(a1[w] & b1[w]));
                    n10 += static_cast<std::uint32_t>(std::popcount(a1[w] & b0[w]));
                    n01 += static_cast<std::uint32_t>(std::popcount(a0[w] & b1[w]));
                    n00 += static_cast<std::uint32_t>(std::popcount(a0[w] & b0[w]));
                }
                c = (c << 24) ^ (n10 << 16) ^ (n01 << 8) ^ n00;
            } else {
                for (std::size_t w = 0; w < words; ++w) c += static_cast<std::uint32_t>(std::popcount(a1[w] & b1[w]));
            }
            out[k] = c;
        }
    }
}

void BM_PopcountLoop(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    const BenchBands b = MakeBenchBands(n, kBenchLoci, 0, kBenchSeedComplete);
    const std::size_t words = (b.loci + 63) / 64;
    std::vector<std::uint64_t> bits(n * 2 * words, 0);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t l = 0; l < b.loci; ++l)
            bits[(i * 2 + (b.cells[i * b.loci + l] == 1 ? 0 : 1)) * words + l / 64] |= std::uint64_t{1} << (l % 64);
    std::vector<std::uint32_t> out(PackedSize(n));
    for (auto _ : state) {
        CountAllPairs(bits, n, words, state.range(1) == 4, out);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
}

// n individuals on every core and on one; the Average treatment keeps one random stream.
void Threads(benchmark::internal::Benchmark* b) {
    for (const std::int64_t n : BenchSizes({500, 2000})) b->Args({n, 0})->Args({n, 1});
}
void AllCores(benchmark::internal::Benchmark* b) {
    for (const std::int64_t n : BenchSizes({500, 2000})) b->Args({n, 0});
}
void Planes(benchmark::internal::Benchmark* b) {
    for (const std::int64_t n : BenchSizes({500, 2000})) b->Args({n, 4})->Args({n, 1});
}

BENCHMARK(BM_JaccardStandard)->Apply(Threads)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JaccardStandardFreshLayer)->Apply(Threads)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JaccardMinimum)->Apply(Threads)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JaccardMaximum)->Apply(Threads)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JaccardStandardLocusWeights)->Apply(Threads)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JaccardAverage)->Apply(AllCores)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BandPlanesBuild)->Apply(Threads)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PopcountLoop)->Apply(Planes)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
