// The random band data that the benchmarks and bench/peers.sh share: n individuals by `loci`
// loci, each cell present or absent with equal chance, and missing with the given chance. The
// data come from a generator of their own, so they never depend on the program's one.
#pragma once

#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "foundation/packed_matrix.h"
#include "popgen/data/dataset.h"
#include "popgen/distance/distance_matrix.h"

struct BenchBands {
    std::size_t n = 0, loci = 0;
    std::vector<std::uint8_t> cells;  // row-major: cell (i, l) at i * loci + l, 0, 1 or 9
};

inline BenchBands MakeBenchBands(std::size_t n, std::size_t loci, unsigned missingPercent, std::uint64_t seed) {
    BenchBands b{n, loci, std::vector<std::uint8_t>(n * loci)};
    std::uint64_t state = seed;
    const auto next = [&state] {  // splitmix64
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    };
    for (std::uint8_t& cell : b.cells) {
        const std::uint64_t r = next();
        cell = (r % 100) < missingPercent ? kMissing : static_cast<std::uint8_t>((r >> 32) & 1);
    }
    return b;
}

// The data set's current layer (1) holds the bands.
inline void LoadBenchBands(TPopGenDataSet& ds, const BenchBands& b) {
    TDSLayer& l = ds.Layers[1];
    l.NInd = b.n;
    l.NLoci = b.loci;
    l.NCells = b.n * b.loci;
    l.Matrix.assign(l.NCells, 0);
    for (std::size_t i = 0; i < b.n; ++i)
        for (std::size_t loc = 0; loc < b.loci; ++loc) l.Matrix[loc * b.n + i] = b.cells[i * b.loci + loc];
    l.IndNames.clear();
    for (std::size_t i = 1; i <= b.n; ++i) l.IndNames.push_back("I" + std::to_string(i));
    ds.DataLoaded = 1;
    ds.CurLayer = 1;
}

// Jaccard distances (1 - s, Standard treatment) of the bands, as the tree benchmarks and the
// peers use them.
inline PackedMatrix BenchJaccardDistances(const BenchBands& b) {
    TPopGenDataSet ds;
    LoadBenchBands(ds, b);
    CalcDistMatrix(ds, DistRunOptions{}, ProgramRandom());
    return ds.GetCurrLayer().DistMatrix;
}

// The numbers of individuals a band-data benchmark runs: the given ones and TESK_BENCH_N when that
// is set (bench/peers.sh sets it to the size it compares).
inline std::vector<std::int64_t> BenchSizes(std::initializer_list<std::int64_t> sizes) {
    std::vector<std::int64_t> all(sizes);
    if (const char* n = std::getenv("TESK_BENCH_N")) {
        const std::int64_t extra = std::atoll(n);
        if (extra > 0 && std::find(all.begin(), all.end(), extra) == all.end()) all.push_back(extra);
    }
    return all;
}

// The standard sizes of the comparison with the peers.
inline constexpr std::size_t kBenchLoci = 1000;
inline constexpr std::uint64_t kBenchSeedComplete = 1, kBenchSeedMissing = 2;
