// Clustering of a packed distance matrix into a packed tree. A merged cluster's distance to
// another row is the plain mean over the merged members, each counting once; every cluster
// linked to the closest pair by further pairs at exactly the same distance joins in the same
// step, so a node can have more than two children.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "foundation/packed_matrix.h"
#include "foundation/types.h"
#include "trees/tree_records.h"

// A pair of rows (row > column, 1-based) of a packed matrix.
using RowPair = std::pair<std::size_t, std::size_t>;

// Smallest off-diagonal value of a packed matrix of n rows (the first in packed order);
// false when there is none below the largest double value.
bool ShortestDist(const PackedMatrix& matrix, std::size_t n, Extended& shortest);

// Every off-diagonal pair whose value equals d exactly, in packed order.
std::size_t FindPairsAtDist(const PackedMatrix& matrix, std::size_t n, Extended d,
                            std::vector<RowPair>& pairs);

// The rows linked to the first pair through pairs of the list, in the order found.
std::size_t FirstLinkedSet(Reporter& reporter, const std::vector<RowPair>& pairs, std::vector<std::size_t>& set);

bool InLinkedSet(std::size_t a, std::size_t b, const std::vector<std::size_t>& set);

// Clusters the n OTUs of the matrix (values of the diagonal are ignored) into a packed tree
// whose last entry is the root. Leaves are named by labels (position = OTU number - 1, cut to
// 20 characters), or "OTU<n>" without labels. False, with the failure reported and the node
// buffer emptied, when no tree could be built.
bool UPGMA(Reporter& reporter, const PackedMatrix& matrix, std::size_t n, const AString* labels, PackedNodes& nodes);
