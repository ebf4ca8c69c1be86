// Tree building and principal coordinates on random Euclidean distances.
#include <benchmark/benchmark.h>

#include "../tests/trees/tree_test_util.h"
#include "trees/dist_analysis.h"
#include "trees/pcoa.h"

namespace {

constexpr std::size_t kDimensions = 20;

void BM_PCoA(benchmark::State& state) {
    TDistAnalysis a = RandomEuclidean(static_cast<std::size_t>(state.range(0)), kDimensions, 42);
    for (auto _ : state) {
        // A limit high enough that the run never stops to ask.
        if (!a.PCoA(100000000)) state.SkipWithError("PCoA failed");
        benchmark::DoNotOptimize(a.Coords.data());
    }
}
BENCHMARK(BM_PCoA)->Arg(200)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);

// The pivot search alone: the plain search rescans the whole triangle for every rotation.
void BM_Jacobi(benchmark::State& state) {
    const TDistAnalysis a = RandomEuclidean(static_cast<std::size_t>(state.range(0)), kDimensions, 7);
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
    TDistAnalysis a = RandomEuclidean(static_cast<std::size_t>(state.range(0)), kDimensions, 42);
    for (auto _ : state) {
        if (!a.BuildTree(TreeKind::UPGMA, "bench")) state.SkipWithError("UPGMA failed");
        benchmark::DoNotOptimize(a.StoredTree.data());
    }
}
BENCHMARK(BM_UPGMA)->Arg(200)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_NJ(benchmark::State& state) {
    TDistAnalysis a = RandomEuclidean(static_cast<std::size_t>(state.range(0)), kDimensions, 42);
    for (auto _ : state) {
        if (!a.BuildTree(TreeKind::NJ, "bench")) state.SkipWithError("NJ failed");
        benchmark::DoNotOptimize(a.Tree.Nodes.data());
    }
}
BENCHMARK(BM_NJ)->Arg(200)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
