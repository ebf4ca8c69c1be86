// The Analysis menu.
#include "gui/hybrid_index_dialog.h"
#include "gui/main_window.h"
#include "gui/menu_commands.h"
#include "gui/qt_text.h"
#include "gui/query_box.h"
#include "shell/analysis_commands.h"
#include "shell/global_dataset.h"
#include "shell/hybrid_commands.h"
#include "shell/reporting.h"
#include "shell/settings.h"

#include <QComboBox>

namespace {

// The similarity items differ only in the missing-data treatment.
std::function<void(TMainPrg&)> CalculateMatrix(Treatment treatment) {
    return [treatment](TMainPrg&) {
        CmdCalculateMatrix(treatment, CodeOf<Coefficient>(SimCoefficient), CodeOf<Transformation>(DistTransformation),
                           NeiLiR, JCRandomDraws, SimOutput == 1, DistOutput == 1);
    };
}

// The parents and the tested group, each chosen from every group with group 1 offered first.
void N9Click(TMainPrg& window) {
    if (!DataAvailable(1, 0, 1)) return;
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
    dialog.HinExpCancelled = 0;
    dialog.exec();
    if (dialog.HinExpCancelled == 1) return;
    CmdMLHybridIndex(dialog.HinExpParent1, dialog.HinExpParent2, dialog.HinExpTested, RMD == 1, MDReplaceFraction);
}

// Every group but "AllData" ticked to begin with.
void MLPopulationReallocation1Click(TMainPrg&) {
    if (!DataAvailable(1, 0, 1)) return;
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

MenuCommands AnalysisMenuCommands() {
    return {
        {"StandardSimilarity1", CalculateMatrix(Treatment::Standard)},
        {"MinimumSimilarity1", CalculateMatrix(Treatment::Minimum)},
        {"MaximumSimilarity1", CalculateMatrix(Treatment::Maximum)},
        {"AverageSimilarity1", CalculateMatrix(Treatment::Average)},
        {"N9", N9Click},
        {"MLPopulationReallocation1", MLPopulationReallocation1Click},
    };
}
