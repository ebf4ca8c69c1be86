// R-support analysis: for Average draw counts r between RFrom and RTo, the majority-rule consensus
// of a series of averaged replicate trees; the range is refined on a logarithmic scale, each
// cluster keeps the smallest r at which it was found, and the Rx-consensus holds the clusters
// found at r <= RxThreshold, each labelled with log10 of its r.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "foundation/reporter.h"
#include "foundation/types.h"
#include "popgen/data/dataset.h"
#include "trees/cluster_list.h"
#include "trees/tree_series.h"

// One evaluated r: the next larger evaluated r (0 while there is none, 999 once closed without
// one) and a flag (0, or an r value: see RefineCheck).
struct RListEntry {
    std::uint32_t R = 0;
    std::uint32_t Next = 0;
    std::uint32_t Flag = 0;
};
using RList = std::vector<RListEntry>;

struct RSupportOptions {
    std::uint32_t RFrom = 1;
    std::uint32_t RTo = 10000;
    std::uint8_t RPrecision = 1;        // decimals of log10(r) that matter
    std::uint32_t RxThreshold = 10000;  // clusters found at r up to this make the Rx-consensus
    std::uint32_t RMRThreshold = 100;   // majority-rule threshold of each consensus, per cent
    std::uint8_t RoundMode = 2;         // rounding of support percentages
};

struct RSupportResult {
    std::string Line = "R-support failure";  // the Rx-consensus once the analysis completed
    AString Report;                          // the cluster report
    std::vector<std::uint32_t> Evaluated;    // the r values, in the order they were evaluated
    AString ConsensusAtR;                    // the consensus line of each evaluated r, same order
    ATrSetCluster Clusters;                  // the final clusters (Count: support %, RValue: r)
};

// The tree lines of the replicate series for one r; false (reported) when it cannot be made.
using RTreeSeries = std::function<bool(std::uint32_t r, AString& trees)>;

// Records r: the entry with the largest r below it (the first of equals) gets r as its next value,
// and (r, that entry's former next value or 0, 0) is appended.
void AddRValue(RList& list, std::uint32_t r);
// The rounded geometric mean of a and b, in exact integers.
std::uint32_t NextRValue(std::uint32_t a, std::uint32_t b);
// True, with the interval's ends, when an interval still needs refinement.
bool RefineCheck(const RList& list, std::uint8_t precision, std::uint32_t& low, std::uint32_t& high);

// Parses tree lines into trees; the first malformed one is reported.
bool TreesToRefs(Reporter& reporter, const AString& lines, std::vector<ParsedTree>& trees);
// The consensus of the trees at the threshold with angle labels, the root labelled "<TreeID~id>".
bool RConsensus(Reporter& reporter, const std::string& id, std::uint32_t threshold, const AString& trees,
                std::uint8_t roundMode, std::string& text);
// Appends the clusters of a consensus line of r (with their percentages) to the list, unmerged.
bool GetExtClusters(Reporter& reporter, const std::string& line, const OTUList& otus, ClusterList& list);
// The first thinning: each cluster keeps its smallest r. A cluster found at a smaller r but not at
// a larger one is warned about.
void ThinRClusters(Reporter& reporter, ClusterList& list);
// Thinning after the clusters of r were appended from index firstNew on.
bool AddThinCLustersExt(Reporter& reporter, ClusterList& list, std::size_t firstNew, std::uint32_t r);

// The analysis over any tree series. Refuses (reported) unless 1 <= RFrom < RTo and
// 50 <= RMRThreshold <= 100. False, with Line "R-support failure", when it does not complete.
bool RSupport(Reporter& reporter, const RSupportOptions& options, const RTreeSeries& series, RSupportResult& result);
// The analysis on the data set's current layer: for each r, MultiAvgTrees with the Average
// treatment and r draws (the other series options from base), drawing from random.
bool RSupport(Reporter& reporter, TPopGenDataSet& ds, const TreeSeriesOptions& base, const RSupportOptions& options,
              RandomStream& random, RSupportResult& result);
