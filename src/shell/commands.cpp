#include "shell/commands.h"

#include <algorithm>
#include <exception>

#include "foundation/file_io.h"
#include "foundation/keep_alive.h"
#include "foundation/memory_guard.h"
#include "foundation/number_text.h"
#include "foundation/text_file.h"
#include "shell/global_dataset.h"
#include "shell/message_area.h"
#include "shell/reporting.h"
#include "shell/settings.h"
#include "shell/ui_port.h"

std::string DistMatrixName;
std::uint8_t FileParamCancelled = 0;

bool RunCommand(const std::function<void()>& command) noexcept {
    if (KeepAliveServing()) {
        // A desktop's global menu, say, while the windows repaint: the running command's data are in
        // mid-change.
        try {
            Ui().RunCommandLater(command);
        } catch (...) {
        }
        return false;
    }
    try {
        try {
            if (CompletesInMemory(command)) return true;
            // An engine call's shortage is reported by its CommandRun; one elsewhere reads the same.
            ShowError("Out of memory");
        } catch (const std::exception& e) {
            ShowError(e.what());
        } catch (...) {
            ShowError("Unexpected error");
        }
        // What the interrupted command left open or half filled is let go now, not by the next one.
        if (AnalysisFile.IsOpen()) AnalysisFile.Close();
        FreqOutBuffer.reset();
        SetStatusIdle();
    } catch (...) {
        // Reporting itself failed (out of memory); nothing more can be done safely here.
    }
    return false;
}

bool EditFileParams() {
    FileParamCancelled = 0;
    if (Ui().EditFileParams()) FileParamCancelled = 1;
    return FileParamCancelled == 1;
}

bool NeedDistMatrix() {
    if (DataAvailable({.Dist = true})) return true;
    ShowError("Need to perform Dis(Similarity) calculation first!\r\n(Or import distance matrix.)");
    return false;
}

void SwitchToAllData() {
    if (!DataSet || DataSet->CurLayer <= kWorkingLayer || DataSet->CurLayer >= kLayerCount) return;
    DataSet->CurLayer = kWorkingLayer;
    ShowWarning("Switching to AllData");
}

std::string MatrixSizeText(std::string_view prefix, std::size_t nInd, std::size_t nLoci) {
    return std::string(prefix) + "[" + UIntToStr(nInd) + " x " + UIntToStr(nLoci) + "]";
}

void ShowOriginalMatrixStatus(const TPopGenDataSet& ds) {
    const TDSLayer& layer = ds.GetCurrLayer();
    SetStatusDataMatrix(MatrixSizeText("Original matrix ", layer.NInd, layer.NLoci));
}

CommandRun::CommandRun(std::string_view progress) : exceptions_(std::uncaught_exceptions()) {
    if (progress.empty()) return;
    WriteMsg(progress);
    progress_ = true;
}

CommandRun::~CommandRun() {
    // Also while an exception passes: the line must not wait for a verdict forever.
    const bool unwinding = std::uncaught_exceptions() > exceptions_;
    if (unwinding) ok_ = false;
    try {
        // Nothing may leave a destructor, but a shortage while ending the line is reported like any
        // other. While an exception passes, RunCommand reports that one.
        if (!CompletesInMemory([this] { Finish(); })) {
            ok_ = false;
            if (!unwinding) ShowError("Out of memory");
        }
    } catch (...) {
    }
}

bool CommandRun::Step(bool ok) {
    ok_ = ok_ && ok;
    return ok;
}

bool EngineCall(const std::function<bool()>& call) {
    const ReportScope scope(ProgramReporter());
    const KeepAliveScope alive([] { Ui().KeepWindowsAlive(); });
    return scope.Succeeded(ReportShortage(ProgramReporter(), call));
}

bool CommandRun::Run(const std::function<bool()>& engineCall) { return Step(EngineCall(engineCall)); }

bool CommandRun::Calculate(const std::function<bool()>& engineCall) {
    activity_ = true;
    SetStatusCalculating();
    return Run(engineCall);
}

bool CommandRun::Transfer(const std::function<bool()>& engineCall) {
    activity_ = true;
    SetStatusBusyIO();
    return Run(engineCall);
}

bool CommandRun::Write(const std::string& fileName, const std::function<int(bool append)>& writer, Output output) {
    activity_ = true;
    SetStatusBusyIO();
    bool append = true;
    if (std::find(decided_.begin(), decided_.end(), fileName) == decided_.end()) {
        decided_.push_back(fileName);
        if (output == Output::ByRule) append = !MustRewriteOutput(fileName);
    }
    const int rc = writer(append);
    if (rc != 0) ShowError("Could not write to file:\r\n" + fileName + "\r\n" + FileErrorText(rc));
    return Step(rc == 0);
}

bool CommandRun::Finish(std::string_view doneText) {
    if (finished_) return ok_;
    finished_ = true;
    if (activity_) SetStatusIdle();
    if (progress_) {
        if (ok_) AppendMsg(doneText);
        else WriteMsgFailed();
    }
    return ok_;
}
