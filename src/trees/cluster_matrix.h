// The binary matrix of clusters by trees: every distinct cluster of a tree file (in order of first
// appearance) against every tree, 1 where the tree holds the cluster. The shell loads it as a band
// matrix whose individuals are the trees and whose loci are the clusters.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "foundation/reporter.h"
#include "foundation/types.h"
#include "trees/tree_reading.h"

struct TreeClusterMatrix {
    AString TreeNames;  // one per tree: its title, or "Tree" + its line number
    std::size_t Trees = 0;
    std::size_t Clusters = 0;
    AByte Matrix;  // cluster by cluster: tree t, cluster k (both 0-based) at k * Trees + t
};

// Reads the tree file and builds its matrix. A file without trees or clusters, a malformed tree
// and a tree with a name the first tree lacks are reported and give false (matrix left empty).
// With developerCheck the matrix is computed a second time by the second consensus method and the
// outcome shown in the "TEST" box.
bool Trees2Bin(Reporter& reporter, const std::string& fileName, TreeClusterMatrix& matrix, bool developerCheck = false);

// The matrix of parsed trees (names, counts and cells); false when a cluster cannot be placed.
bool Trees2BinMatrix(Reporter& reporter, const std::vector<ParsedTree>& trees, TreeClusterMatrix& matrix);

// The second computation: the matrix by the second method's cluster array (whole names). False,
// with nothing computed, when a tree has a cluster without any OTU name or a lookup fails.
bool Trees2BinB(const std::vector<ParsedTree>& trees, AByte& matrix, std::size_t& nTrees, std::size_t& nClusters);
