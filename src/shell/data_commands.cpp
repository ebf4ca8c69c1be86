#include "shell/data_commands.h"

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "foundation/file_io.h"
#include "foundation/number_text.h"
#include "popgen/data/band_stats.h"
#include "popgen/data/data_import.h"
#include "popgen/data/data_loader.h"
#include "popgen/data/data_saver.h"
#include "popgen/distance/distance_matrix.h"
#include "shell/commands.h"
#include "shell/file_params.h"
#include "shell/global_dataset.h"
#include "shell/message_area.h"
#include "shell/reporting.h"
#include "shell/settings.h"
#include "shell/ui_port.h"

namespace {

// Every load fills a new data set; the one it replaces comes back when the load fails (or throws),
// so a bad file never costs the data the user had.
class DataSetReplacement {
public:
    DataSetReplacement() = default;
    DataSetReplacement(const DataSetReplacement&) = delete;
    DataSetReplacement& operator=(const DataSetReplacement&) = delete;
    ~DataSetReplacement() {
        if (begun_) DataSet = std::move(previous_);
    }

    // Puts a new, empty data set in place of the current one, which is kept aside. The new one is
    // made first: when even that fails, the current one has not moved.
    TPopGenDataSet& Begin() {
        std::unique_ptr<TPopGenDataSet> fresh = NewDataSet();
        previous_ = std::exchange(DataSet, std::move(fresh));
        begun_ = true;
        return *DataSet;
    }

    // Keeps the new data set when the load succeeded, else puts the previous one back.
    bool Keep(bool loaded) {
        if (begun_ && loaded) previous_.reset();
        else if (begun_) DataSet = std::move(previous_);
        begun_ = false;
        return loaded;
    }

private:
    std::unique_ptr<TPopGenDataSet> previous_;
    bool begun_ = false;
};

// A matrix computed on data that are gone must not stay named on the status bar, or the user would
// take the trees and the PCoA for available.
void ForgetDistMatrix() {
    DistMatrixName.clear();
    SetStatusDistMatrix("No distance matrix");
}

void ShowLoadedData(const TPopGenDataSet& ds) {
    UpdateStatusFileName();
    ShowOriginalMatrixStatus(ds);
    ForgetDistMatrix();
}

std::uint32_t CountThreshold(std::int32_t value) { return value > 0 ? static_cast<std::uint32_t>(value) : 0; }

}  // namespace

void CmdRestoreOriginalMatrix() {
    if (!LayerDataAvailable(kLoadedLayer, {.Data = true, .Complain = true})) return;
    TPopGenDataSet& ds = *DataSet;
    CommandRun run;  // no progress line; the activity panel is left alone
    if (!run.Run([&] { return ds.RestoreOriginalMatrix(); })) return;  // reported by the data set
    WriteMsg("Original data matrix restored");
    const TDSLayer& loaded = ds.Layers[kLoadedLayer];
    SetStatusDataMatrix(MatrixSizeText("Original matrix ", loaded.NInd, loaded.NLoci));
    if (ds.GetCurrLayer().DistMatrix.empty()) ForgetDistMatrix();  // the rebuilt layer has no matrix yet
}

void CmdMatrixStatistics(const StatisticsOutput& output) {
    if (!NeedData()) return;
    const TDSLayer& layer = DataSet->GetCurrLayer();
    const std::string n = UIntToStr(layer.NInd);
    const std::string m = UIntToStr(layer.NLoci);
    const std::string size = UIntToStr(layer.NCells);
    const std::string pct = ExtToStrF(PercentMissing(layer), 5, 2);

    bool write = false;
    if (output.Display)
        write = UserAgreed(AskUser("Individuals: " + n + "\r\n" + "Loci: " + m + "\r\n" + "Data matrix size: " + size +
                                       " entries" + "\r\n" + "Missing data: " + pct + "%" + "\r\n\r\n" +
                                       "Write to analysis file?",
                                   "Statistics", kQuestionYesNo));
    if (output.AlwaysWriteToFile) write = true;
    if (!write) {
        WriteMsg("Displaying Data Matrix Statistics");
        return;
    }
    // Always appended (the file is created when missing): statistics accompany the reports.
    const std::string report = "Data Matrix Statistics\r\n\r\nIndividuals:  " + n + "\r\nLoci:         " + m +
                               "\r\nMatrix size:  " + size + "\r\nMissing data: " + pct + "%\r\n\r\n";
    CommandRun run;
    if (!run.Write(
            AnalysisFileName, [&](bool append) { return SaveTextToFile(AnalysisFileName, report, append); },
            CommandRun::Output::Append))
        return;
    WriteMsg("Data Matrix Statistics written to analysis output file");
}

