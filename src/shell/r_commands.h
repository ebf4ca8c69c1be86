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

// Runs the plotting script RScriptFileName with Rscript on the analysis file, writing the plot
// to RPlotFileName, and shows the plot. Refuses with the reason when no interpreter, analysis file
// or script is found; a failed run is reported with R's error output (in full in the log), and the
// plot counts only when this run wrote it (new and not empty).
void CmdPlotWithR();

// Opens the plot file RPlotFileName in its viewer, or "No file to view: " + its full name.
void CmdViewLastRPlot();
