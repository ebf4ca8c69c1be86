#include "shell/reporting.h"

#include <filesystem>
#include <system_error>

#include "shell/settings.h"
#include "shell/ui_port.h"

TextOutFile AnalysisFile;

namespace {

TextOutFile logFile;

}  // namespace

int MsgBox(std::string_view text, std::string_view caption, int style) {
    try {
        return Ui().ShowMessageBox(text, caption, style);
    } catch (...) {
        return kIdNone;
    }
}

void ShowError(std::string_view message) noexcept {
    MsgBox(message, "Error", kMbOk);
    if (LogOn == 1) {
        try {
            WriteLogLine(std::string("Error: ").append(message));
        } catch (...) {
            // Out of memory for the line: the box has been shown, the count still matters more.
        }
    }
    ++ErrorCounter;
}

void ShowWarning(std::string_view message) noexcept {
    if (ShowWarnings != 1) return;
    MsgBox(message, "Warning", kMbOk);
    if (LogOn == 1) {
        try {
            WriteLogLine(std::string("Warning: ").append(message));
        } catch (...) {
        }
    }
}

int AskUserEx(std::string_view text, std::string_view caption, int style, int answer) {
    switch (answer) {
        case 1: return kIdYes;
        case 2: return kIdNo;
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
        const int answer = MsgBox("File already exists.\r\n\r\n" + fileName + "\r\n\r\n" +
                                      "Append data to file rather than rewriting file?",
                                  "Output file exists", kMbYesNo);
        // Only an explicit No may destroy what the file holds.
        return answer == kIdNo;
    }
    // Create it empty; a failure shows when the command's own writer fails.
    TextOutFile file;
    file.Open(fileName, true);
    file.Close();
    return false;
}

int OpenTextOut(TextOutFile& file, const std::string& fileName, bool rewrite) {
    return file.Open(fileName, rewrite);
}

int StartLog() {
    logFile.Close();
    LogOn = 0;
    const bool rewrite = MustRewriteOutput(LogFileName);
    if (const int rc = OpenTextOut(logFile, LogFileName, rewrite); rc != 0) return rc;
    LogOn = 1;
    return 0;
}

void StopLog() {
    logFile.Close();
    LogOn = 0;
}

void WriteLogLine(std::string_view line) noexcept {
    if (LogOn != 1) return;
    if (logFile.IsOpen() && logFile.WriteLine(line) == 0 && logFile.Flush() == 0) return;
    const int code = logFile.IsOpen() ? logFile.Error() : 0;
    try {
        std::string text = "Cannot write to the log file\r\n\r\n" +
                           (logFile.IsOpen() ? logFile.FileName() : LogFileName) + "\r\n\r\n";
        if (code != 0)
            text += "(" + std::error_code(code, std::generic_category()).message() + ")\r\n\r\n";
        text += "Logging has been turned off.";
        StopLog();
        MsgBox(text, "Warning", kMbOk);
    } catch (...) {
        StopLog();
    }
}
