#include "shell/viewer_commands.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "foundation/file_io.h"
#include "shell/message_area.h"
#include "shell/viewer_record.h"
#include "shell/reporting.h"
#include "shell/settings.h"
#include "shell/ui_port.h"

namespace {

// A relative name is relative to the program's current folder; the viewer needs the full name.
std::string FullName(const std::string& fileName) {
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(fileName, ec);
    return ec ? fileName : full.string();
}

// missingMessage is shown when the file does not exist. The message line is written before the
// viewer starts, so that viewing the log finds the line in it.
void ViewFile(const std::string& fileName, const std::string& messageLine, const std::string& missingMessage) {
    if (!FileCanOpen(fileName)) {
        ShowError(missingMessage);
        return;
    }
    WriteMsg(messageLine);
    OpenInViewer(FullName(fileName), fileName);
}

}  // namespace

bool OpenInViewer(const std::string& fileName, const std::string& shownName) {
    std::string reason;
    if (Ui().OpenFileInViewer(fileName, reason)) return true;
    std::string message = "No program could be started to show the file " + shownName;
    if (!reason.empty()) message += "\r\n\r\n" + reason;
    ShowError(message);
    return false;
}

void CmdViewInputFile() {
    ViewFile(InputFileName, "Viewing input file: " + InputFileName, "Input file (" + InputFileName + ") not found.");
}

void CmdViewAnalysisFile() {
    ViewFile(AnalysisFileName, "Viewing analysis output file", "Analysis file (" + AnalysisFileName + ") not found.");
}

void CmdViewTreeFile() {
    ViewFile(TreeFileName, "Viewing tree(s) in the output tree file",
             "Tree output file (" + TreeFileName + ") not found.");
}

void CmdViewLogFile() {
    // The log is opened, written and closed line by line, so a viewer never finds it held open.
    ViewFile(LogFileName, "Viewing TESK log file", "Log file (" + LogFileName + ") not found.");
}

void CmdStart3DViewer() {
    WriteMsg("Starting 3D coordinate viewer");
    DisplayPCoAViewer(PCoAViewerMode::Empty, nullptr);
}

void DisplayPCoAViewer(PCoAViewerMode mode, const TPCoAViewerRec* rec) {
    if (mode != PCoAViewerMode::Empty && rec == nullptr) {
        ShowError("DisplayPCoAViewer: Invalid setup params");
        return;
    }
    Ui().ShowPCoAViewer(mode == PCoAViewerMode::Empty ? nullptr : rec);
}

void CmdExit() {
    WriteMsg("Exiting program. Bye bye!");
    Ui().QuitProgram();
}
