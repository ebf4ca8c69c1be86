#include "shell/reporting.h"

#include <filesystem>

#include "shell/settings.h"
#include "shell/ui_port.h"

FileWriter AnalysisFile;

namespace {

std::string logFileName;  // the log being written; LogFileName may change meanwhile

}  // namespace

int MsgBox(std::string_view text, std::string_view caption, int style) {
    try {
        return Ui().ShowMessageBox(text, caption, style);
    } catch (...) {
        return kAnswerNone;
    }
}

namespace {

void ShowErrorNow(std::string_view message) noexcept {
    MsgBox(message, "Error", kMessageOk);
    if (LogOn == 1) {
        try {
            WriteLogLine(std::string("Error: ").append(message));
        } catch (...) {
            // Out of memory for the line: the box has been shown, the count still matters more.
        }
    }
    ++ErrorCounter;
}

void ShowWarningNow(std::string_view message) noexcept {
    if (ShowWarnings != 1) return;
    MsgBox(message, "Warning", kMessageOk);
    if (LogOn == 1) {
        try {
            WriteLogLine(std::string("Warning: ").append(message));
        } catch (...) {
        }
    }
}

}  // namespace

Reporter& ProgramReporter() {
    static Reporter reporter([](const std::string& msg) { ShowErrorNow(msg); },
                             [](const std::string& msg) { ShowWarningNow(msg); },
                             [](const std::string& text, const std::string& caption, std::uint32_t flags) {
                                 return AskUser(text, caption, static_cast<int>(flags));
                             });
    return reporter;
}

void ShowError(std::string_view message) noexcept {
    try {
        ProgramReporter().Error(std::string(message));
        return;
    } catch (...) {
    }
    ShowErrorNow(message);  // no memory for the copy: shown and counted all the same
}

void ShowWarning(std::string_view message) noexcept {
    try {
        ProgramReporter().Warning(std::string(message));
        return;
    } catch (...) {
    }
    ShowWarningNow(message);
}

int AskUserEx(std::string_view text, std::string_view caption, int style, int answer) {
    switch (answer) {
        case 1: return kAnswerYes;
        case 2: return kAnswerNo;
        default: return MsgBox(text, caption, style);
    }
}

int AskUser(std::string_view text, std::string_view caption, int style) {
    return AskUserEx(text, caption, style, BatchAnswer);
}

bool MustRewriteOutput(const std::string& fileName) {
    if (OverwriteMode == 1) return false;
    if (OverwriteMode == 2) return true;
    std::error_code ec;
    if (std::filesystem::exists(fileName, ec)) {
        const int answer = MsgBox(
            "File already exists.\r\n\r\n" + fileName + "\r\n\r\n" + "Append data to file rather than rewriting file?",
            "Output file exists", kQuestionYesNo);
        // Only an explicit No may destroy what the file holds.
        return answer == kAnswerNo;
    }
    // Create it empty. Opened for appending, so that a file the test could not see (a failed
    // look-up, or one made meanwhile) is never emptied; a failure shows when the command's own
    // writer fails.
    SaveTextToFile(fileName, {}, true);
    return false;
}

int OpenTextOut(FileWriter& file, const std::string& fileName, bool rewrite) {
    return file.Open(fileName, !rewrite);
}

int SaveTextToFile(const std::string& fileName, std::string_view text, bool append) {
    return WriteTextFile(fileName, text, append);
}

int StartLog() {
    StopLog();
    const bool rewrite = MustRewriteOutput(LogFileName);
    if (const int rc = SaveTextToFile(LogFileName, {}, !rewrite); rc != 0) return rc;
    logFileName = LogFileName;
    LogOn = 1;
    return 0;
}

void StopLog() { LogOn = 0; }

void WriteLogLine(std::string_view line) noexcept {
    if (LogOn != 1) return;
    try {
        std::string text(line);
        text += "\r\n";
        const int rc = SaveTextToFile(logFileName, text, true);
        if (rc == 0) return;
        StopLog();
        text = "Cannot write to the log file\r\n\r\n" + logFileName + "\r\n\r\n";
        if (rc > 0) text += "(" + FileErrorText(rc) + ")\r\n\r\n";
        text += "Logging has been turned off.";
        MsgBox(text, "Warning", kMessageOk);
    } catch (...) {
        StopLog();
    }
}
