// The data commands: loading, importing, saving and restoring the data matrix, and its statistics.
#pragma once

#include <cstdint>

// Rebuilds the working layer from the loaded data (AllData by AllLoci) and makes it current.
void CmdRestoreOriginalMatrix();
// Individuals, loci, matrix size and missing data of the current layer, shown when display is 1
// and written to the analysis output file when the user agrees or alwaysWriteToFile is 1.
void CmdMatrixStatistics(std::uint8_t display, std::uint8_t alwaysWriteToFile);
