#include "shell/commands.h"

#include <exception>
#include <new>

#include "foundation/number_text.h"
#include "foundation/text_file.h"
#include "popgen/data_loader.h"
#include "shell/global_dataset.h"
#include "shell/message_area.h"
#include "shell/reporting.h"
#include "shell/settings.h"
#include "shell/ui_port.h"
#include "trees/tree_records.h"

std::string DistMatrixName;
std::uint8_t FileParamCancelled = 0;

namespace {

bool progressOpen = false;  // a progress line waits for "done." or "failed."

}  // namespace

bool RunCommand(const std::function<void()>& command) noexcept {
    try {
        try {
            progressOpen = false;
            command();
            return true;
        } catch (const std::bad_alloc&) {
            // The engine reports its own shortages so; one in the command layer reads the same.
            ShowError("Out of memory");
        } catch (const std::exception& e) {
            ShowError(e.what());
        } catch (...) {
            ShowError("Unexpected error");
        }
        // What the interrupted command left open or half filled is let go now, not by the next one.
        if (progressOpen) FinishProgress(false);
        if (AnalysisFile.IsOpen()) AnalysisFile.Close();
        FreqOutBuffer.reset();
        SetStatusIdle();
    } catch (...) {
        // Reporting itself failed (out of memory); nothing more can be done safely here.
    }
    return false;
}

void InstallTreeHooks() {
    InitTreeHooks([](const std::string& msg) { ShowError(msg); },
                  [](const std::string& text, const std::string& caption, std::uint32_t flags) {
                      return AskUser(text, caption, static_cast<int>(flags));
                  });
}

bool EditFileParams() {
    FileParamCancelled = 0;
    if (Ui().EditFileParams()) FileParamCancelled = 1;
    return FileParamCancelled == 1;
}

bool NeedDistMatrix() {
    if (DataAvailable(0, 1, 0)) return true;
    ShowError("Need to perform Dis(Similarity) calculation first!\r\n(Or import distance matrix.)");
    return false;
}

void SwitchToAllData() {
    if (!DataSet || DataSet->CurLayer <= 1 || DataSet->CurLayer >= kLayerCount) return;
    DataSet->CurLayer = 1;
    ShowWarning("Switching to AllData");
}

std::string MatrixSizeText(std::string_view prefix, std::size_t nInd, std::size_t nLoci) {
    return std::string(prefix) + "[" + UIntToStr(nInd) + " x " + UIntToStr(nLoci) + "]";
}

void ShowOriginalMatrixStatus(const TPopGenDataSet& ds) {
    const TDSLayer& layer = ds.GetCurrLayer();
    SetStatusDataMatrix(MatrixSizeText("Original matrix ", layer.NInd, layer.NLoci));
}

EngineCall::EngineCall(const TPopGenDataSet* ds)
    : ds_(ds), errors_(ErrorCounter), dsErrors_(ds ? ds->ErrorCount() : 0) {}

bool EngineCall::Succeeded(bool result) const {
    if (!result || ErrorCounter != errors_) return false;
    return ds_ == nullptr || ds_->ErrorCount() == dsErrors_;
}

void BeginProgress(std::string_view text) {
    WriteMsg(text);
    progressOpen = true;
}

bool FinishProgress(bool ok, std::string_view doneText) {
    progressOpen = false;
    if (ok)
        AppendMsg(doneText);
    else
        WriteMsgFailed();
    return ok;
}

bool ReportWriteFailure(int rc, const std::string& fileName) {
    if (rc == 0) return false;
    ShowError("Could not write to file:\r\n" + fileName + "\r\n" + FileErrorText(rc));
    return true;
}
