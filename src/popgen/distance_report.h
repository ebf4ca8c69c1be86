// Text reports of a layer's distance matrices: one block per matrix (title, empty line, a header
// of individual names, the lower triangle with the diagonal, empty line), built in the data
// set's report buffer and written to the analysis output file in one piece.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/packed_matrix.h"
#include "foundation/text_file.h"
#include "popgen/dataset.h"

// Length of the longest individual name of the layer; 0 for a layer without individuals.
std::size_t MaxIndNameLength(const TPopGenDataSet& ds, std::uint8_t layer);

// Writes one block of the layer's NInd individuals into buffer from line index: the title at
// index, the header (names padded to width, each followed by a blank) at index + 2 and the rows
// (values in width 11 with 10 decimals, each followed by a blank) at index + 3 .. index + 2 + n.
// Lines index + 1 and index + n + 3 are left as they are; the buffer is extended when it is too
// short. A matrix with fewer than n(n+1)/2 values leaves the rows it cannot fill empty.
// Afterwards index := index + n + 4.
void MatrixToText(const TPopGenDataSet& ds, Ttf& buffer, std::size_t& index, std::uint8_t layer,
                  const PackedMatrix& matrix, const std::string& title, std::size_t width);

// Writes the chosen matrices of the current layer to OutputFileName (appending when append is 1,
// else rewriting it): the raw coefficients (simOutput = 1), for an Average run (mode 3) their
// variance and SD, and the distances (distOutput = 1). Nothing happens when both flags are 0.
// Returns the result of the save: 0, -1 for a short write, or the system error code (ENOMEM
// when the report does not fit in memory).
int OutputDistances2File(TPopGenDataSet& ds, std::uint8_t mode, std::uint8_t coefficient, std::uint8_t transform,
                         std::uint8_t simOutput, std::uint8_t distOutput, std::uint8_t append);
