// The DataMatrix menu's descriptive statistics: bands per individual, polymorphic, fixed, private
// and fixed private bands, band frequencies per individual and per locus, and missing data.
//
// The mean, polymorphic and fixed band counts describe the current data and ask before writing
// when only "AllData" is defined; with groups they write one block per group ("AllData" first)
// without asking. Each group is counted on a scratch layer built from the working data, so the
// current layer, group and locus set (and any filter applied to them) stay as they were.
// Reports go to the analysis output file by the output-file rule.
#pragma once

void CmdMeanBands();
void CmdPolymorphicBands();
void CmdFixedBands();
// Need at least one group besides "AllData".
void CmdPrivateBands();
void CmdFixedPrivateBands();
void CmdFreqPerIndividual();
// Per locus (ShannonFreqMode 1: presences / individuals) or relative to all presences (0).
void CmdFreqPerLocus();
void CmdMissingDataStats();
