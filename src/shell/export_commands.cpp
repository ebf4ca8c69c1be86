#include "shell/export_commands.h"

#include <algorithm>
#include <functional>

#include "foundation/random.h"
#include "popgen/exports/count_exports.h"
#include "popgen/exports/matrix_exports.h"
#include "popgen/exports/nexus_export.h"
#include "popgen/exports/popgen_exports.h"
#include "shell/commands.h"
#include "shell/global_dataset.h"
#include "shell/message_area.h"
#include "shell/reporting.h"
#include "shell/ui_port.h"

namespace {

using Writer = std::function<bool(TPopGenDataSet&)>;

// "Busy: I/O", the writer, the message when the file was written, "Idle".
void SimpleExport(const Writer& writer, const std::string& message) {
    CommandRun run;
    if (run.Transfer([&] { return writer(*DataSet); })) WriteMsg(message);
}

// The progress line, the writer, then "done." or "failed."; busyFirst shows "Busy: I/O" before
// the progress line.
void ProgressExport(const Writer& writer, const std::string& progress, bool busyFirst) {
    if (busyFirst) SetStatusBusyIO();
    CommandRun run(progress);
    run.Transfer([&] { return writer(*DataSet); });
}

bool TwoGroupsSelected(const AByte& selection) {
    if (std::count(selection.begin(), selection.end(), std::uint8_t{1}) >= 2) return true;
    ShowError("Need to have at least 2 groups selected!");
    return false;
}

}  // namespace

void CmdExportNexus(const std::string& fileName, char presenceChar, char ambiguityChar, char absenceChar) {
    if (!NeedData()) return;
    SimpleExport(
        [&](TPopGenDataSet& ds) { return ExportNexus(ds, fileName, presenceChar, ambiguityChar, absenceChar); },
        "Data exported to nexus file " + fileName);
}

void CmdExportArlequin(const std::string& fileName, char ambiguityChar) {
    if (!NeedData()) return;
    SimpleExport([&](TPopGenDataSet& ds) { return ExportArlequin(ds, fileName, ambiguityChar); },
                 "Exported Arlequin Project file " + fileName);
}

void CmdExportGenePop(const std::string& fileName) {
    if (!NeedData()) return;
    // Either answer writes the file; a closed box chose neither encoding.
    const int answer =
        AskUser("Should absences be encoded as 0/? rather than 0/0 ?", "Export to GenePop", kQuestionYesNo);
    if (!UserChose(answer)) return;
    const bool absentAsHomozygote = answer == kAnswerNo;
    SimpleExport([&](TPopGenDataSet& ds) { return ExportGenePop(ds, fileName, absentAsHomozygote); },
                 "Data exported to GenePop file " + fileName);
}

void CmdExportNTSYS(const std::string& fileName) {
    if (!NeedData()) return;
    SimpleExport([&](TPopGenDataSet& ds) { return ExportNTSYS(ds, fileName); },
                 "Data exported to NTSYSpc file " + fileName);
}

void CmdExportOTUList(const std::string& fileName) {
    if (!NeedData()) return;
    SimpleExport([&](TPopGenDataSet& ds) { return ExportOTUList(ds, fileName); },
                 "Exported list of OTU names to file " + fileName);
}

void CmdExportSynTax(const std::string& fileName) {
    if (!NeedData()) return;
    SimpleExport([&](TPopGenDataSet& ds) { return ExportSynTax(ds, fileName); },
                 "Exported SynTax data to " + fileName + ". Label files also written.");
}

void CmdExportStructure(const std::string& fileName, bool withPopulation, std::uint8_t ploidy) {
    if (!NeedData()) return;
    SimpleExport([&](TPopGenDataSet& ds) { return ExportStructure(ds, fileName, withPopulation, ploidy); },
                 "Data exported to structure file " + fileName);
}

void CmdExportHickoryNexus(const std::string& fileName) {
    if (!NeedData()) return;
    SimpleExport([&](TPopGenDataSet& ds) { return ExportHickory(ds, fileName, '?'); },
                 "Data exported to Nexus (ALLELES block) file " + fileName);
}

void CmdExportDfdist(const std::string& fileName, const AByte& selection, bool useMissing, float mdFraction,
                     std::uint8_t roundMode) {
    if (!NeedData() || !TwoGroupsSelected(selection)) return;
    const AByte groups = selection;
    ProgressExport(
        [&](TPopGenDataSet& ds) { return ExportDfDist(ds, fileName, groups, useMissing, mdFraction, roundMode); },
        "Exporting dfdist data to " + fileName + " ...", false);
}

void CmdExportBayeScan(const std::string& fileName, const AByte& selection, bool useMissing, float mdFraction,
                       std::uint8_t roundMode) {
    if (!NeedData() || !TwoGroupsSelected(selection)) return;
    const AByte groups = selection;
    ProgressExport(
        [&](TPopGenDataSet& ds) { return ExportBayeScan(ds, fileName, groups, useMissing, mdFraction, roundMode); },
        "Exporting BayeScan data to " + fileName + " ...", false);
}

void CmdExportAFLPDat(const std::string& fileName) {
    if (!NeedData()) return;
    const bool withPopulation = HasGroups(1) && UserAgreed(AskUser("Should population information be exported?",
                                                                   "Export to AFLPDat", kQuestionYesNo));
    ProgressExport([&](TPopGenDataSet& ds) { return ExportAFLPDat(ds, fileName, withPopulation); },
                   "Exporting data to AFLPDat file " + fileName + "...", true);
}

void CmdExportRTable(const std::string& fileName) {
    if (!NeedData()) return;
    ProgressExport([&](TPopGenDataSet& ds) { return ExportRTable(ds, fileName); },
                   "Exporting data to R (tab-delimited table) file " + fileName + "...", true);
}

void CmdExportPhylipDist(const std::string& fileName) {
    if (!DataSet) {
        ShowError("No data loaded");
        return;
    }
    if (DataSet->GetCurrLayer().DistMatrix.empty()) {
        ShowError("No (dis)similarity matrix in memory.");
        return;
    }
    CommandRun run;
    const bool written = run.Transfer([&] { return ExportPhylipDistMatrix(*DataSet, fileName); });
    run.Finish();  // "Idle" before the message
    if (written) WriteMsg("Distance matrix (lower diagonale) for PHYLIP exported to " + fileName);
}

void CmdExportHindex(const std::string& fileName, std::int32_t parent1, std::int32_t parent2, std::int32_t testGroup,
                     float mdFraction) {
    if (!NeedData()) return;
    const auto group = [](std::int32_t index) { return static_cast<std::size_t>(index < 0 ? 1 : index); };
    if (group(parent1) == group(parent2)) {
        ShowError("Cannot proceed. Parents selected are identical");
        return;
    }
    SimpleExport(
        [&](TPopGenDataSet& ds) {
            return ExportHINDEX(ds, fileName, group(parent1), group(parent2), group(testGroup), mdFraction,
                                ProgramRandom());
        },
        "Exported Hindex files to " + fileName + " plus \"_indiv\"/\"_parents\" suffixes");
}

void CmdExportAFLPOP(const std::string& fileName, Extended mdFraction) {
    if (!NeedData()) return;
    if (!HasGroups(1)) {
        ShowError("No groups defined");
        return;
    }
    ProgressExport([&](TPopGenDataSet& ds) { return ExportAFLPOP(ds, fileName, mdFraction, ProgramRandom()); },
                   "Exporting data AFLPOP data to files based on " + fileName + "...", true);
}
