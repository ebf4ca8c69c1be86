#include "shell/dialog_commands.h"

#include <cstddef>
#include <optional>

#include "shell/commands.h"
#include "shell/global_dataset.h"
#include "shell/group_editing.h"
#include "shell/message_area.h"
#include "shell/reporting.h"
#include "shell/settings.h"
#include "shell/ui_port.h"

void CmdShowOptionsPage(std::uint8_t page) {
    if (page >= kOptionsPageCount) return;
    Ui().ShowOptionsDialog(page);
}

void CmdGroupManager() {
    if (!NeedData()) return;
    DisplayGroupManager();
}

void CmdPairwiseComparison() {
    if (!NeedData()) return;
    DisplayPWIC();
}

void DisplayGroupManager() {
    if (!DataSet || DataSet->DataLoaded != 1) {
        ShowError("No data loaded!");
        return;
    }
    TPopGenDataSet& ds = *DataSet;
    WriteMsg("Displaying Group Manager");
    SetStatusIdle();
    ds.BackupFilters();
    bool accepted = false;
    bool locusSetChosen = false;
    try {
        accepted = Ui().RunGroupManager(ds, locusSetChosen);
    } catch (...) {
        ds.ClearFilterBackups();
        Ui().UpdateQuickSelectionMenus();
        throw;
    }
    if (accepted) {
        // The locus set is selected only when the user chose one this time: a choice left from an
        // earlier opening must not undo a selection made since through the menu.
        ApplyGroupEdits(ds, locusSetChosen ? std::optional<std::size_t>(GrpManLocusSet) : std::nullopt);
        UpdateStatusDataMatrix();
        // A rebuilt selection has no distance matrix yet: trees and PCoA must not look available.
        if (ds.GetCurrLayer().DistMatrix.empty()) {
            DistMatrixName.clear();
            SetStatusDistMatrix("No distance matrix");
        }
    } else {
        ds.ClearFilterBackups();
    }
    Ui().UpdateQuickSelectionMenus();
}

void DisplayPWIC() {
    if (!DataSet) {
        ShowError("No data loaded");
        return;
    }
    TPopGenDataSet& ds = *DataSet;
    if (!ds.HasData()) {
        ShowError("No suitable data loaded");
        return;
    }
    SetStatusIdle();
    WriteMsg("Displaying Pairwise Individual Comparison Interface");
    if (ds.GetCurrLayer().NInd < 2) {
        ShowError("At least two individuals are needed for a pairwise comparison");
        return;
    }
    Ui().ShowPairwiseComparison(ds);
}
