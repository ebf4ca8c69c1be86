// The DataMatrix menu.
#include <string>

#include "foundation/number_text.h"
#include "foundation/strict_number.h"
#include "gui/menu_commands.h"
#include "gui/qt_text.h"
#include "gui/query_box.h"
#include "shell/data_commands.h"
#include "shell/dialog_commands.h"
#include "shell/filter_commands.h"
#include "shell/global_dataset.h"
#include "shell/reporting.h"
#include "shell/resample_commands.h"
#include "shell/settings.h"
#include "shell/statistics_commands.h"
#include "shell/ui_port.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>

namespace {

bool HaveData() { return NeedData(); }

// The shared threshold query of the removal items: the setting (a fraction) is offered in per
// cent; an entry that is not a number from 0 to 100 is refused and asked again, Cancel stops. The
// accepted value goes back into the setting, so it is the next default. True: go on.
bool AskRemovalThreshold(const std::string& prompt, Extended& setting) {
    Extended percent = setting * 100.0L;
    for (;;) {
        TQBox form(QApplication::activeWindow());
        form.SetTexts("Data removal...", prompt, {}, {});
        form.Edit1->setText(ToQt(ExtToStrF(percent, 2, 2)));
        form.Edit1->selectAll();
        form.Edit1->show();
        form.Label4->setText(QStringLiteral("%"));
        form.Label4->show();
        form.exec();
        if (form.Cancelled()) return false;
        Extended entered = 0.0L;
        if (ParseStrictFloat(FromQt(form.Edit1->text()), entered) && entered >= 0.0L && entered <= 100.0L) {
            setting = entered / 100.0L;
            return true;
        }
        ShowError("Invalid input. Please try again!");
    }
}

// A removal item with a threshold: data check, the query, then the command with the setting.
std::function<void(TMainPrg&)> RemoveWithThreshold(const char* prompt, Extended& setting,
                                                   void (*command)(bool, Extended)) {
    return [prompt, &setting, command](TMainPrg&) {
        if (!HaveData()) return;
        if (!AskRemovalThreshold(prompt, setting)) return;
        command(true, setting);
    };
}

std::function<void(TMainPrg&)> RemoveWithoutThreshold(void (*command)(bool), bool checkData) {
    return [command, checkData](TMainPrg&) {
        if (checkData && !HaveData()) return;
        command(true);
    };
}

void FrequenciesperLoci1Click(TMainPrg&) {
    if (!HaveData()) return;
    const int answer = AskUser(
        "Should frequencies be calulated per locus?\r\nFrq(locus) = presences(locus)/#individuals\r\n\r\nThe "
        "alternative (Clicking No) is default for Shannon's index and its variance and is: \r\nFrq(locus) = "
        "presences(locus)/presences(datamatrix)",
        "Frequency Calculation Mode", kQuestionYesNo);
    if (!UserChose(answer)) return;
    ShannonFreqMode = answer == kAnswerYes ? 1 : 0;
    CmdFreqPerLocus();
}

}  // namespace

MenuCommands DataMatrixMenuCommands() {
    return {
        {"RestoreOriginalMatrix1", [](TMainPrg&) { CmdRestoreOriginalMatrix(); }},
        {"MatrixStatistics1", [](TMainPrg&) { CmdMatrixStatistics({.Display = true}); }},
        {"MissingDataStatistics1", [](TMainPrg&) { CmdMissingDataStats(); }},
        {"MeanNumberofBandsPerIndividual1", [](TMainPrg&) { CmdMeanBands(); }},
        {"PolymorphicBands1", [](TMainPrg&) { CmdPolymorphicBands(); }},
        {"FixedBands1", [](TMainPrg&) { CmdFixedBands(); }},
        {"PrivateBands1", [](TMainPrg&) { CmdPrivateBands(); }},
        {"FixedPrivateBands1", [](TMainPrg&) { CmdFixedPrivateBands(); }},
        {"FrequenciesperIndividuals1",
         [](TMainPrg&) {
             if (HaveData()) CmdFreqPerIndividual();
         }},
        {"FrequenciesperLoci1", FrequenciesperLoci1Click},
        {"ReplaceMissingData1", [](TMainPrg&) { CmdReplaceMissingData(static_cast<Extended>(MDReplaceFraction)); }},
        {"ResampleLoci1", [](TMainPrg&) { CmdResampleLoci(); }},
        {"RemoveIndivMissing1",
         RemoveWithThreshold("Remove individuals with more than x% missing data:", MaxMDPerInd, CmdRemoveIndivMissing)},
        {"RemoveIndivFreqBelow1",
         RemoveWithThreshold("Remove individuals with band frequency below", MinIndBandFreq, CmdRemoveIndivFreqBelow)},
        {"RemoveIndivFreqAbove1",
         RemoveWithThreshold("Remove individuals with band frequency above", MaxIndBandFreq, CmdRemoveIndivFreqAbove)},
        {"RemoveLociMissing1",
         RemoveWithThreshold("Remove loci with more than x% missing data:", MaxMDPerLoc, CmdRemoveLociMissing)},
        {"RemoveMonomorphic1", RemoveWithoutThreshold(CmdRemoveMonomorphic, true)},
        {"RemoveMonoAbsences1", RemoveWithoutThreshold(CmdRemoveMonoAbsences, true)},
        {"RemoveMonoPresences1", RemoveWithoutThreshold(CmdRemoveMonoPresences, true)},
        {"RemoveLociFreqBelow1",
         RemoveWithThreshold("Remove loci with a band frequency less than", MinLocBandFreq, CmdRemoveLociFreqBelow)},
        {"RemoveLociFreqAbove1",
         RemoveWithThreshold("Remove loci with a band frequency greater than", MaxLocBandFreq, CmdRemoveLociFreqAbove)},
        {"RemoveLociMoreMissing1", RemoveWithoutThreshold(CmdRemoveLociMoreMissing, false)},
        {"PairwiseIndividualComparison1", [](TMainPrg&) { CmdPairwiseComparison(); }},
        {"GroupManager1", [](TMainPrg&) { CmdGroupManager(); }},
        // The designed first items of the quick-selection submenus; the others are made per data set.
        {"AllData1",
         [](TMainPrg&) {
             if (DataSet) CmdSelectGroup(0);
         }},
        {"AllLoci1",
         [](TMainPrg&) {
             if (DataSet) CmdSelectLocusSet(0);
         }},
        {"AdditiveBandProfile1", [](TMainPrg&) { CmdAdditiveBandProfile(true); }},
        {"FixedBandProfile1", [](TMainPrg&) { CmdFixedBandProfile(true); }},
    };
}
