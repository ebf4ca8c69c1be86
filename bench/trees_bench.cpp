// Tree building and principal coordinates on random Euclidean distances.
#include <benchmark/benchmark.h>

#include "../tests/trees/tree_test_util.h"
#include "trees/dist_analysis.h"
#include "trees/pcoa.h"

namespace {

constexpr std::size_t kDimensions = 20;

void BM_PCoA(benchmark::State& state) {
    TDistAnalysis a = RandomEuclidean(SilentReporter(), static_cast<std::size_t>(state.range(0)), kDimensions, 42);
    for (auto _ : state) {
        // A limit high enough that the run never stops to ask.
        if (!a.PCoA(100000000)) state.SkipWithError("PCoA failed");
        benchmark::DoNotOptimize(a.Coords.data());
    }
}
BENCHMARK(BM_PCoA)->Arg(200)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);

// The pivot search alone: the plain search rescans the whole triangle for every rotation.
void BM_Jacobi(benchmark::State& state) {
    const TDistAnalysis a = RandomEuclidean(SilentReporter(), static_cast<std::size_t>(state.range(0)), kDimensions, 7);
    const auto search = state.range(1) == 0 ? JacobiPivotSearch::Plain : JacobiPivotSearch::RowMaxima;
    ExtMatrix input(a.NOTU);
    for (std::size_t i = 0; i < a.NOTU; ++i) {
        for (std::size_t j = 0; j < a.NOTU; ++j) input(i, j) = i == j ? 0.0L : -0.5L * a.PairDist(i + 1, j + 1);
    }
    for (auto _ : state) {
        ExtMatrix m = input, vectors;
        AExt values;
        benchmark::DoNotOptimize(JacobiEigen(m, 0, a.NOTU - 1, vectors, values, kPCoADefaultPrecision,
                                             100000000, search));
    }
}
BENCHMARK(BM_Jacobi)->Args({100, 0})->Args({100, 1})->Args({200, 0})->Args({200, 1})->Unit(benchmark::kMillisecond);

void BM_UPGMA(benchmark::State& state) {
    TDistAnalysis a = RandomEuclidean(SilentReporter(), static_cast<std::size_t>(state.range(0)), kDimensions, 42);
    for (auto _ : state) {
        if (!a.BuildTree(TreeKind::UPGMA, "bench")) state.SkipWithError("UPGMA failed");
        benchmark::DoNotOptimize(a.StoredTree.data());
    }
}
BENCHMARK(BM_UPGMA)->Arg(200)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_NJ(benchmark::State& state) {
    TDistAnalysis a = RandomEuclidean(SilentReporter(), static_cast<std::size_t>(state.range(0)), kDimensions, 42);
    for (auto _ : state) {
        if (!a.BuildTree(TreeKind::NJ, "bench")) state.SkipWithError("NJ failed");
        benchmark::DoNotOptimize(a.Tree.Nodes.data());
    }
}
BENCHMARK(BM_NJ)->Arg(200)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

// The same on Jaccard distances of random band data (1000 loci), as bench/peers.sh compares them
// with other tools; the *Reference variants run the straightforward paths the fast ones match.
#include "bench_data.h"
#include "foundation/thread_pool.h"
#include "support/reference_trees.h"

namespace {

TDistAnalysis BandAnalysis(std::size_t n, Reporter& reporter = SilentReporter()) {
    static std::size_t cachedN = 0;
    static PackedMatrix cached;
    if (cachedN != n) {
        cached = BenchJaccardDistances(MakeBenchBands(n, kBenchLoci, 0, kBenchSeedComplete));
        cachedN = n;
    }
    TDistAnalysis a(reporter);
    a.NOTU = n;
    a.Dist = cached;
    for (std::size_t i = 1; i <= n; ++i) a.OTUNames.push_back("I" + std::to_string(i));
    return a;
}

// Answers Yes to the question after the rotation limit, as a user who wants the result.
struct AnswerYes {
    Reporter reporter{[](const std::string&) {}, {}, [](const std::string&, const std::string&, std::uint32_t) {
                          return kAnswerYes;
                      }};
};

void BM_UPGMABands(benchmark::State& state) {
    TDistAnalysis a = BandAnalysis(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        if (!a.BuildTree(TreeKind::UPGMA, "bench")) state.SkipWithError("UPGMA failed");
    }
}
void BandSizes(benchmark::internal::Benchmark* b) {
    for (const std::int64_t n : BenchSizes({1000, 2000})) b->Arg(n);
}
void BandSizesThreads(benchmark::internal::Benchmark* b) {
    for (const std::int64_t n : BenchSizes({1000, 2000})) b->Args({n, 0})->Args({n, 1});
}
void HalfSizes(benchmark::internal::Benchmark* b) {
    for (const std::int64_t n : BenchSizes({1000, 2000})) b->Arg(n / 2);
}
void HalfSizesThreads(benchmark::internal::Benchmark* b) {
    for (const std::int64_t n : BenchSizes({1000, 2000})) b->Args({n / 2, 0})->Args({n / 2, 1});
}

BENCHMARK(BM_UPGMABands)->Apply(BandSizes)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_UPGMABandsReference(benchmark::State& state) {
    TDistAnalysis a = BandAnalysis(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        PackedNodes nodes;
        if (!ReferenceUPGMA(a.Reporting(), a.Dist, a.NOTU, &a.OTUNames, nodes)) state.SkipWithError("UPGMA failed");
    }
}
BENCHMARK(BM_UPGMABandsReference)->Apply(BandSizes)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_NJBands(benchmark::State& state) {
    TDistAnalysis a = BandAnalysis(static_cast<std::size_t>(state.range(0)));
    SetThreadCount(static_cast<std::size_t>(state.range(1)));
    for (auto _ : state) {
        if (!a.BuildTree(TreeKind::NJ, "bench")) state.SkipWithError("NJ failed");
    }
    SetThreadCount(0);
}
BENCHMARK(BM_NJBands)->Apply(BandSizesThreads)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_NJBandsReference(benchmark::State& state) {
    TDistAnalysis a = BandAnalysis(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        if (!ReferenceNJ(a, "bench")) state.SkipWithError("NJ failed");
    }
}
BENCHMARK(BM_NJBandsReference)->Apply(BandSizes)->Unit(benchmark::kMillisecond)->UseRealTime();

// The program's default limit and precision; a run that needs more rotations is retried (Yes).
void BM_PCoABands(benchmark::State& state) {
    AnswerYes yes;
    TDistAnalysis a = BandAnalysis(static_cast<std::size_t>(state.range(0)), yes.reporter);
    SetThreadCount(static_cast<std::size_t>(state.range(1)));
    for (auto _ : state) {
        if (!a.PCoA()) state.SkipWithError("PCoA failed");
    }
    SetThreadCount(0);
}
BENCHMARK(BM_PCoABands)->Apply(HalfSizesThreads)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PCoABandsReference(benchmark::State& state) {
    AnswerYes yes;
    TDistAnalysis a = BandAnalysis(static_cast<std::size_t>(state.range(0)), yes.reporter);
    for (auto _ : state) {
        if (!ReferencePCoA(a, kPCoADefaultMaxIterations, kPCoADefaultPrecision)) state.SkipWithError("PCoA failed");
    }
}
BENCHMARK(BM_PCoABandsReference)->Apply(HalfSizes)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
