// What every command routine shares: the shell state the commands read and write, the wrapper
// through which the user interface runs a command, and the small steps of a command's skeleton
// (precondition, progress line, activity panel, engine call, "done." or "failed.", output).
//
// A command appends "done." only when its engine call succeeded: the call reported success, the
// error count did not rise and the result exists. Otherwise it appends "failed." and changes
// nothing else that would suggest a result (no report, no panel, no matrix name).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "popgen/dataset.h"

// Names the distance matrix the data set holds (at most kDistMatrixNameLength characters); read
// for tree titles and shown in the distance-matrix panel.
inline constexpr std::size_t kDistMatrixNameLength = 20;
extern std::string DistMatrixName;

// 1 when the last file-parameter dialog was cancelled.
extern std::uint8_t FileParamCancelled;

// Runs one command so that no exception escapes: an exception is reported with ShowError (its
// message as the system gives it; a memory shortage as "Out of memory"), an unfinished progress line gets "failed.", an open report file
// is closed, FreqOutBuffer is emptied and the activity panel returns to "Idle". Returns false when
// an exception ended the command.
bool RunCommand(const std::function<void()>& command) noexcept;

// Points the tree code's error and question hooks at ShowError and AskUser (start-up does it once).
void InstallTreeHooks();

// Runs the file-parameter dialog through the user interface; sets FileParamCancelled and returns
// true when the user cancelled.
bool EditFileParams();

// Precondition of the commands on a distance matrix: false, with the error
// "Need to perform Dis(Similarity) calculation first!\r\n(Or import distance matrix.)", when the
// current layer has none.
bool NeedDistMatrix();

// A command that needs the whole data set while a selection is current (layer above 1) makes
// layer 1 current and warns "Switching to AllData".
void SwitchToAllData();

// Data-matrix panel texts: prefix + "[" + n + " x " + m + "]", e.g. "Original matrix [40 x 120]".
std::string MatrixSizeText(std::string_view prefix, std::size_t nInd, std::size_t nLoci);
// "Original matrix [" n " x " m "]" of the data set's current layer.
void ShowOriginalMatrixStatus(const TPopGenDataSet& ds);

// Watches one engine call: it succeeded when the call said so and no error was reported meanwhile,
// neither through ShowError nor through the data set's own count.
class EngineCall {
public:
    explicit EngineCall(const TPopGenDataSet* ds = nullptr);
    bool Succeeded(bool result) const;

private:
    const TPopGenDataSet* ds_;
    std::int32_t errors_;
    std::size_t dsErrors_;
};

// Writes a command's progress line, which FinishProgress ends. A command that an exception stops
// before that gets "failed." from RunCommand.
void BeginProgress(std::string_view text);
// Ends the progress line by the outcome: doneText or "failed.". Returns ok.
bool FinishProgress(bool ok, std::string_view doneText = "done.");

// Reports a failed write (rc from a writer: -1 short write, else the system error code) with the
// file's name; returns true when rc reports a failure.
bool ReportWriteFailure(int rc, const std::string& fileName);
