// Files that come with the program (the R plotting script, the manual) are installed beside it.
#pragma once

#include <string>

// The full name of such a file: a relative name is looked up in the current folder first (a copy
// of the user's own there wins), then in the program's folder AppPath; when neither holds it, the
// name in the current folder.
std::string ProgramFileName(const std::string& name);

// A relative name made absolute against the current folder.
std::string AbsoluteFileName(const std::string& name);

// The folder the program works in, with its trailing separator: reports, trees, logs and plots
// under relative names go there, and the file dialogs open there.
std::string WorkingFolder();

// The name relative to the working folder when it lies in it, else the name unchanged.
std::string NameInWorkingFolder(const std::string& name);
