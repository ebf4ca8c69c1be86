// The Replicate Analyses menu.
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>

#include <limits>

#include "foundation/strict_number.h"
#include "gui/main_window.h"
#include "gui/menu_commands.h"
#include "gui/qt_text.h"
#include "gui/query_box.h"
#include "gui/ttest_dialog.h"
#include "shell/global_dataset.h"
#include "shell/r_support_commands.h"
#include "shell/replicate_commands.h"
#include "shell/reporting.h"
#include "shell/settings.h"
#include "shell/shannon_commands.h"
#include "shell/ui_port.h"

namespace {

// The two bootstrap-tree items differ only in the missing-data treatment.
std::function<void(TMainPrg&)> BootstrapTrees(Treatment treatment) {
    return [treatment](TMainPrg&) {
        CmdBootstrapTrees(CodeOf<TreeKind>(DefaultTreeType), treatment, CodeOf<Coefficient>(SimCoefficient),
                          CodeOf<Transformation>(DistTransformation), BSReplicates, NeiLiR, JCRandomDraws);
    };
}

// Shannon's options and the replicates' output of the Replicate Analyses commands, from the settings.
ShannonOptions ShannonSettings() {
    return {.Scale = CodeOf<ShannonScale>(ShannonLogBase),
            .Base = ShannonLogA,
            .PerInd = ShannonFreqMode == 1,
            .ReplaceMissing = RMD == 1,
            .MissingShare = MDReplaceFraction};
}
ShannonReplicateOptions ReplicateSettings() { return {.ToFile = Sh2File == 1, .IncludeZero = ShannonZeroInStats == 1}; }

void BootstrapShannonAtN(TMainPrg&) {
    if (!NeedData()) return;
    std::uint32_t n = 0;
    if (!QueryInteger("Shannon index bootstrapping", "Number of individuals to be sampled", "", "", n)) return;
    if (n == 0 || n > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) {
        ShowError("Invalid input number");
        return;
    }
    CmdBootstrapShannonAtN(static_cast<std::int32_t>(n), ShannonSettings(), SHReplicates, ReplicateSettings());
}

void BootstrapPopulationTree(TMainPrg&) {
    if (!NeedData()) return;
    if (DataSet->Groups.size() < 4) {
        ShowError("To use this function, at least 3 groups (populations) must be defined.");
        return;
    }
    std::uint8_t method = 3;
    if (!AskPopulationDistanceMethod(method)) return;
    CmdBootstrapPopTree(CodeOf<TreeKind>(DefaultTreeType), CodeOf<FreqMethod>(method), PopDistance::Chord, BSReplicates, RMD == 1,
                        MDReplaceFraction);
}

bool Checked(const QCheckBox* box) { return box->isChecked(); }

void ShannonTTests(TMainPrg& window) {
    if (!NeedData()) return;
    TPopGenDataSet& ds = *DataSet;
    if (ds.CurLayer > kWorkingLayer) {
        ShowWarning("Changing Data Layer to AllData.");
        ds.CurLayer = kWorkingLayer;
    }
    if (ds.Groups.size() < 2) {
        ShowError("You need to have a total of at least 2 groups to t-test. ");
        return;
    }
    TtTstDlg& dlg = window.TTestDlg();
    dlg.GroupList->clear();
    for (const TdsFilterRec& g : ds.Groups) {
        auto* item = new QListWidgetItem(ToQt(GroupDisplayName(g.Name)), dlg.GroupList);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(g.Selected == 1 ? Qt::Checked : Qt::Unchecked);
    }
    dlg.SetConfidenceOutput(TTestConfOutput);
    dlg.OutputTBox->setChecked(TTestOutputT == 1);
    dlg.BowmanBox->setChecked(TTestBowman == 1);
    dlg.BootstrapBox->setChecked(TTestBootstrap == 1);
    dlg.OutputShannonBox->setChecked(TTestOutputShannon == 1);
    dlg.LevelEdit->setText(QString::number(TTestAlpha * 100.0, 'g', 15));
    dlg.TTestCancelled = false;
    dlg.exec();
    if (dlg.TTestCancelled) return;

    AByte selection(ds.Groups.size(), 0);
    for (int k = 0; k < dlg.GroupList->count() && static_cast<std::size_t>(k) < selection.size(); ++k)
        selection[static_cast<std::size_t>(k)] = dlg.GroupList->item(k)->checkState() == Qt::Checked ? 1 : 0;
    const int confOutput = dlg.ConfidenceOutput();
    if (confOutput == 0) {
        Extended level = 0.0L;
        if (!ParseStrictFloat(dlg.LevelEdit->text().toStdString(), level)) {
            ShowError("You did not enter a valid number. Try again.");
            return;
        }
        if (level < 0.0L || level > 100.0L) {
            ShowError("Expecting a percentage (0-100). Try again.");
            return;
        }
        TTestAlpha = static_cast<double>(level / 100.0L);
    }
    TTestConfOutput = static_cast<std::uint8_t>(confOutput);
    TTestOutputShannon = Checked(dlg.OutputShannonBox) ? 1 : 0;
    TTestOutputT = Checked(dlg.OutputTBox) ? 1 : 0;
    TTestBowman = Checked(dlg.BowmanBox) ? 1 : 0;
    TTestBootstrap = Checked(dlg.BootstrapBox) ? 1 : 0;
    CmdShannonTTests(selection, ShannonSettings(),
                     {.RemoveMono = true,
                      .Bowman = TTestBowman == 1,
                      .Bootstrap = TTestBootstrap == 1,
                      .Confidence = CodeOf<TTestConfidence>(TTestConfOutput),
                      .OutputShannon = TTestOutputShannon == 1,
                      .OutputT = TTestOutputT == 1,
                      .Replicates = ReplicateSettings()});
}

}  // namespace

MenuCommands ReplicateAnalysesMenuCommands() {
    return {
        {"BootstrapShannonsVariance1",
         [](TMainPrg&) { CmdBootstrapShannon(ShannonSettings(), SHReplicates, ReplicateSettings()); }},
        {"BootstrapShannonsVarianceAtN1", BootstrapShannonAtN},
        {"BootstrapStdTree1", BootstrapTrees(Treatment::Standard)},
        {"MultipleAvgTrees1",
         [](TMainPrg&) {
             CmdMultipleAvgTrees(CodeOf<TreeKind>(DefaultTreeType), CodeOf<Coefficient>(SimCoefficient),
                                 CodeOf<Transformation>(DistTransformation), TRReplicates, NeiLiR, JCRandomDraws);
         }},
        {"BootstrapAvgTrees1", BootstrapTrees(Treatment::Average)},
        {"BootstrapPopulationTree1", BootstrapPopulationTree},
        {"EstimateRsupport1",
         [](TMainPrg&) {
             if (!NeedData()) return;
             if (!UserAgreed(AskUser(
                     "This is a very resource-intensive process (i.e., CPU, time and memory-intensive).\r\nThe "
                     "program will NOT respond to user input until it has completed the calculations.\r\nDo you "
                     "wish to proceed?",
                     "Warning", kQuestionYesNo)))
                 return;
             CmdEstimateRSupport(
                 RFrom, RTo, RPrecision, RMRThreshold, RxThreshold, RStopFraction,
                 {.Inconsistent = ROutputInconsistent == 1, .ConsensusAtR = ROutputConsensusAtR == 1, .Report = true});
         }},
        {"tests1", ShannonTTests},
    };
}
