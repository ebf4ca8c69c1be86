// The Analysis menu.
#include "gui/hybrid_index_dialog.h"
#include "gui/main_window.h"
#include "gui/menu_commands.h"
#include "gui/qt_text.h"
#include "gui/query_box.h"
#include "popgen/data/group_levels.h"
#include "shell/analysis_commands.h"
#include "shell/global_dataset.h"
#include "shell/hybrid_commands.h"
#include "shell/population_commands.h"
#include "shell/reporting.h"
#include "shell/settings.h"
#include "shell/shannon_commands.h"
#include "shell/ui_port.h"

#include <QComboBox>

namespace {

// The similarity items differ only in the missing-data treatment.
std::function<void(TMainPrg&)> CalculateMatrix(Treatment treatment) {
    return [treatment](TMainPrg&) {
        CmdCalculateMatrix(treatment, CodeOf<Coefficient>(SimCoefficient), CodeOf<Transformation>(DistTransformation),
                           NeiLiR, JCRandomDraws, SimOutput == 1, DistOutput == 1);
    };
}

// ---- population genetics ----------------------------------------------------------------------

std::function<void(TMainPrg&)> EstimateAlleleFreq(FreqMethod method) {
    return [method](TMainPrg&) { CmdEstimateAlleleFreq(method, RMD == 1, MDReplaceFraction); };
}

void AMOVA1Click(TMainPrg&) {
    if (!NeedData()) return;
    const std::size_t levels = GroupLevels(*DataSet);
    if (levels < 2) {
        ShowError("Groups must be defined for AMOVA");
        return;
    }
    if (!UserAgreed(
            AskUser("Please make sure that all individuals in your data matrix are actually\r\npartitioned into "
                    "appropriate groups at all levels and that no individuals\r\nare left out. Otherwise, the AMOVA "
                    "calculations will be meaningless.\r\n\r\n\r\nDo you wish to proceed?",
                    "Caution", kQuestionYesNo)))
        return;
    std::uint8_t amovaLevels = 1;
    if (levels > 2) {
        // Both answers run an AMOVA; a closed box chose neither.
        const int answer = AskUser(
            "Do you wish to the the first level of hierarchical structure only?\r\nAlternatively, [clicking "
            "no], the first two levels will be used.",
            "AMOVA", kQuestionYesNo);
        if (!UserChose(answer)) return;
        if (answer == kAnswerNo) amovaLevels = 2;
    }
    if (AmovaRandomisations != 0 &&
        !UserAgreed(
            AskUser("CAUTION!!!\r\n\r\nYou have selected AMOVA with randomisations.\r\nPlease note that this feature "
                    "has NOT been thoroughly tested (and is slow)!\r\nCheck whether your results make sense and/or "
                    "compare with other software.\r\nPlease report any problems you might find.\r\n\r\nDo you wish to "
                    "continue?",
                    "Caution -- AMOVA Randomisations", kQuestionYesNo)))
        return;
    CmdAMOVA(amovaLevels, CodeOf<Treatment>(AmovaSimMethod), CodeOf<Coefficient>(SimCoefficient),
             CodeOf<Transformation>(DistTransformation), NeiLiR, JCRandomDraws, AmovaRandomisations, LocByLoc == 1);
}

void PairwisePhiST1Click(TMainPrg&) {
    CmdPairwisePhiST(CodeOf<Treatment>(AmovaSimMethod), CodeOf<Coefficient>(SimCoefficient),
                     CodeOf<Transformation>(DistTransformation), NeiLiR, JCRandomDraws, RMD == 1, MDReplaceFraction);
}

void PopulationDistance1Click(TMainPrg&) {
    if (!NeedData()) return;
    std::uint8_t method = 3;
    if (!AskPopulationDistanceMethod(method)) return;
    CmdPopulationDistance(PopDistance::Chord, CodeOf<FreqMethod>(method), RMD == 1, MDReplaceFraction, DistOutput == 1);
}

// The parents and the tested group, each chosen from every group with group 1 offered first.
void N9Click(TMainPrg& window) {
    if (!NeedData()) return;
    if (DataSet->Groups.size() < 3) {
        ShowError("At least two groups must be defined to use this feature");
        return;
    }
    THinExpFilt& dialog = window.HinExpFilt();
    for (QComboBox* box : {dialog.Parent1Box, dialog.Parent2Box, dialog.TestedBox}) {
        box->clear();
        for (const TdsFilterRec& group : DataSet->Groups) box->addItem(ToQt(GroupDisplayName(group.Name)));
        box->setCurrentIndex(1);
    }
    dialog.HinExpCancelled = false;
    dialog.exec();
    if (dialog.HinExpCancelled) return;
    CmdMLHybridIndex(dialog.HinExpParent1, dialog.HinExpParent2, dialog.HinExpTested, RMD == 1, MDReplaceFraction);
}

// Every group but "AllData" ticked to begin with.
void MLPopulationReallocation1Click(TMainPrg&) {
    if (!NeedData()) return;
    AString names;
    for (const TdsFilterRec& group : DataSet->Groups) names.push_back(LastPathPart(group.Name));
    ABool ticks(names.size(), 1);
    ticks[0] = 0;
    if (!QueryCheckList("Population (Re-)Allocation", "Please select the groups (populations) that individuals may",
                        "be assigned to", names, ticks))
        return;
    CmdMLPopReallocation(ticks, SampleSizeCorrection == 1, MLDThreshold, Epsilon, RMD == 1, MDReplaceFraction);
}

}  // namespace

