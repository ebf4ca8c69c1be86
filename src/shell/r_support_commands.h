// The R-support command of the Replicate Analyses menu.
#pragma once

#include <cstdint>

// R-support on the current data over r = rFrom .. rTo: the report goes to the analysis output file
// (when report is set), the Rx-consensus line to ConsensusOutFileName, and the trees panel shows
// that file. A run that does not complete writes no line. outInconsistent, outConsensusAtR and
// stopFraction have no effect on the analysis.
void CmdEstimateRSupport(std::int32_t rFrom, std::int32_t rTo, std::uint8_t rPrecision, std::uint8_t rMRThreshold,
                         std::int32_t rxThreshold, bool outInconsistent, bool outConsensusAtR, double stopFraction,
                         bool report);
