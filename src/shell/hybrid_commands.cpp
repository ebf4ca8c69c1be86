#include "shell/hybrid_commands.h"

#include "foundation/random.h"
#include "foundation/text_file.h"
#include "popgen/analyses/hybrid_index.h"
#include "popgen/analyses/pop_alloc.h"
#include "shell/commands.h"
#include "shell/global_dataset.h"
#include "shell/reporting.h"

void CmdMLHybridIndex(std::int32_t parent1, std::int32_t parent2, std::int32_t testGroup, bool rmd, float mdFraction) {
    if (!NeedData()) return;
    TPopGenDataSet& ds = *DataSet;
    if (ds.Groups.size() < 3) {
        ShowError("To use this function, at least 2 groups (populations) must be defined.");
        return;
    }
    const auto chosen = [](std::int32_t g) { return g == -1 ? 1 : g; };
    parent1 = chosen(parent1);
    parent2 = chosen(parent2);
    testGroup = chosen(testGroup);
    if (parent1 == parent2) {
        ShowError("Cannot proceed. Parents selected are identical");
        return;
    }
    const auto group = [&](std::int32_t g) { return g < 0 ? ds.Groups.size() : static_cast<std::size_t>(g); };
    CommandRun run("Calculating ML Hybrid Indices...");
    TMLHybridIndexResults results;
    if (!run.Calculate([&] {
            return MLHybridIndex(ds, group(parent1), group(parent2), group(testGroup), rmd, mdFraction, 1000, 1e-6L,
                                 ProgramRandom(), results);
        }))
        return;
    Ttf report;
    OutputMLHybridIndex(ds.Groups[group(parent1)].Name, ds.Groups[group(parent2)].Name, results.IndNames,
                        results.LocNames, results, true, '\t', report);
    run.Write(ds.OutputFileName, [&](bool append) { return report.SaveToFile(ds.OutputFileName, append); });
}

void CmdMLPopReallocation(const ABool& selection, bool sampleSizeCorrection, Extended minDiff, Extended epsilon,
                          bool rmd, float mdFraction) {
    if (!NeedData()) return;
    TPopGenDataSet& ds = *DataSet;
    CommandRun run("Calculating ML population reallocations");
    const PopAllocOptions options{minDiff, rmd ? static_cast<Extended>(mdFraction) : 0.0L, sampleSizeCorrection,
                                  epsilon};
    TPopAllocResults results;
    if (!run.Calculate([&] { return PopAlloc(ds, selection, options, results) && !results.Best.empty(); })) return;
    run.Write(ds.OutputFileName,
              [&](bool append) { return OutputPopReAlloc2File(ds, selection, results, options, append); });
}
