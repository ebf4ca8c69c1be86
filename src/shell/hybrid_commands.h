// The maximum-likelihood hybrid index (Analysis menu) and population reallocation commands.
#pragma once

#include <cstdint>

#include "foundation/types.h"

// The hybrid index of every individual of the test group between the two parental groups (group
// indexes; -1, nothing chosen, counts as group 1), written to the analysis output file. With rmd
// the parents' missing cells are replaced first (a band with probability mdFraction).
void CmdMLHybridIndex(std::int32_t parent1, std::int32_t parent2, std::int32_t testGroup, bool rmd, float mdFraction);

// Allocates every individual to the most likely of the ticked groups (one flag per group) and
// writes the table to the analysis output file. A missing cell has the band probability mdFraction
// with rmd, and counts as an absence without.
void CmdMLPopReallocation(const ABool& selection, bool sampleSizeCorrection, Extended minDiff, Extended epsilon,
                          bool rmd, float mdFraction);
