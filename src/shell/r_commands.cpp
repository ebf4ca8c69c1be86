#include "shell/r_commands.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "foundation/file_io.h"
#include "foundation/os_facts.h"
#include "foundation/scope_exit.h"
#include "shell/commands.h"
#include "shell/message_area.h"
#include "shell/program_files.h"
#include "shell/r_finder.h"
#include "shell/reporting.h"
#include "shell/settings.h"
#include "shell/ui_port.h"
#include "shell/viewer_commands.h"

namespace {

// R's last lines shown in the error box; the log gets all of them.
constexpr std::size_t kShownErrorLines = 8;
constexpr std::size_t kShownLineLength = 200;
constexpr std::uint64_t kLoggedErrorBytes = 1 << 20;

// What tells a file written by this run from one left by an earlier run.
struct FileStamp {
    bool exists = false;
    off_t size = 0;
    ino_t inode = 0;
    timespec modified{};
};

FileStamp StampOf(const std::string& name) {
    struct stat st {};
    if (name.empty() || ::stat(name.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    return {true, st.st_size, st.st_ino, st.st_mtim};
}

bool SameStamp(const FileStamp& a, const FileStamp& b) {
    return a.exists == b.exists && a.size == b.size && a.inode == b.inode && a.modified.tv_sec == b.modified.tv_sec &&
           a.modified.tv_nsec == b.modified.tv_nsec;
}

// A file for R's standard error, removed when the object goes.
class ErrorOutput {
public:
    ErrorOutput() {
        std::error_code ec;
        std::string pattern = (std::filesystem::temp_directory_path(ec) / "tesk-rscript-XXXXXX").string();
        const int fd = ::mkstemp(pattern.data());
        if (fd >= 0) {
            ::close(fd);
            name_ = pattern;
        }
    }
    ~ErrorOutput() {
        if (!name_.empty()) ::unlink(name_.c_str());
    }
    ErrorOutput(const ErrorOutput&) = delete;
    ErrorOutput& operator=(const ErrorOutput&) = delete;

    const std::string& Name() const { return name_; }

    // Its lines, at most the last kLoggedErrorBytes of them.
    std::vector<std::string> Lines() const {
        AString lines;
        if (name_.empty()) return lines;
        std::string text;
        std::uint64_t size = 0;
        if (ReadFileToString(name_, text, size) != 0) return lines;
        if (text.size() > kLoggedErrorBytes) text.erase(0, text.size() - kLoggedErrorBytes);
        std::string line;
        for (char c : text) {
            if (c == '\n' || c == '\r') {
                if (!line.empty()) lines.push_back(line);
                line.clear();
            } else {
                line += c;
            }
        }
        if (!line.empty()) lines.push_back(line);
        return lines;
    }

private:
    std::string name_;
};

void ReportFailedRun(int code, const std::vector<std::string>& errorLines) {
    for (const std::string& line : errorLines) WriteLogLine("R: " + line);
    std::string text = "R Plotting with script file " + RScriptFileName + " failed";
    text += "\r\nRscript ended with code " + std::to_string(code) + ".";
    if (!errorLines.empty()) {
        text += " R said:";
        const std::size_t first = errorLines.size() > kShownErrorLines ? errorLines.size() - kShownErrorLines : 0;
        for (std::size_t i = first; i < errorLines.size(); ++i)
            text += "\r\n" + errorLines[i].substr(0, kShownLineLength);
    }
    ShowError(text);
}

}  // namespace

void CmdSetRScript(const std::string& fileName) {
    RScriptFileName = fileName;
    WriteMsg("Selected R Script: " + fileName);
}

void CmdSetRscriptPath(const std::string& path) {
    RscriptPath = path.empty() ? FindRscript() : path;
    WriteMsg(RscriptPath.empty() ? std::string("Rscript path not set!") : "Set Rcmd path to: " + RscriptPath);
}

void CmdSetRPlotFile(const std::string& fileName) { RPlotFileName = fileName; }

void CmdPlotWithR() {
    if (RscriptPath.empty()) RscriptPath = FindRscript();
    if (RscriptPath.empty()) {
        ShowError("R script interpreter not found/set");
        return;
    }
    if (!IsExecutableFile(RscriptPath)) {
        ShowError("R script interpreter " + RscriptPath + " cannot be run: it is missing or not executable");
        return;
    }
    if (!FileCanOpen(AnalysisFileName)) {
        ShowError("Necessary analysis file " + AnalysisFileName + " not found");
        return;
    }
    const std::string script = ProgramFileName(RScriptFileName);
    if (!FileCanOpen(script)) {
        ShowError("R plotting script " + RScriptFileName + " not found");
        return;
    }
    const std::string plot = AbsoluteFileName(RPlotFileName);
    std::vector<std::string> arguments{script, AbsoluteFileName(AnalysisFileName)};
    if (!RPlotFileName.empty()) arguments.push_back(plot);

    const FileStamp before = StampOf(plot);
    const ErrorOutput errors;
    int code = 0;
    {
        CommandRun run("Plotting with R script ...");
        run.Transfer([&] {
            const bool ran = ExecAndWait(RscriptPath, arguments, errors.Name());
            code = ExecLastError();
            return ran;
        });
        if (!run.Finish()) {
            ReportFailedRun(code, errors.Lines());
            return;
        }
    }
    AppendMsg(" Viewing output file...");
    const FileStamp after = StampOf(plot);
    std::string problem;
    if (!after.exists) problem = "R plot output file (" + RPlotFileName + ") not found.";
    else if (after.size == 0) problem = "R plot output file (" + RPlotFileName + ") is empty.";
    else if (SameStamp(before, after))
        problem = "R plot output file (" + RPlotFileName + ") was not written by this run; it is left from before.";
    if (!problem.empty()) {
        WriteMsgFailed();
        ShowError(problem);
        return;
    }
    SetStatusBusyIO();
    const ScopeExit idle([] { SetStatusIdle(); });
    if (!OpenInViewer(plot, plot)) {
        WriteMsgFailed();
        return;
    }
    WriteMsgDone();
}

void CmdViewLastRPlot() {
    const std::string plot = AbsoluteFileName(RPlotFileName);
    if (RPlotFileName.empty() || !FileCanOpen(plot)) {
        ShowError("No file to view: " + plot);
        return;
    }
    if (!OpenInViewer(plot, plot)) return;
    WriteMsg("Viewing last R plot");
}
