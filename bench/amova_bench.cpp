// AMOVA of random band data with 999 permutations: 300 individuals (100 loci) in 10 populations of
// 30, at one level and at two (5 groups of 2 populations). bench/amova_ade4.R times ade4::amova
// with randtest on data of the same shape.
#include <benchmark/benchmark.h>

#include <string>

#include "bench_data.h"
#include "foundation/random.h"
#include "popgen/analyses/amova.h"

namespace {

constexpr std::size_t kIndividuals = 300;
constexpr std::size_t kAmovaLoci = 100;
constexpr std::size_t kPopulations = 10;

// Layer 0 and the working copy hold the bands; groups "AllData/G<g>" and "AllData/G<g>/P<p>".
void LoadDesign(TPopGenDataSet& ds) {
    LoadBenchBands(ds, MakeBenchBands(kIndividuals, kAmovaLoci, 0, 0xA30FAull));
    ds.Layers[1].IndMask.assign(kIndividuals, 1);
    ds.Layers[1].LocMask.assign(kAmovaLoci, 1);
    ds.Layers[0] = ds.Layers[1];
    ds.Groups.clear();
    ds.Groups.push_back({"AllData", {}, 0, kIndividuals, AByte(kIndividuals, 1)});
    const std::size_t size = kIndividuals / kPopulations;
    for (std::size_t g = 0; g < kPopulations / 2; ++g) {
        AByte groupMask(kIndividuals, 0);
        for (std::size_t k = 2 * g * size; k < 2 * (g + 1) * size; ++k) groupMask[k] = 1;
        const std::string group = "AllData/G" + std::to_string(g + 1);
        ds.Groups.push_back({group, {}, 0, 2 * size, groupMask});
        for (std::size_t p = 2 * g; p < 2 * g + 2; ++p) {
            AByte mask(kIndividuals, 0);
            for (std::size_t k = p * size; k < (p + 1) * size; ++k) mask[k] = 1;
            ds.Groups.push_back({group + "/P" + std::to_string(p + 1), {}, 0, size, mask});
        }
    }
}

// Level 1 compares the 10 populations: a flat list of them.
void FlattenToPopulations(TPopGenDataSet& ds) {
    TFilterArray flat{ds.Groups[0]};
    for (const TdsFilterRec& g : ds.Groups)
        if (g.Name.find("/P") != std::string::npos) {
            flat.push_back(g);
            flat.back().Name = "AllData/" + g.Name.substr(g.Name.rfind('/') + 1);
        }
    ds.Groups = flat;
}

void Run(benchmark::State& state, std::uint8_t level) {
    TPopGenDataSet ds;
    LoadDesign(ds);
    if (level == 1) FlattenToPopulations(ds);
    AmovaOptions options;
    options.Level = level;
    options.Transform = Transformation::SqrtOneMinusS;
    options.Permutations = 999;
    for (auto _ : state) {
        RandSeed = 1;
        Transformation applied = options.Transform;
        if (!AMOVA(ds, options, ProgramRandom(), applied)) state.SkipWithError("AMOVA failed");
        benchmark::DoNotOptimize(ds.GetCurrLayer().Amova.get());
    }
}

void BM_AmovaOneLevel(benchmark::State& state) { Run(state, 1); }
void BM_AmovaTwoLevels(benchmark::State& state) { Run(state, 2); }

BENCHMARK(BM_AmovaOneLevel)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_AmovaTwoLevels)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
