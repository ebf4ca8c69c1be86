// The consensus runs and the cluster matrix as first written (one byte per OTU in every mask), the
// reference the program's bit-set paths must match byte for byte.
#pragma once

#include <cstdint>
#include <vector>

#include "foundation/reporter.h"
#include "trees/cluster_matrix.h"
#include "trees/consensus.h"
#include "trees/tree_reading.h"

namespace reference {

// Both methods over parsed trees as TTrees::Consensus runs them after reading the file: the lines,
// both cluster reports and whether the lines match (the "TEST" box is not shown).
bool Consensus(Reporter& reporter, const TTrees& options, std::uint32_t threshold, bool labels,
               const std::vector<ParsedTree>& trees, ConsensusResult& result);

// The cells, tree count and cluster count of the cluster matrix (tree names are not set).
bool ClusterMatrix(Reporter& reporter, const std::vector<ParsedTree>& trees, TreeClusterMatrix& matrix);

}  // namespace reference
