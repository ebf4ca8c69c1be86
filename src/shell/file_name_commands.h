// The File-menu commands that choose where reports, trees, consensus trees and the log go, and
// that turn logging on and off. Each stores the name as given and says so in the message area.
#pragma once

#include <string>

// AnalysisFileName := name; the data set, when there is one, writes its reports there too.
void CmdSetAnalysisFile(const std::string& fileName);
void CmdSetTreeFile(const std::string& fileName);          // TreeFileName
void CmdSetConsensusInFile(const std::string& fileName);   // ConsensusInFileName
void CmdSetConsensusOutFile(const std::string& fileName);  // ConsensusOutFileName
// LogFileName := name; a log being written goes on into the old file until logging is turned off.
void CmdSetLogFile(const std::string& fileName);

// Starts logging into LogFileName (by the output-file rule: append or rewrite an existing log)
// with the line "Started Logging on <date> at <time>", or ends it with "Stopped Logging on ..."
// as the log's last line. A log that cannot be opened is reported with its name and the system's
// reason, and logging stays off.
void CmdSetLogging(bool turnOn);

// "<date> at <time>" of now, in the user's date and time format.
std::string LogStampText();
