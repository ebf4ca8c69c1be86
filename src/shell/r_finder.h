// Locating the R interpreter Rscript. R has no registry here: an installation is found through
// R_HOME, then the folders of PATH, then the folders R's packages and installers use.
#pragma once

#include <string>
#include <vector>

// Where to look; the program's search uses the process's environment and the usual folders,
// tests give their own.
struct RSearchPlaces {
    std::string rHome;                 // $R_HOME: its bin folder is searched first
    std::string path;                  // $PATH: its absolute folders, in order
    std::vector<std::string> folders;  // then these, in order
    std::string optRoot;               // then <optRoot>/<version>/bin, the highest version first
};

// The places of this machine: R_HOME and PATH of the environment; /usr/lib/R/bin,
// /usr/local/lib/R/bin, /usr/bin, /usr/local/bin; /opt/R. Unless replaced: tests give places of
// their own (SetRSearchPlaces(nullptr) goes back to this machine's).
RSearchPlaces DefaultRSearchPlaces();
void SetRSearchPlaces(const RSearchPlaces* places);

// The first folder of places that holds an executable regular file Rscript, or empty.
std::string FindRInstallDir(const RSearchPlaces& places);
std::string FindRInstallDir();

// The full name of that Rscript, or empty when none was found.
std::string FindRscript(const RSearchPlaces& places);
std::string FindRscript();

// Whether name is a regular file the program may execute.
bool IsExecutableFile(const std::string& name);
