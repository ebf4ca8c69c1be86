// Consensus trees and the cluster matrix of tree files, reading included: bootstrap-like sets of
// 1000 trees over 1000 OTUs, one 10,000-leaf tree (caterpillar or random, given once or twice) and
// the cluster matrix of one caterpillar of 20,000 or 50,000 leaves. With TESK_TREE_DIR set the
// files are kept there, for bench/peers.sh to hand them to ape.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "trees/cluster_matrix.h"
#include "trees/consensus.h"

namespace {

// Joins the leaves in a mostly fixed order (now and then at random), after a few swaps: the trees
// of a set share most clusters, as bootstrap trees do.
std::string RandomTree(std::mt19937& gen, std::size_t n, std::size_t swaps, std::size_t randomEvery) {
    std::vector<std::string> parts;
    for (std::size_t i = 0; i < n; ++i) parts.push_back("t" + std::to_string(i + 1));
    for (std::size_t s = 0; s < swaps; ++s) {
        const std::size_t i = gen() % (n - 1);
        std::swap(parts[i], parts[i + 1]);
    }
    for (std::size_t step = 0; parts.size() > 1; ++step) {
        const std::size_t at = gen() % randomEvery == 0 ? gen() % (parts.size() - 1) : (step * 7) % (parts.size() - 1);
        parts[at] = "(" + parts[at] + ":0.100000000, " + parts[at + 1] + ":0.200000000)";
        parts.erase(parts.begin() + static_cast<std::ptrdiff_t>(at + 1));
    }
    return parts[0] + "Rep;";
}

std::string Caterpillar(std::size_t n) {
    std::string text(n - 1, '(');
    text += "t1";
    for (std::size_t i = 2; i <= n; ++i) text += ":0.100000000, t" + std::to_string(i) + ":0.100000000)";
    return text + "Cat;";
}

// The file of a benchmark, written once per name.
const std::string& TreeFile(const std::string& name, const std::function<std::string()>& make) {
    static TempDir dir;
    static std::map<std::string, std::string> files;
    auto it = files.find(name);
    if (it != files.end()) return it->second;
    const char* keep = std::getenv("TESK_TREE_DIR");
    const std::string text = make();
    std::string path = dir.Write(name, text);
    if (keep != nullptr && *keep != '\0') {
        std::ofstream out(std::string(keep) + "/" + name, std::ios::binary);
        out << text;
    }
    return files.emplace(name, path).first->second;
}

void RunConsensus(benchmark::State& state, const std::string& file, std::uint32_t threshold) {
    Reporter quiet;
    TTrees trees;
    for (auto _ : state) {
        ConsensusResult result;
        if (!trees.Consensus(quiet, threshold, true, file, result)) state.SkipWithError("consensus failed");
        benchmark::DoNotOptimize(result.Text.data());
    }
}

void BM_MajorityConsensus(benchmark::State& state) {
    const auto nTrees = static_cast<std::size_t>(state.range(0));
    const auto n = static_cast<std::size_t>(state.range(1));
    const std::string name = "majority_" + std::to_string(nTrees) + "x" + std::to_string(n) + ".ph";
    const std::string& file = TreeFile(name, [&] {
        std::mt19937 gen(20240611);
        std::string text;
        for (std::size_t t = 0; t < nTrees; ++t) text += RandomTree(gen, n, 3, 50) + "\r\n";
        return text;
    });
    RunConsensus(state, file, 50);
}
BENCHMARK(BM_MajorityConsensus)->Args({1000, 1000})->Args({100, 1000})->Unit(benchmark::kMillisecond)->UseRealTime();

// range(0): 0 caterpillar, 1 random; range(1): how often the tree is given.
void BM_OneTreeConsensus(benchmark::State& state) {
    const bool random = state.range(0) == 1;
    const auto copies = static_cast<std::size_t>(state.range(1));
    const std::string name =
        std::string(random ? "random" : "caterpillar") + "_10000x" + std::to_string(copies) + ".ph";
    const std::string& file = TreeFile(name, [&] {
        std::mt19937 gen(7);
        const std::string tree = random ? RandomTree(gen, 10000, 0, 1) : Caterpillar(10000);
        std::string text;
        for (std::size_t c = 0; c < copies; ++c) text += tree + "\r\n";
        return text;
    });
    RunConsensus(state, file, 100);
}
BENCHMARK(BM_OneTreeConsensus)
    ->Args({0, 1})
    ->Args({0, 2})
    ->Args({1, 1})
    ->Args({1, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_ClusterMatrix(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    const std::string& file =
        TreeFile("caterpillar_" + std::to_string(n) + ".ph", [&] { return Caterpillar(n) + "\r\n"; });
    Reporter quiet;
    for (auto _ : state) {
        TreeClusterMatrix m;
        if (!Trees2Bin(quiet, file, m)) state.SkipWithError("cluster matrix failed");
        benchmark::DoNotOptimize(m.Matrix.data());
    }
}
BENCHMARK(BM_ClusterMatrix)->Arg(20000)->Arg(50000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
