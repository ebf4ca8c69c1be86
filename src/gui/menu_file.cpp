// The File menu.
#include "gui/count_import_dialog.h"
#include "gui/file_dialogs.h"
#include "gui/file_param_dialog.h"
#include "gui/main_window.h"
#include "gui/menu_commands.h"
#include "shell/consensus_commands.h"
#include "shell/data_commands.h"
#include "shell/global_dataset.h"
#include "shell/reporting.h"
#include "shell/settings.h"
#include "shell/viewer_commands.h"

namespace {

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
    if (!name.empty()) CmdImportDistanceMatrix(name, NegativeDistances::Ask);
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

}  // namespace

MenuCommands FileMenuCommands() {
    return {
        {"Load1", Load1Click},
        {"LoadfromClipboard1", [](TMainPrg&) { CmdLoadFromClipboard(); }},
        {"SaveDataMatrix1", SaveDataMatrix1Click},
        {"ImportDistanceMatrix1", ImportDistanceMatrix1Click},
        {"Importfromcountdata1", Importfromcountdata1Click},
        {"Binarymatrixfromclustersintrees1",
         [](TMainPrg& window) {
             const std::string name =
                 AskOpenFileName(&window, "Select Tree File...", kTreeFilter, "", ConsensusInFileName);
             if (!name.empty()) CmdTreesToBinaryMatrix(name);
         }},
        {"Exit1", [](TMainPrg&) { CmdExit(); }},
    };
}