bool AskPopulationDistanceMethod(std::uint8_t& method) {
    if (!UserAgreed(AskUser("Generating a distance matrix using this function will make the data matrix in memory "
                            "unusable.\r\nIf you still need it, you will have to restore your original data matrix "
                            "afterwards.\r\n\r\nDo you with to proceed?",
                            "Population distance", kQuestionYesNo)))
        return false;
    const AString items(AlleleFreqMethodNames.begin(), AlleleFreqMethodNames.end());
    std::int32_t chosen = 3;
    if (!QueryComboIndexWide("Population distance", "Allele frequencies have to be estimated.", "",
                             "Please select your preferred estimation method from the box.", items, chosen))
        return false;
    method = chosen < 0 ? 3 : static_cast<std::uint8_t>(chosen);
    return true;
}

MenuCommands AnalysisMenuCommands() {
    return {
        {"StandardSimilarity1", CalculateMatrix(Treatment::Standard)},
        {"MinimumSimilarity1", CalculateMatrix(Treatment::Minimum)},
        {"MaximumSimilarity1", CalculateMatrix(Treatment::Maximum)},
        {"AverageSimilarity1", CalculateMatrix(Treatment::Average)},
        {"Squareroot1", EstimateAlleleFreq(FreqMethod::SquareRoot)},
        {"LynchMilligan1", EstimateAlleleFreq(FreqMethod::LynchMilligan)},
        {"BayesianUniform1", EstimateAlleleFreq(FreqMethod::Bayesian)},
        {"BayesianAmongPopulation1", EstimateAlleleFreq(FreqMethod::BayesianAmongPopulations)},
        {"BayesianAmongLocus1", EstimateAlleleFreq(FreqMethod::BayesianAmongLoci)},
        {"N9", N9Click},
        {"MLPopulationReallocation1", MLPopulationReallocation1Click},
        {"ShannonsIndex1",
         [](TMainPrg&) {
             CmdShannonIndex(
                 {.Scale = CodeOf<ShannonScale>(ShannonLogBase), .Base = ShannonLogA, .PerInd = ShannonFreqMode == 1},
                 PreferredRoundMode, BatchAnswer);
         }},
        {"AMOVA1", AMOVA1Click},
        {"PairwisePhiST1", PairwisePhiST1Click},
        {"PopulationDistance1", PopulationDistance1Click},
    };
}
