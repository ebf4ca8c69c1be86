// The File menu.
#include <QComboBox>

#include <cstdint>
#include <string>

#include "foundation/strict_number.h"
#include "gui/count_import_dialog.h"
#include "gui/file_dialogs.h"
#include "gui/file_param_dialog.h"
#include "gui/hybrid_index_dialog.h"
#include "gui/main_window.h"
#include "gui/menu_commands.h"
#include "gui/qt_text.h"
#include "gui/query_box.h"
#include "shell/consensus_commands.h"
#include "shell/data_commands.h"
#include "shell/export_commands.h"
#include "shell/file_name_commands.h"
#include "shell/global_dataset.h"
#include "shell/program_files.h"
#include "shell/reporting.h"
#include "shell/settings.h"
#include "shell/ui_port.h"
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
    const std::string name = AskSaveFileName(&window, "", kTextFilter, WorkingFolder(), "datafile.txt", true, "txt");
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
    if (form.CountImportCancelled) return;
    CmdImportCountData(name, CountAbsenceMax, CountPresenceMin, CountMissingToken);
}

// ---- Select File Names and logging ----

void SelectAnalysisOutputFile1Click(TMainPrg& window) {
    const std::string name = AskSaveFileName(&window, "", kTextFilter, WorkingFolder(), "analysis.txt", false, "txt");
    if (!name.empty()) CmdSetAnalysisFile(name);
}

void SelectTreeOutputFile1Click(TMainPrg& window) {
    const std::string name =
        AskSaveFileName(&window, "", "Phylip/Newick Tree File (*.ph)|*.ph", WorkingFolder(), "outtree.ph", false, "ph");
    if (!name.empty()) CmdSetTreeFile(name);
}

void SelectConsensusTreeInputFile1Click(TMainPrg& window) {
    const std::string name = AskOpenFileName(&window, "Select Consensus Input Tree File...", kTreeFilter,
                                             WorkingFolder(), ConsensusInFileName);
    if (!name.empty()) CmdSetConsensusInFile(name);
}

void SelectConsensusTreeOutputFile1Click(TMainPrg& window) {
    const std::string name = AskSaveFileName(&window, "Select Consensus Tree Output File...", kTreeFilter,
                                             WorkingFolder(), ConsensusOutFileName, false);
    if (!name.empty()) CmdSetConsensusOutFile(name);
}

void SelectLogFile1Click(TMainPrg& window) {
    if (LogOn == 1) {
        ShowError("You cannot change the log file while logging to that file is enabled!");
        return;
    }
    const std::string name =
        AskSaveFileName(&window, "Select Log File...", kTextFilter, WorkingFolder(), LogFileName, false);
    if (!name.empty()) CmdSetLogFile(name);
}

// ---- Export ----

constexpr const char* kNexusFilter = "Nexus Files (*.nex)|*.nex|All Files (*.*)|*.*";
constexpr const char* kExportTitle = "Select File To Export To...";

// The general save dialog of the exports; empty when cancelled.
std::string AskExportFile(TMainPrg& window, const std::string& title, std::string_view filter,
                          const std::string& defaultName, const std::string& folder = WorkingFolder()) {
    return AskSaveFileName(&window, title, filter, folder, defaultName, false);
}

// An export that needs nothing but data and a file name.
MenuCommand FileExport(const char* item, const char* defaultName, const char* filter, const char* title,
                       void (*command)(const std::string&)) {
    return {item, [=](TMainPrg& window) {
                if (!NeedData()) return;
                const std::string name = AskExportFile(window, title, filter, defaultName);
                if (!name.empty()) command(name);
            }};
}

AString GroupDisplayNames() {
    AString names;
    for (const TdsFilterRec& group : DataSet->Groups) names.push_back(GroupDisplayName(group.Name));
    return names;
}

void Nexus1Click(TMainPrg& window) {
    if (!NeedData()) return;
    const std::string name = AskExportFile(window, kExportTitle, kNexusFilter, "export.nex");
    if (!name.empty()) CmdExportNexus(name, PresenceChar, AmbiguityChar, AbsenceChar);
}

void ArlequinProject1Click(TMainPrg& window) {
    if (!NeedData()) return;
    const std::string name = AskExportFile(window, "Select File To Export Arlequin Data To...",
                                           "Arlequin Project Files (*.arp)|*.arp|All Files (*.*)|*.*", "export.arp");
    if (!name.empty()) CmdExportArlequin(name, AmbiguityChar);
}

void AFLPop1Click(TMainPrg& window) {
    if (!NeedData()) return;
    const std::string name = AskExportFile(window, "Select Base File Name For Export ...", kTextFilter, "aflpop_.txt");
    if (!name.empty()) CmdExportAFLPOP(name, MDReplaceFraction);
}

void Phylipdistancematrix1Click(TMainPrg& window) {
    if (!DataSet || DataSet->GetCurrLayer().DistMatrix.empty()) {
        ShowError("No (dis)similarity matrix in memory.");
        return;
    }
    const std::string name = AskExportFile(window, kExportTitle, kTextFilter, "dist.txt", InputDir);
    if (!name.empty()) CmdExportPhylipDist(name);
}

void hindex1Click(TMainPrg& window) {
    if (!NeedData()) return;
    if (!HasGroups(2)) {
        ShowError("At least 2 groups must be defined to use this feature!");
        return;
    }
    const std::string name =
        AskExportFile(window, "Select Base File Name To Export Hindex Data To...", kTextFilter, "export_hindex.txt");
    if (name.empty()) return;
    THinExpFilt& dialog = window.HinExpFilt();
    const AString groups = GroupDisplayNames();
    for (QComboBox* box : {dialog.Parent1Box, dialog.Parent2Box, dialog.TestedBox}) {
        box->clear();
        for (const std::string& group : groups) box->addItem(ToQt(group));
        box->setCurrentIndex(1);
    }
    dialog.HinExpCancelled = false;
    dialog.exec();
    if (dialog.HinExpCancelled) return;
    CmdExportHindex(name, dialog.HinExpParent1, dialog.HinExpParent2, dialog.HinExpTested, MDReplaceFraction);
}

