// The Analysis menu.
#include "gui/menu_commands.h"
#include "shell/analysis_commands.h"
#include "shell/settings.h"
#include "shell/shannon_commands.h"

namespace {

// The similarity items differ only in the missing-data treatment.
std::function<void(TMainPrg&)> CalculateMatrix(Treatment treatment) {
    return [treatment](TMainPrg&) {
        CmdCalculateMatrix(treatment, CodeOf<Coefficient>(SimCoefficient), CodeOf<Transformation>(DistTransformation),
                           NeiLiR, JCRandomDraws, SimOutput == 1, DistOutput == 1);
    };
}

}  // namespace

MenuCommands AnalysisMenuCommands() {
    return {
        {"StandardSimilarity1", CalculateMatrix(Treatment::Standard)},
        {"MinimumSimilarity1", CalculateMatrix(Treatment::Minimum)},
        {"MaximumSimilarity1", CalculateMatrix(Treatment::Maximum)},
        {"AverageSimilarity1", CalculateMatrix(Treatment::Average)},
        {"ShannonsIndex1",
         [](TMainPrg&) {
             CmdShannonIndex(ShannonLogBase, ShannonFreqMode, PreferredRoundMode, ShannonLogA, BatchAnswer);
         }},
    };
}
