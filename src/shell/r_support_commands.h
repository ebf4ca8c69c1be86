// The R-support command of the Replicate Analyses menu.
#pragma once

#include <cstdint>

// The output choices of CmdEstimateRSupport; the Rx-consensus line is always written.
struct RSupportOutput {
    bool Inconsistent = false;  // no effect on the analysis
    bool ConsensusAtR = false;  // no effect on the analysis
    bool Report = false;        // the report to the analysis output file
};

// R-support on the current data over r = rFrom .. rTo: the report goes to the analysis output file
// (when output.Report is set), the Rx-consensus line to ConsensusOutFileName, and the trees panel
// shows that file. A run that does not complete writes no line. stopFraction has no effect on the
// analysis.
void CmdEstimateRSupport(std::int32_t rFrom, std::int32_t rTo, std::uint8_t rPrecision, std::uint8_t rMRThreshold,
                         std::int32_t rxThreshold, double stopFraction, const RSupportOutput& output);
