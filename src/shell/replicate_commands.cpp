#include "shell/replicate_commands.h"

#include <string>

#include "shell/commands.h"
#include "shell/global_dataset.h"
#include "shell/message_area.h"
#include "shell/reporting.h"
#include "shell/settings.h"
#include "trees/tree_series.h"

namespace {

std::size_t Count(std::int32_t n) { return n > 0 ? static_cast<std::size_t>(n) : 0; }

// Runs a series under the command's progress line and adds its trees to the tree output file.
void TreeSeriesCommand(const std::string& progress, const std::function<bool(AString&)>& series) {
    CommandRun run(progress);
    AString trees;
    if (!run.Calculate([&] { return series(trees) && !trees.empty(); })) return;
    std::string text;
    for (const std::string& tree : trees) {
        text += tree;
        text += "\r\n";
    }
    trees.clear();
    if (run.Write(TreeFileName, [&](bool append) { return SaveTextToFile(TreeFileName, text, append); }))
        SetStatusTrees(TreeFileName);
}

}  // namespace

void CmdBootstrapTrees(TreeKind treeType, Treatment treatment, Coefficient coefficient, Transformation transformation,
                       std::int32_t replicates, Extended neiLiR, std::int32_t jcRandomDraws) {
    if (!NeedData()) return;
    const TreeSeriesOptions options{
        treeType, treatment, coefficient, transformation, neiLiR, Count(jcRandomDraws), Count(replicates)};
    TreeSeriesCommand(
        "Bootstrapping " + SimMethodToStr(true, treatment, coefficient) + " " + CoeffToStr(coefficient) + " trees...",
        [&](AString& trees) { return BsTrees(*DataSet, options, ProgramRandom(), trees); });
}

void CmdMultipleAvgTrees(TreeKind treeType, Coefficient coefficient, Transformation transformation,
                         std::int32_t replicates, Extended neiLiR, std::int32_t jcRandomDraws) {
    if (!NeedData()) return;
    const TreeSeriesOptions options{treeType, Treatment::Average,   coefficient,      transformation,
                                    neiLiR,   Count(jcRandomDraws), Count(replicates)};
    TreeSeriesCommand("Generating Multiple Average " + CoeffToStr(coefficient) + " trees...",
                      [&](AString& trees) { return MultiAvgTrees(*DataSet, options, ProgramRandom(), trees); });
}

void CmdBootstrapPopTree(TreeKind treeType, FreqMethod method, PopDistance measure, std::int32_t replicates, bool rmd,
                         float mdFraction) {
    if (!NeedData()) return;
    if (DataSet->Groups.size() < 4) {
        ShowError("To use this function, at least 3 groups (populations) must be defined.");
        return;
    }
    const std::string methodName = AlleleFreqHeadingName(method);
    PopTreeOptions options;
    options.Kind = treeType;
    options.Method = method;
    options.Measure = measure;
    options.UseMissing = rmd;
    options.MissingShare = mdFraction;
    options.Correction = CorrFactor;
    options.NTrees = Count(replicates);
    TreeSeriesCommand("Bootstrapping chord population distance (" + methodName + ") tree...",
                      [&](AString& trees) { return BsPopTrees(*DataSet, options, ProgramRandom(), trees); });
}
