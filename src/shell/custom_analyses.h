// Developer routines, reached only through a developer build's menu.
#pragma once

#include <string>

// The folder the developer routines read their data from and write their results to: "devdata"
// in the program's folder.
std::string DeveloperFolder();

// Shannon's bootstrapped variance at 3 to 30 individuals for every group after "AllData" of the
// data file leu.txt in folder, each run headed in the analysis file leu_shannon.txt by the line
// "GROUP=\t" + group + "\tNInd=\t" + n. Answers every question Yes; the analysis file is started
// empty and every run appended to it (BatchAnswer and OverwriteMode are not restored). Stops at the
// first error.
void CustomAnalysisLeuShannon(const std::string& folder);
void CustomAnalysisLeuShannon();

// The developer button "amova": loads the test file rh2_spec2.txt of the current folder, removes
// the loci with more missing data than presences (no summary) and runs a one-level AMOVA with the
// current settings. A load that fails ends it with the load's own error.
void CustomAnalysisAmova();
inline constexpr const char* kAmovaTestFile = "rh2_spec2.txt";

// "avgind2pop": the average distance between the individuals of every two groups, from the current
// layer's distance matrix, becomes the current layer 3 (a matrix of groups, DistTransformation 3)
// and is written to the analysis file.
void CmdAvgInd2Pop();
