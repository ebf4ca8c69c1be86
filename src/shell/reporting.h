// Every message, question and output-file decision of the program goes through these routines.
// They reach the user only through the installed UiPort, and errors and warnings reach the log.
#pragma once

#include <string>
#include <string_view>

#include "foundation/file_io.h"
#include "foundation/reporter.h"

// The program's reporter, the one channel of every error, warning and question: errors are shown
// as ShowError shows them (and counted in ErrorCounter), warnings as ShowWarning, questions as
// AskUser. The data set and the tree code are given it; ShowError reports through it, so a
// ReportScope on it sees every error of a command's engine call.
Reporter& ProgramReporter();

// A modal message box; returns the button code (kAnswerOk, kAnswerYes, kAnswerNo, or kAnswerNone when closed).
// No batch answer applies.
int MsgBox(std::string_view text, std::string_view caption, int style);

// Through ProgramReporter: error box "Error", the line "Error: " + message in the log while logging
// is on, and ErrorCounter raised by one. Never throws: it runs inside engine calls.
void ShowError(std::string_view message) noexcept;

// Only while ShowWarnings is 1: box "Warning" and the line "Warning: " + message in the log.
// Never throws.
void ShowWarning(std::string_view message) noexcept;

// answer 1 gives kAnswerYes and 2 gives kAnswerNo without asking; 0 (or any other value) asks.
int AskUserEx(std::string_view text, std::string_view caption, int style, int answer);
// AskUserEx with BatchAnswer. Callers read the answer with UserAgreed or UserChose
// (foundation/reporter.h), so that a box closed without an answer counts as declining.
int AskUser(std::string_view text, std::string_view caption, int style);

// Whether the next write to an output file replaces it (true) or appends (false), by OverwriteMode:
// 1 append, 2 rewrite, 0 (and unknown modes) ask when the file exists, else create it empty and
// append. Asks with MsgBox, so a batch answer does not apply; only an explicit No means rewrite.
bool MustRewriteOutput(const std::string& fileName);

// Opens a report file for rewriting or appending; 0 or the system error code. Close tells whether
// every write succeeded.
int OpenTextOut(FileWriter& file, const std::string& fileName, bool rewrite);

// A report file that commands may open with OpenTextOut to write their reports piece by piece.
extern FileWriter AnalysisFile;

// Writes the whole text to a file, appending or rewriting; 0 or the I/O error code.
int SaveTextToFile(const std::string& fileName, std::string_view text, bool append);

// The log file, named by LogFileName when logging starts; every line ends with CR LF.
// StartLog creates the file when missing, empties it when MustRewriteOutput says so, and sets
// LogOn to 1; it returns 0 or the I/O error code (LogOn stays 0 then). StopLog sets LogOn to 0.
int StartLog();
void StopLog();

// Appends one line to the log while LogOn is 1. A failed write turns logging off and tells the
// user once; it never throws.
void WriteLogLine(std::string_view line) noexcept;
