// Lines that commands add to the analysis output file outside of a report.
#pragma once

#include <string>

// Appends line and CR LF to AnalysisFileName, creating the file when it does not exist; a failed
// write is reported with the file's name and the system's reason, and gives false.
bool AppendToAnalysisFile(const std::string& line);
