// The developer build's UPGMA: the clustering done step by step on a matrix rebuilt after every
// merge, with a second clustering on node records beside it (the analysis's WorkTree); the "TEST"
// box tells when the two part ways. The stepped clustering is also the straightforward path that
// the fast UPGMA must match.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "foundation/packed_matrix.h"
#include "foundation/reporter.h"
#include "foundation/types.h"
#include "trees/tree_records.h"
#include "trees/upgma.h"

class TDistAnalysis;

// The matrix of the next step, of m - set size + 1 rows: the rows outside the set (1-based rows of a
// matrix of m rows) keep their order, the new cluster comes last with the plain mean of its members'
// distances, summed in set order.
PackedMatrix NextClusterMatrix(const PackedMatrix& matrix, std::size_t m, const std::vector<std::size_t>& set);
// The rows of the next step: those outside the set in order, then the new cluster with one child per
// member.
std::vector<ClusterRow> NextIdTable(const std::vector<ClusterRow>& rows, const std::vector<std::size_t>& set,
                                    std::size_t clusterId);

// Told after each step's shortest-distance search, and after each merge whether it left one row.
struct UPGMAStepWatch {
    std::function<void(Extended shortest)> ShortestFound;
    std::function<void(bool last)> Merged;
};

// UPGMA as a sequence of whole-matrix steps: shortest distance, pairs at it, linked set, nodes,
// next id table, next matrix. Same result, arguments and failures as UPGMA.
bool SteppedUPGMA(Reporter& reporter, const PackedMatrix& matrix, std::size_t n, const AString* labels,
                  PackedNodes& nodes, const UPGMAStepWatch* watch = nullptr);

// The second clustering: node records in the analysis's WorkTree (entry k of the packed tree is
// node k - 1, the root its own parent) and a square matrix of the current rows, made from the
// analysis's own matrix. The same rules as the packed clustering, kept apart from its code.
class UPGMAWorkTree {
public:
    // Names the WorkTree "UPGMA" and empties it; labels name the leaves (cut to 20 characters).
    UPGMAWorkTree(TDistAnalysis& analysis, const AString& labels);

    std::size_t Rows() const { return rows_.size(); }
    // The first smallest off-diagonal distance, rows ascending and within a row columns ascending;
    // false when none lies below the largest double value.
    bool Shortest(Extended& d) const;
    // Joins every row linked to the first closest pair by pairs at the same distance; false (the
    // state unchanged) when no pair could be formed.
    bool Merge();
    // The last node becomes the root: "last node", length -0, its own parent.
    void MakeRoot();

private:
    struct Row {
        std::size_t node;      // index in the WorkTree's nodes; kLeaf while an OTU is not placed
        std::size_t otu;       // 1-based OTU of a leaf row
        std::size_t children;  // of the row's node
    };
    Extended Height(std::size_t node) const;

    Dendrogram& tree_;
    const AString& labels_;
    std::vector<std::vector<Extended>> d_;  // the current rows' distances, both triangles
    std::vector<Row> rows_;
};

// The checks beside each step: "upgma error shortestdist" when the two shortest distances differ,
// "upgmaerror..." when the two disagree on whether the merge was the last one. False when a box was
// shown.
bool CheckUPGMAShortest(Extended packed, Extended work);
bool CheckUPGMALast(bool packed, bool work);