void CmdLoadInputFile(const std::string& fileName) {
    const std::filesystem::path path(fileName);
    InputDir = path.has_parent_path() ? path.parent_path().string() + "/" : std::string();
    ProjectName = path.filename().string();
    if (!FileCanOpen(fileName)) {
        ShowError("Input file does not exist");
        return;
    }
    const std::string firstLine = ReadFirstLine(fileName);
    std::string block;
    const bool hasSpecs = ExtractSpecBlock(firstLine, block);
    if (hasSpecs) ParseSpecBlock(block);
    // A line meant as the file's layout that cannot be read whole must not leave the rest to the
    // previous file's settings: the user is told, and confirms the layout as for a file without one.
    const std::string fault = SpecLineFault(firstLine);
    if (!fault.empty()) ShowError("File specification line could not be read:\r\n" + fileName + "\r\n" + fault + ".");
    if ((!hasSpecs || !fault.empty() || TrustSpecs != 1) && EditFileParams()) {
        ShowError("No data loaded.");
        return;
    }

    CommandRun run("Loading File: " + fileName + " ...");
    DataSetReplacement replacement;
    const bool loaded = replacement.Keep(run.Transfer([&] {
        TPopGenDataSet& ds = replacement.Begin();
        ds.IncludeGroups = IncludeGroups == 1;
        return LoadDataFile(ds, fileName, GetFileParams()) && ds.HasData();
    }));
    if (loaded) {
        ShowLoadedData(*DataSet);
        InputFileName = fileName;
    }
    run.Finish();
    Ui().UpdateQuickSelectionMenus();
}

void CmdImportCountData(const std::string& fileName, std::int32_t absenceMax, std::int32_t presenceMin,
                        const std::string& missingToken) {
    CommandRun run("Importing count data from file: " + fileName + " ...");
    DataSetReplacement replacement;
    const bool loaded = replacement.Keep(run.Transfer([&] {
        TPopGenDataSet& ds = replacement.Begin();
        return ImportCountData(ds, fileName, CountThreshold(absenceMax), CountThreshold(presenceMin), missingToken,
                               GetFileParams()) &&
               ds.HasData();
    }));
    if (!loaded) return;
    DataSet->DataFileName = fileName;
    ShowLoadedData(*DataSet);
    run.Finish();
    Ui().UpdateQuickSelectionMenus();
}

void CmdLoadFromClipboard() {
    std::string text;
    if (!Ui().GetClipboardText(text) || text.empty()) {
        ShowError("No suitable data was found on the clipboard");
        return;
    }
    if (EditFileParams()) return;
    CommandRun run;  // no progress line, no activity
    DataSetReplacement replacement;
    const bool loaded = replacement.Keep(run.Run([&] {
        TPopGenDataSet& ds = replacement.Begin();
        return LoadDataFromText(ds, text, GetFileParams()) && ds.HasData();
    }));
    if (!loaded) {
        ShowError("Failed to load data from clipboard");
        return;
    }
    WriteMsg("Data loaded from clipboard");
    InputDir = AppPath;
    DataSet->DataFileName = "Clipboard data";
    ShowLoadedData(*DataSet);
    Ui().UpdateQuickSelectionMenus();
}

void CmdSaveDataMatrix(const std::string& fileName) {
    if (!NeedData()) return;
    TPopGenDataSet& ds = *DataSet;
    ds.IncludeGroups = IncludeGroups == 1;
    const std::string specLine = WriteSpecBlock(PackFileParams());
    CommandRun run;
    // A failed save has been reported by the data set; nothing may claim the file was written.
    if (run.Transfer([&] { return SaveData(ds, fileName, false, specLine, GetFileParams()); }))
        WriteMsg("Saved DataMatrix to " + fileName);
}

void CmdImportDistanceMatrix(const std::string& fileName, NegativeDistances negatives) {
    CommandRun run("Importing distance matrix from file: " + fileName + "...");
    DataSetReplacement replacement;
    const bool loaded = replacement.Keep(run.Transfer([&] {
        TPopGenDataSet& ds = replacement.Begin();
        ds.Layers[ds.BaseLayer()].KeepMatrixList = false;
        return ImportDistMatrix(ds, fileName, DistMatrixLayout{}, GetFileParams().EndOfDataChar) &&
               !ds.GetCurrLayer().DistMatrix.empty();
    }));
    if (!loaded) return;
    DistTransformation = NumberOf(Transformation::D);  // the values are distances already
    TPopGenDataSet& ds = *DataSet;
    std::vector<std::size_t> found;
    switch (negatives) {
        case NegativeDistances::Replace: FindDistancesBelow(ds, found, true, 0.0L, 0.0L); break;
        case NegativeDistances::Keep: break;
        default:
            // MsgBox, not AskUser: a batch answer must not change the user's data.
            if (FindDistancesBelow(ds, found, false, 0.0L, 0.0L) &&
                UserAgreed(MsgBox("Distance matrix contains negative values.\r\nReplace by zeroes?", "Distance matrix",
                                  kQuestionYesNo)))
                FindDistancesBelow(ds, found, true, 0.0L, 0.0L);
            break;
    }
    // The name of an earlier computed matrix would title trees of these distances wrongly.
    DistMatrixName.clear();
    run.Finish();
    SetStatusDataMatrix("No data loaded");
    SetStatusDistMatrix("User imported distances");
    // The groups of the replaced data set are gone.
    Ui().UpdateQuickSelectionMenus();
}
