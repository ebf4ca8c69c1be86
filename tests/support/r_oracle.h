// Running R for the oracle tests: where Rscript is, and a script's printed output.
#pragma once

#include <cstdio>
#include <fstream>
#include <string>

#include "support/temp_dir.h"

// The first Rscript of the usual install folders, or "" when R is not installed.
inline std::string FindRscript() {
    for (const char* candidate : {"/usr/bin/Rscript", "/usr/local/bin/Rscript", "/usr/lib/R/bin/Rscript"}) {
        if (std::ifstream(candidate).good()) return candidate;
    }
    return "";
}

// Runs an R script in the folder and returns what it printed.
inline std::string RunR(const TempDir& dir, const std::string& rscript, const std::string& script) {
    const std::string file = dir.Write("oracle.R", script);
    const std::string command = "cd '" + dir.Root().string() + "' && '" + rscript + "' --vanilla '" + file + "' 2>&1";
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
        ::pclose(pipe);
    }
    return output;
}
