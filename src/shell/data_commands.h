// The data commands: loading, importing, saving and restoring the data matrix, and its statistics.
#pragma once

#include <cstdint>
#include <string>

// Rebuilds the working layer from the loaded data (AllData by AllLoci) and makes it current.
void CmdRestoreOriginalMatrix();
// Where the matrix statistics go: shown (Display) with the question whether to write them, and
// written to the analysis output file when the user agrees or AlwaysWriteToFile is set.
struct StatisticsOutput {
    bool Display = false;
    bool AlwaysWriteToFile = false;
};
// Individuals, loci, matrix size and missing data of the current layer.
void CmdMatrixStatistics(const StatisticsOutput& output);

// Loads a data file: its file specification line sets the input format (the file-parameter dialog is
// shown unless a valid line was found and TrustSpecs is 1; a line that could not be read whole is
// reported first), then a new data set replaces the old one. A load that fails keeps the previous
// data set.
void CmdLoadInputFile(const std::string& fileName);
// Loads a tab-separated table of band counts (thresholds as the count-import dialog gives them).
void CmdImportCountData(const std::string& fileName, std::int32_t absenceMax, std::int32_t presenceMin,
                        const std::string& missingToken);
// Loads a band matrix from the clipboard text after the file-parameter dialog.
void CmdLoadFromClipboard();
// Saves the current layer with the file specification line of the current settings (always rewriting).
void CmdSaveDataMatrix(const std::string& fileName);
// What a distance-matrix import does with negative values (the numbers of the command's mode).
enum class NegativeDistances : std::uint8_t {
    Ask = 0,      // ask whether to replace them by zeroes
    Replace = 1,  // replace them by zeroes
    Keep = 2,
};
// Loads a labelled lower-triangle distance matrix in place of band data.
void CmdImportDistanceMatrix(const std::string& fileName, NegativeDistances negatives);
