// The R commands: the names of the plotting script, the interpreter and the plot file, and the
// plot itself.
#pragma once

#include <string>

// RScriptFileName := name; "Selected R Script: " + name.
void CmdSetRScript(const std::string& fileName);

// RscriptPath := path, or for an empty path the interpreter the R finder locates (empty when there
// is none); "Set Rcmd path to: " + path, or "Rscript path not set!" when it stays empty.
void CmdSetRscriptPath(const std::string& path);

// RPlotFileName := name (no message).
void CmdSetRPlotFile(const std::string& fileName);
