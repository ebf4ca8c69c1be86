// Strict and majority-rule consensus trees of a tree file. The clusters of all trees are counted
// twice, by two methods that collect them into different structures (a hashed cluster list over
// OTU names cut to 20 characters, which refuses clusters with foreign or longer names, and a list
// over whole names, which skips foreign ones); both build the consensus line by the same
// construction, the two lines are compared as a self-check, and both are returned for the
// consensus file together with the cluster reports.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/reporter.h"
#include "foundation/types.h"
#include "trees/cluster_list.h"
#include "trees/tree_reading.h"

// What one consensus run gives back.
struct ConsensusResult {
    std::string Text;    // the first method's tree line ("" when it failed)
    std::string TextB;   // the second method's
    AString Report;      // the cluster reports of both methods, the first method's first
    bool Match = false;  // the two lines are equal
};

// The options of one consensus construction (a consensus or R-support run).
class TTrees {
public:
    bool AngleLabels = false;   // support labels as "<" + percentage + ">"
    bool RSupportMode = false;  // select and label clusters by their R value
    bool LabelMode = false;     // the support percentage after each group
    // The share of trees a cluster needs, in whole per cent (100: every tree). A majority needs
    // more than half of the trees whatever the threshold.
    std::uint32_t ThresholdPercent = 100;
    std::uint32_t RSupportLimit = 0;    // R-support: the largest R value a cluster may have
    std::string RLabel = "R";           // prefix of R-support labels
    bool NumberNames = false;           // OTU numbers (from 1) instead of names
    std::string TreeIDText;             // R-support: written into the root label with angle labels
    std::uint8_t RLabelDecimals = 255;  // decimals of R-support labels; 255: no label
    // How support percentages are rounded: 0 to nearest (ties to even), 1 down, 2 up, 3 towards
    // zero (the commands pass the preferred round mode).
    std::uint8_t RoundMode = 2;

    // Trees a cluster must be found in: all of them at 100 %, else the larger of a strict majority
    // (floor(trees / 2) + 1) and ceil(trees * threshold / 100), in exact integers.
    static std::size_t RequiredTrees(std::size_t trees, std::uint32_t thresholdPercent);
    // 100 * count / trees rounded to a whole number by RoundMode, in exact integers.
    std::uint64_t SupportPercent(std::size_t count, std::size_t trees) const;

    // The consensus line of the selected clusters of a list (first method) or an array (second
    // method) over the OTU names. False, with the error reported, when no cluster is selected or
    // the selected clusters cannot form one tree.
    bool BuildConsensus(Reporter& reporter, const ClusterList& clusters, const AString& names, std::size_t trees,
                        std::string& text) const;
    bool BuildConsensusB(Reporter& reporter, const ATrSetCluster& clusters, const AString& names, std::size_t trees,
                         std::string& text) const;

    // Reads the tree file and builds its consensus at the threshold (whole per cent) by both
    // methods, with percentage labels when labels is set; shows "Consensus OK" or
    // "CONSENSUS MISMATCH!!!!" (question caption "TEST", flags 0). True when the first method
    // gave a line; every problem is reported.
    bool Consensus(Reporter& reporter, std::uint32_t threshold, bool labels, const std::string& inFile,
                   ConsensusResult& result) const;
    // Consensus at 100 % without labels.
    bool StrictConsensus(Reporter& reporter, const std::string& inFile, ConsensusResult& result) const;
};

// The first method over parsed trees: the OTUs of the first tree, a cluster list of all trees,
// the construction at the threshold; report (when given) receives the cluster report.
bool MajorityRule(Reporter& reporter, const TTrees& options, std::uint32_t threshold, bool labels,
                  const std::vector<ParsedTree>& trees, std::string& text, AString* report);
// The second method; its text stays empty when a cluster has no OTU name at all.
bool ConsensusB(Reporter& reporter, const TTrees& options, std::uint32_t threshold, bool labels,
                const std::vector<ParsedTree>& trees, std::string& text, AString* report);

// The cluster list of the first method over trees (OTUs of the first tree). Clusters holding a
// name that is not an OTU name (a foreign name, or one longer than the cut OTU names), trees of
// one OTU name alone and a full list are reported once each; false then, with what could be
// counted kept in list.
bool FirstMethodClusters(Reporter& reporter, const std::vector<ParsedTree>& trees, const OTUList& otus,
                         ClusterList& list);

// The names of the first tree, cut to 20 characters, as the first method's OTUs; fewer than two
// names are reported and give false.
bool FirstTreeOTUs(Reporter& reporter, const std::vector<ParsedTree>& trees, OTUList& otus);

// The "TEST" box of the self-checks.
void SelfCheckBox(Reporter& reporter, const std::string& text);
