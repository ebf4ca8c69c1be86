// The commands of the View menu that hand a result file to the program the desktop associates
// with it or open the 3-D viewer, and the end of the program.
#pragma once

#include <string>

// Hands the file to its viewer. When none can be started, shows an error naming shownName and the
// reason, and returns false.
bool OpenInViewer(const std::string& fileName, const std::string& shownName);

// Each: when the file exists it is opened in its viewer and a line goes to the message area;
// a missing file, or a viewer that cannot be started, is reported.
void CmdViewInputFile();     // InputFileName
void CmdViewAnalysisFile();  // AnalysisFileName
void CmdViewTreeFile();      // TreeFileName
void CmdViewLogFile();       // LogFileName

// "Starting 3D coordinate viewer", then the 3-D viewer opens empty, for coordinates to import.
void CmdStart3DViewer();

// "Exiting program. Bye bye!", then the program ends once the command has returned.
void CmdExit();
