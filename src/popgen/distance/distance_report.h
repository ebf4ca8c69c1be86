// Text reports of a layer's distance matrices: one block per matrix (title, empty line, a header
// of individual names, the lower triangle with the diagonal, empty line), built in memory and
// written to the analysis output file in one piece. The writers read the layer through a const view.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/packed_matrix.h"
#include "foundation/text_file.h"
#include "popgen/data/codes.h"
#include "popgen/data/dataset.h"

// Length of the longest individual name of the layer; 0 for a layer without individuals.
std::size_t MaxIndNameLength(const TDSLayer& layer);

// Writes one block of the layer's NInd individuals into buffer from line index: the title at
// index, the header (names padded to width, each followed by a blank) at index + 2 and the rows
// (values in width 11 with 10 decimals, an undefined one as "NaN", each followed by a blank) at
// index + 3 .. index + 2 + n. Lines index + 1 and index + n + 3 are left as they are; the buffer
// is extended when it is too short. A matrix with fewer than n(n+1)/2 values leaves the rows it
// cannot fill empty. Afterwards index := index + n + 4.
void MatrixToText(const TDSLayer& layer, Ttf& buffer, std::size_t& index, const PackedMatrix& matrix,
                  const std::string& title, std::size_t width);

// Writes the layer's distance matrix as a single block under title to the file, appending or
// rewriting it. Returns the result of the save, or ENOMEM when the report does not fit in memory.
int WriteDistanceBlock(const TDSLayer& layer, const std::string& title, const std::string& fileName, bool append);

// What a distance report holds: the raw coefficients (Similarities), for an Average run their
// variance and SD (the titles name the draws), and the distances (Distances).
struct DistReportOptions {
    Treatment Mode = Treatment::Standard;
    Coefficient Coeff = Coefficient::Jaccard;
    Transformation Transform = Transformation::OneMinusS;  // the one the run applied is named
    std::size_t Draws = 100;
    bool Similarities = false;
    bool Distances = true;
};

// Writes the report of the layer's matrices to the file, appending or rewriting it; nothing happens
// when neither matrix is asked for. Returns the result of the save: 0, -1 for a short write, or the
// system error code (ENOMEM when the report does not fit in memory).
int WriteDistanceReport(const TDSLayer& layer, const DistReportOptions& options, const std::string& fileName,
                        bool append);

// Which matrices OutputDistances2File reports, and whether it appends to the file or rewrites it.
struct DistFileOutput {
    bool Similarities = false;
    bool Distances = false;
    bool Append = false;
};

// The report of the data set's current layer, with its AvgDraws, to its OutputFileName.
int OutputDistances2File(const TPopGenDataSet& ds, Treatment mode, Coefficient coefficient, Transformation transform,
                         const DistFileOutput& output);