// The ploidy, asked until it is a number from 1 to 255. Cancel keeps the number in the field, or
// ends the export (false) when the field holds none.
bool AskPloidy(std::uint8_t& ploidy) {
    std::string value = "2";
    std::string errorLine;
    for (;;) {
        const bool confirmed =
            QueryString("Export to Structure", "What is the ploidy level for your data?", errorLine, "", value);
        std::int64_t number = 0;
        const bool valid = ParseStrictInteger(value, number) && number >= 1 && number <= 255;
        if (valid) ploidy = static_cast<std::uint8_t>(number);
        if (!confirmed) return valid;
        if (valid) return true;
        errorLine = "Error: Expecting a number (1-255) !!!";
    }
}

void Structure1Click(TMainPrg& window) {
    if (!NeedData()) return;
    const std::string name = AskExportFile(window, kExportTitle, kTextFilter, "export_structure.txt");
    if (name.empty()) return;
    std::uint8_t ploidy = 2;
    if (!AskPloidy(ploidy)) return;
    bool withPopulation = false;
    if (DataSet->Groups.size() >= 2)
        withPopulation =
            UserAgreed(MsgBox("Should TESK try to encode group information for use as PopData field in Structure?",
                              "Export to structure", kQuestionYesNo));
    CmdExportStructure(name, withPopulation, ploidy);
}

// Dfdist and BayeScan: the groups to export, ticked in a check list.
void GroupCountExport(TMainPrg& window, const char* defaultName,
                      void (*command)(const std::string&, const AByte&, bool, float, std::uint8_t)) {
    if (!NeedData()) return;
    if (DataSet->Groups.size() < 2) {
        ShowError("At least 2 groups must be defined to use this feature!");
        return;
    }
    const std::string name = AskExportFile(window, kExportTitle, kTextFilter, defaultName);
    if (name.empty()) return;
    const AString groups = GroupDisplayNames();
    ABool ticked(groups.size(), 0);
    if (!QueryCheckList("Export to DfDist format", "Please select the groups (populations) you wish to export", "",
                        groups, ticked))
        return;
    command(name, ticked, RMD == 1, MDReplaceFraction, PreferredRoundMode);
}

}  // namespace

MenuCommands FileMenuCommands() {
    return {
        {"Load1", Load1Click},
        {"LoadfromClipboard1", [](TMainPrg&) { CmdLoadFromClipboard(); }},
        {"SaveDataMatrix1", SaveDataMatrix1Click},
        {"ImportDistanceMatrix1", ImportDistanceMatrix1Click},
        {"Importfromcountdata1", Importfromcountdata1Click},
        {"SelectAnalysisOutputFile1", SelectAnalysisOutputFile1Click},
        {"SelectTreeOutputFile1", SelectTreeOutputFile1Click},
        {"SelectConsensusTreeInputFile1", SelectConsensusTreeInputFile1Click},
        {"SelectConsensusTreeOutputFile1", SelectConsensusTreeOutputFile1Click},
        {"SelectLogFile1", SelectLogFile1Click},
        {"Nexus1", Nexus1Click},
        {"ArlequinProject1", ArlequinProject1Click},
        FileExport("TabdelimitedtextR1", "export_R.tsv", "Tab-delimited text file  (*.tsv)|*.tsv|All Files (*.*)|*.*",
                   "Select File To Export R Data To...", CmdExportRTable),
        FileExport("GenePop1", "export_genepop.txt", kTextFilter, kExportTitle, CmdExportGenePop),
        FileExport("NTSyspc1", "export.nts", "NTSYSpc Files (*.nts)|*.nts|Text Files (*.txt)|*.txt|All Files (*.*)|*.*",
                   kExportTitle, CmdExportNTSYS),
        FileExport("ListofOTUs1", "otulist.txt", kTextFilter, "Select File To Export OTU-List To...", CmdExportOTUList),
        FileExport("SynTax1", "syntax.txt", kTextFilter, "Select File To Export SynTax Data To...", CmdExportSynTax),
        {"hindex1", hindex1Click},
        {"Structure1", Structure1Click},
        FileExport("HickoryNexus1", "export_alleles.nex", kNexusFilter, kExportTitle, CmdExportHickoryNexus),
        {"Dfdist1", [](TMainPrg& window) { GroupCountExport(window, "export_dfdist.txt", CmdExportDfdist); }},
        {"BayeScan1", [](TMainPrg& window) { GroupCountExport(window, "export_bayescan.txt", CmdExportBayeScan); }},
        FileExport("AFLPDat1", "export_aflpdat.txt", kTextFilter, kExportTitle, CmdExportAFLPDat),
        {"AFLPop1", AFLPop1Click},
        {"Phylipdistancematrix1", Phylipdistancematrix1Click},
        {"Turnlogon1", [](TMainPrg&) { CmdSetLogging(LogOn != 1); }},
        {"Binarymatrixfromclustersintrees1",
         [](TMainPrg& window) {
             const std::string name =
                 AskOpenFileName(&window, "Select Tree File...", kTreeFilter, "", ConsensusInFileName);
             if (!name.empty()) CmdTreesToBinaryMatrix(name);
         }},
        {"Exit1", [](TMainPrg&) { CmdExit(); }},
    };
}
