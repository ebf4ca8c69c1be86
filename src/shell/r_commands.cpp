#include "shell/r_commands.h"

#include "shell/message_area.h"
#include "shell/r_finder.h"
#include "shell/settings.h"

void CmdSetRScript(const std::string& fileName) {
    RScriptFileName = fileName;
    WriteMsg("Selected R Script: " + fileName);
}

void CmdSetRscriptPath(const std::string& path) {
    RscriptPath = path.empty() ? FindRscript() : path;
    WriteMsg(RscriptPath.empty() ? std::string("Rscript path not set!") : "Set Rcmd path to: " + RscriptPath);
}

void CmdSetRPlotFile(const std::string& fileName) { RPlotFileName = fileName; }
