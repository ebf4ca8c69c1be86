// Clustering of a packed distance matrix into a packed tree. A merged cluster's distance to
// another row is the plain mean over the merged members, each counting once; every cluster
// linked to the closest pair by further pairs at exactly the same distance joins in the same
// step, so a node can have more than two children.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "foundation/packed_matrix.h"
#include "foundation/reporter.h"
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

// A row of the clustering: the node it stands for and that node's number of children.
struct ClusterRow {
    std::size_t id;          // node id: 1..n for OTUs, n + entry for clusters
    std::size_t childCount;  // children of the row's node
};

// Writes the nodes of the merges into a packed buffer with room for NodeCount(n) + 1 entries.
// Keeps, per entry, the lowest entry that names it as parent, so that heights need no search of
// the buffer.
class UPGMANodeWriter {
public:
    UPGMANodeWriter(std::size_t n, const AString* labels, PackedNodes& nodes);

    std::size_t Written() const { return written_; }

    // Entries for the members of a linked set (their rows in set order) and for their new
    // cluster at the given height; returns the cluster's entry.
    std::size_t MakeClusterNodes(const std::vector<ClusterRow>& members, Extended height);
    // Rewrites the last entry written as the root.
    void MakeRoot();

private:
    std::string LeafName(std::size_t id) const;
    void SetParent(std::size_t entry, std::size_t parent);
    Extended NodeHeight(std::size_t entry) const;

    std::size_t n_;
    const AString* labels_;
    PackedNodes& nodes_;
    std::vector<std::size_t> firstChild_;
    std::size_t written_ = 0;
};

// Height of a cluster: the sum of the distances between all pairs of set members (a before b in
// set order) over twice the number of such pairs.
template <class Distance>
Extended ClusterHeight(const std::vector<std::size_t>& set, Distance distance) {
    Extended sum = 0.0L;
    for (std::size_t a = 0; a < set.size(); ++a) {
        for (std::size_t b = a + 1; b < set.size(); ++b) sum += distance(set[a], set[b]);
    }
    const std::size_t pairs = set.size() * (set.size() - 1) / 2;
    return sum / (2.0L * static_cast<Extended>(pairs));
}

// Clusters the n OTUs of the matrix (values of the diagonal are ignored) into a packed tree
// whose last entry is the root. The matrix is read where it stands and each cluster's row is
// written once; the next pair comes from each row's few closest partners, kept up to date:
// O(n^2) work unless many rows lose all their closest partners.
// Leaves are named by labels (position = OTU number - 1, cut to 20 characters), or "OTU<n>" without
// labels. False, with the failure reported and the node buffer emptied, when no tree could be built.
bool UPGMA(Reporter& reporter, const PackedMatrix& matrix, std::size_t n, const AString* labels, PackedNodes& nodes);
