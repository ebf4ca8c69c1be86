#include "gui/menu_commands.h"

#include <functional>
#include <utility>
#include <vector>

#include "gui/count_import_dialog.h"
#include "gui/file_dialogs.h"
#include "gui/file_param_dialog.h"
#include "gui/main_window.h"
#include "shell/analysis_commands.h"
#include "shell/data_commands.h"
#include "shell/global_dataset.h"
#include "shell/reporting.h"
#include "shell/settings.h"
#include "shell/tree_commands.h"
#include "shell/viewer_commands.h"

namespace {

using Handler = std::function<void(TMainPrg&)>;

// The similarity items differ only in the missing-data treatment.
Handler CalculateMatrix(std::uint8_t treatment) {
    return [treatment](TMainPrg&) {
        CmdCalculateMatrix(treatment, SimCoefficient, DistTransformation, NeiLiR, JCRandomDraws, SimOutput,
                           DistOutput);
    };
}

// The Load dialog starts in the folder of the last input (the program's folder before any).
const std::string& InputFolder() { return InputDir.empty() ? AppPath : InputDir; }

void Load1Click(TMainPrg& window) {
    const std::string name = AskOpenFileName(&window, "Open", kTextFilter, InputFolder(), InputFileName);
    if (name.empty()) return;
    InputFileName = name;
    CmdLoadInputFile(name);
}

void SaveDataMatrix1Click(TMainPrg& window) {
    if (!DataSet) {
        ShowError("No data loaded");
        return;
    }
    const std::string name = AskSaveFileName(&window, "", kTextFilter, AppPath, "datafile.txt", true, "txt");
    if (name.empty()) return;
    // The layout to write it in; "Ambiguity negative" is offered only here.
    if (EditFileParams(window.FileParamDialog(), true)) return;
    CmdSaveDataMatrix(name);
}

void ImportDistanceMatrix1Click(TMainPrg& window) {
    const std::string name = AskOpenFileName(&window, "Open", kTextFilter, "", "");
    if (!name.empty()) CmdImportDistanceMatrix(name, 0);
}

void Importfromcountdata1Click(TMainPrg& window) {
    const std::string name = AskOpenFileName(
        &window, "Import from count data",
        "Tab-separated values file (*.tab; *.tsv)|*.tab;*.tsv|Text Files (*.txt)|*.txt|All Files (*.*)|*.*",
        InputFolder(), InputFileName);
    if (name.empty()) return;
    InputFileName = name;
    TCntDataImportForm& form = window.CntDataImportForm();
    form.SetUp(CountMissingToken, CountAbsenceMax, CountPresenceMin);
    form.exec();
    if (form.CountImportCancelled == 1) return;
    CmdImportCountData(name, CountAbsenceMax, CountPresenceMin, CountMissingToken);
}

// One row per menu item that works: the item's object name (see the menu tree in main_window.cpp)
// and its handler, which checks the item's precondition, asks for what the command needs and calls
// the command routine with the settings as arguments. Items without a row stay disabled.
std::vector<std::pair<const char*, Handler>> MenuCommandTable() {
    return {
        {"Load1", Load1Click},
        {"LoadfromClipboard1", [](TMainPrg&) { CmdLoadFromClipboard(); }},
        {"SaveDataMatrix1", SaveDataMatrix1Click},
        {"ImportDistanceMatrix1", ImportDistanceMatrix1Click},
        {"Importfromcountdata1", Importfromcountdata1Click},
        {"Exit1", [](TMainPrg&) { CmdExit(); }},

        {"RestoreOriginalMatrix1", [](TMainPrg&) { CmdRestoreOriginalMatrix(); }},
        {"MatrixStatistics1", [](TMainPrg&) { CmdMatrixStatistics(1, 0); }},

        {"StandardSimilarity1", CalculateMatrix(0)},
        {"MinimumSimilarity1", CalculateMatrix(1)},
        {"MaximumSimilarity1", CalculateMatrix(2)},
        {"AverageSimilarity1", CalculateMatrix(3)},

        {"UPGMA1", [](TMainPrg&) { CmdBuildUPGMA(); }},
        {"NeighbourJoining1", [](TMainPrg&) { CmdBuildNJ(); }},
        {"PrincipalCoordinateAnalysis1", [](TMainPrg&) { CmdPCoA(PCoACentroids); }},

        {"InputFile1", [](TMainPrg&) { CmdViewInputFile(); }},
        {"AnalysisFile1", [](TMainPrg&) { CmdViewAnalysisFile(); }},
        {"TreeFile1", [](TMainPrg&) { CmdViewTreeFile(); }},
        {"LogFile1", [](TMainPrg&) { CmdViewLogFile(); }},
    };
}

}  // namespace

void ConnectMenuCommands(TMainPrg& window) {
    for (auto& [name, handler] : MenuCommandTable())
        window.ConnectCommand(QString::fromLatin1(name), [&window, handler = std::move(handler)] { handler(window); });
}

QStringList MenuCommandNames() {
    QStringList names;
    for (const auto& row : MenuCommandTable()) names << QString::fromLatin1(row.first);
    return names;
}
