// Neighbour joining on a distance analysis's matrix (TDistAnalysis::NJ). The result is an
// unrooted tree written with three children at its root.
#pragma once

#include <cstddef>
#include <utility>

#include "foundation/types.h"

// Branch lengths of rows a and b joined in a matrix of `rows` rows: d is d(a, b), sumA and
// sumB the row sums of a and b.
std::pair<Extended, Extended> NJ_BranchLengths(std::size_t rows, Extended d, Extended sumA,
                                               Extended sumB);
