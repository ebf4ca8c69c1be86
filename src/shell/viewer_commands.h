// The commands of the View menu that hand a result file to the program the desktop associates
// with it, and the end of the program.
#pragma once

// Each: when the file exists it is opened in its viewer and a line goes to the message area;
// a missing file, or a viewer that cannot be started, is reported.
void CmdViewInputFile();     // InputFileName
void CmdViewAnalysisFile();  // AnalysisFileName
void CmdViewTreeFile();      // TreeFileName
void CmdViewLogFile();       // LogFileName

// "Exiting program. Bye bye!", then the program ends once the command has returned.
void CmdExit();
