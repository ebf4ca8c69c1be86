// The distance analysis of one data layer: its own copy of the OTU names and the packed
// distance matrix, and what is computed from them (UPGMA text, neighbour-joining tree,
// principal coordinates).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "foundation/code.h"
#include "foundation/packed_matrix.h"
#include "foundation/reporter.h"
#include "foundation/types.h"
#include "trees/tree_records.h"

// Tree kinds of BuildTree and TreeText (the numbers of the DefaultTreeType setting): the text of a
// UPGMA build is kept as text, the neighbour-joining tree as node records.
enum class TreeKind : std::uint8_t {
    UPGMA = 0,
    NJ = 1,
};
// "UPGMA", "NJ"; empty for an unknown kind.
std::string TreeKindName(TreeKind kind);

inline constexpr std::size_t kPCoADefaultMaxIterations = 1000000;
inline constexpr Extended kPCoADefaultPrecision = 2.426994e-8L;
// A Jacobi run that does not converge may be retried with a 10-fold limit this many times.
inline constexpr int kPCoAMaxRetries = 3;

// Every routine reports through the analysis's reporter. A routine does not catch a memory
// shortage; it leaves the analysis without the result it was making (a tree or ordination is built
// aside and stored when complete), and the caller's wrapper reports it.
class TDistAnalysis {
public:
    // Reports through reporter, which must outlive the analysis.
    explicit TDistAnalysis(Reporter& reporter, std::uint8_t valueSize = kValueSize)
        : ValueSize(valueSize), reporter_(&reporter) {}

    Reporter& Reporting() const { return *reporter_; }

    AString OTUNames;       // one per OTU; appended centroid names follow them
    std::size_t NOTU = 0;
    PackedMatrix Dist;      // PackedSize(NOTU) values
    std::size_t NPosEigen = 0;
    Extended FirstEigen = 0.0L;
    Extended SumPosEigen = 0.0L;
    AExt EigenPercents;     // positive eigenvalues as percentages of their sum, largest first
    AAExt Coords;           // one row per OTU (and appended centroid), NPosEigen columns
    AAExt Centroids;        // one row per group
    Dendrogram Tree;        // the neighbour-joining tree
    Dendrogram WorkTree;    // the second clustering of UPGMAVerbose, only while it runs
    std::string StoredTree; // text of the last UPGMA tree
    std::uint8_t ValueSize; // slot size the data set records; storage is the vector
    // Pairs whose distance the run that made the matrix could not define (a NeiLi distance left at
    // -1.0): trees and ordination refuse such a matrix.
    std::size_t UndefinedPairs = 0;

    // Distance of OTUs a and b (1-based, either order).
    Extended PairDist(std::size_t a, std::size_t b) const { return Dist[PairIndex(a, b)]; }

    // Builds a tree of the given kind. Every build first clears the
    // previous tree and text; false (and nothing stored) when the build failed, which has been
    // reported.
    bool BuildTree(TreeKind kind, std::string_view title);
    bool UPGMA(std::string_view title);
    // The developer build's UPGMA (trees/upgma_verbose.h): the same tree, built step by step with a
    // second clustering in WorkTree beside it; a "TEST" box tells each step where the two differ.
    bool UPGMAVerbose(std::string_view title);
    bool NJ(std::string_view title);

    // Text of the neighbour-joining tree.
    std::string DendrogramText() const;
    // Tree text by kind: the stored UPGMA text, or the neighbour-joining tree. False for an
    // unknown kind (text emptied) or when a non-PHYLIP format is asked for (text unchanged).
    bool TreeText(TreeKind kind, bool nonPhylip, std::string& text) const;

    // Principal coordinate analysis of Dist with Jacobi rotations; false when it failed or
    // was not retried (results then stay empty).
    bool PCoA(std::size_t maxIterations = kPCoADefaultMaxIterations,
              Extended precision = kPCoADefaultPrecision);

    // Centroid of each group (0-based index per OTU) over Coords; with append the centroids
    // become extra OTUs named "Centoid_<g>". Returns the number of groups, 0 when nothing was
    // computed (no coordinates, list not matching, or an OTU without a group).
    std::size_t GroupCentroids(std::span<const std::int32_t> groups, bool append);

    // The PCoA report, at most maxCoordinates coordinates per OTU, lines without breaks.
    AString PCoAReportLines(std::size_t maxCoordinates) const;
    // Appends the report to the file, or rewrites it; 0 or the operating system's error code.
    int WritePCoAReport(const std::string& fileName, std::size_t maxCoordinates,
                        bool rewrite) const;

private:
    void ClearTrees();
    void ClearOrdination();
    // Whether names and matrix fit NOTU, no pair is undefined and every distance is finite;
    // reports otherwise.
    bool CheckInput(std::string_view method, const char* mismatchMessage) const;
    // The OTU names as the tree text carries them (cut to 20 characters).
    AString TreeLabels() const;

    Reporter* reporter_;  // a pointer, so that an analysis can be copied
};

class TPopGenDataSet;

// Replaces the current layer's analysis by a new one holding copies of the layer's individual
// names and distance matrix (zeros when the layer has none) and its count of undefined pairs, and
// reporting through the data set's reporter; returns it.
TDistAnalysis& MakeDistAnalysis(TPopGenDataSet& dataSet);

// The working copy of an analysis's matrix that the builders use: a diagonal that is not zero
// (a bandless individual under Jaccard, an imported matrix) counts as zero.
PackedMatrix ZeroDiagonalCopy(const PackedMatrix& matrix, std::size_t n);
