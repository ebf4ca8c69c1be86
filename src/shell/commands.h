// What every command routine shares: the shell state the commands read and write, the wrapper
// through which the user interface runs a command, the preconditions, and the command skeleton
// CommandRun (progress line, activity panel, engine call, output files, "done." or "failed.").
//
// A command appends "done." only when its engine call succeeded: the call reported success, no
// error was reported meanwhile and the result exists. Otherwise it appends "failed." and changes
// nothing else that would suggest a result (no report, no panel, no matrix name).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/reporter.h"
#include "popgen/data/dataset.h"

// Names the distance matrix the data set holds (at most kDistMatrixNameLength characters); read
// for tree titles and shown in the distance-matrix panel.
inline constexpr std::size_t kDistMatrixNameLength = 20;
extern std::string DistMatrixName;

// 1 when the last file-parameter dialog was cancelled.
extern std::uint8_t FileParamCancelled;

// Runs one command so that no exception escapes: an exception is reported with ShowError (its
// message as the system gives it; a memory shortage as "Out of memory"; the command's CommandRun
// has ended its progress line with "failed." by then), an open report file is closed, FreqOutBuffer
// is emptied and the activity panel returns to "Idle". A command asked for while a running one lets
// the windows repaint (KeepAliveServing) does not start inside it: it goes to the user interface
// to run once that one has returned (UiPort::RunCommandLater). Returns false when an exception
// ended the command or it was put off.
bool RunCommand(const std::function<void()>& command) noexcept;

// One engine call of a command: under a ReportScope and the memory wrapper (a shortage inside is
// reported as "Out of memory" and fails it), with the windows kept painted while it runs (the long
// loops' KeepAlive calls reach UiPort::KeepWindowsAlive). True when it returned true and reported
// no error meanwhile.
bool EngineCall(const std::function<bool()>& call);

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

// The skeleton every command follows, in one object:
//
//     void CmdBuildSomething() {
//         if (!NeedDistMatrix()) return;                 // precondition first: no line yet
//         CommandRun run("Building something...");       // the progress line
//         std::string text;
//         if (!run.Calculate([&] { return BuildSomething(*DataSet, text); })) return;
//         run.Write(TreeFileName, [&](bool append) { return SaveTextToFile(TreeFileName, text, append); });
//     }                                                  // "Idle", then "done." or "failed."
//
// Calculate and Transfer show the activity ("Calculating", "Busy: I/O") and make the one engine
// call (EngineCall): it succeeded when it returned true and reported no error through the program's
// reporter meanwhile (a ReportScope); a memory shortage inside it is reported as "Out of memory" (the
// one wrapper, ReportShortage) and fails it. Write decides the output-file rule once per file and
// command (MustRewriteOutput; later writes of the same command append), shows "Busy: I/O",
// writes, and reports a failed write with the file's name and the system's reason. Finish, or the
// destructor, puts the activity back to "Idle" (when a step had changed it) and ends the progress
// line with "done." when every step succeeded, else "failed.". A command without a progress text
// gets neither; one that returns early or is ended by an exception gets "failed.". A shortage of
// memory while the destructor ends the line is reported as "Out of memory".
class CommandRun {
public:
    // Writes the progress line (none for an empty text).
    explicit CommandRun(std::string_view progress = {});
    ~CommandRun();
    CommandRun(const CommandRun&) = delete;
    CommandRun& operator=(const CommandRun&) = delete;

    // Activity "Calculating", then the engine call; true when it succeeded.
    bool Calculate(const std::function<bool()>& engineCall);
    // Activity "Busy: I/O" (loads and saves), then the engine call.
    bool Transfer(const std::function<bool()>& engineCall);
    // The engine call without touching the activity panel.
    bool Run(const std::function<bool()>& engineCall);
    // Marks the run failed without an engine call (a check of the command's own refused, its message
    // shown): it ends with "failed." like a failed step.
    void Fail() { ok_ = false; }

    // How Write treats a file the command has not written yet: ask by the output-file rule, or
    // always append (creating it when missing).
    enum class Output { ByRule, Append };
    // writer(append) returns 0, -1 for a short write or the system error code. True when written.
    bool Write(const std::string& fileName, const std::function<int(bool append)>& writer,
               Output output = Output::ByRule);

    // Ends the command once: "Idle" when an activity was shown, then "done." or "failed." after
    // the progress text. Returns whether every step succeeded.
    // doneText replaces "done." (a command that goes on to show its result says so).
    bool Finish(std::string_view doneText = "done.");
    bool Succeeded() const { return ok_; }

private:
    bool Step(bool ok);

    bool progress_ = false;
    bool activity_ = false;
    bool finished_ = false;
    bool ok_ = true;
    int exceptions_;                    // exceptions in flight when the command began
    std::vector<std::string> decided_;  // files whose output rule this command has applied
};
