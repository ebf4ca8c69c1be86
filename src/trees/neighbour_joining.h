// Neighbour joining on a distance analysis's matrix (TDistAnalysis::NJ). The result is an
// unrooted tree written with three children at its root.
#pragma once

#include <cstddef>
#include <string_view>
#include <utility>

#include "foundation/reporter.h"
#include "foundation/types.h"
#include "trees/tree_records.h"

// Branch lengths of rows a and b joined in a matrix of `rows` rows: d is d(a, b), sumA and
// sumB the row sums of a and b.
std::pair<Extended, Extended> NJ_BranchLengths(std::size_t rows, Extended d, Extended sumA,
                                               Extended sumB);

// The current distances of a neighbour-joining run. Rows are 0-based in the run's order: rows
// that were not joined keep their order, the joined node's row comes last.
class NJMatrix {
public:
    virtual ~NJMatrix() = default;
    virtual std::size_t Rows() const = 0;
    virtual Extended D(std::size_t i, std::size_t j) const = 0;
    // Row sums (each over all current rows in order, the diagonal's 0 included) and the pair
    // a < b whose Q = (rows - 2) d(a, b) - r(a) - r(b) is the first smallest in packed order.
    // False when no Q falls below the largest extended value.
    virtual bool SmallestQ(AExt& sums, std::size_t& a, std::size_t& b) = 0;
    // Removes rows a < b and appends the joined node's row: (d(k, a) + d(k, b) - d(a, b)) / 2.
    virtual void Join(std::size_t a, std::size_t b) = 0;
};

// Joins the rows of matrix (one per OTU, named by names) into tree, whose Name the caller sets.
// False when the run failed (reported).
bool RunNJ(Reporter& reporter, const AString& names, NJMatrix& matrix, Dendrogram& tree);
