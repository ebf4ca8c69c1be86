// Cluster lists: the distinct clusters of a set of trees as bit sets over the OTUs, each with the
// number of trees it was found in, and the text rows and OTU lists the reports print from them.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "foundation/reporter.h"
#include "foundation/types.h"
#include "trees/tree_reading.h"

// A set of OTUs as bits, one per OTU of the first tree (bit i of word i / 64 for OTU i).
class OTUSet {
public:
    OTUSet() = default;
    explicit OTUSet(std::size_t n) : n_(n), words_((n + 63) / 64, 0) {}
    // From one byte per OTU, 1 = member.
    explicit OTUSet(const AByte& bytes);

    std::size_t Size() const { return n_; }
    bool Test(std::size_t i) const { return ((words_[i / 64] >> (i % 64)) & 1U) != 0; }
    void Set(std::size_t i) { words_[i / 64] |= std::uint64_t{1} << (i % 64); }
    void Or(const OTUSet& other);
    std::size_t Count() const;
    bool Any() const;
    std::uint64_t Hash() const;
    const std::vector<std::uint64_t>& Words() const { return words_; }
    // Calls f(i) for every member, in OTU order.
    template <class F>
    void ForEach(F f) const {
        for (std::size_t w = 0; w < words_.size(); ++w)
            for (std::uint64_t bits = words_[w]; bits != 0; bits &= bits - 1)
                f(w * 64 + static_cast<std::size_t>(std::countr_zero(bits)));
    }
    bool operator==(const OTUSet& other) const = default;

private:
    std::size_t n_ = 0;
    std::vector<std::uint64_t> words_;
};

// One distinct cluster: its members, the number of trees holding it (an R-support list keeps the
// cluster's support percentage here) and an R value (R-support only; 0 otherwise).
struct TTrSetCluster {
    OTUSet Mask;
    std::uint32_t Count = 0;
    std::uint32_t RValue = 0;
};
using ATrSetCluster = std::vector<TTrSetCluster>;

// The first method's list holds at most this many distinct clusters.
inline constexpr std::size_t kMaxClusters = 65535;
// The second method's has no limit.
inline constexpr std::size_t kNoClusterLimit = static_cast<std::size_t>(-1);

// The OTUs of a set of trees (the names of its first tree, in that order) with a lookup by name.
class OTUList {
public:
    OTUList() = default;
    explicit OTUList(AString names);
    std::size_t Count() const { return names_.size(); }
    const AString& Names() const { return names_; }
    const std::string& operator[](std::size_t i) const { return names_[i]; }
    // 0-based index of the first OTU with exactly this name (names cut to 20 characters may repeat).
    std::optional<std::size_t> Find(std::string_view name) const;

private:
    AString names_;
    std::unordered_map<std::string, std::size_t> index_;
};

// Distinct clusters in order of first appearance, looked up through a hash of their bits (the
// first equal entry is found, as a search from the front would find it).
class ClusterList {
public:
    explicit ClusterList(std::size_t capacity = kMaxClusters) : capacity_(capacity) {}

    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    const TTrSetCluster& operator[](std::size_t k) const { return entries_[k]; }
    const ATrSetCluster& Entries() const { return entries_; }
    std::size_t Capacity() const { return capacity_; }

    // Index of the first entry with this mask.
    std::optional<std::size_t> Find(const OTUSet& mask) const;
    // Raises the count of the entry with this mask, or appends it with count 1. 0 on success, 255
    // when the list is full (nothing added).
    std::uint8_t AddCluster(const OTUSet& mask);
    // Appends an entry without merging it with an equal one (the R-support list); false when full.
    bool Append(TTrSetCluster entry);
    // Keeps the entries for which keep(index) is true, in their order.
    template <class Keep>
    void KeepIf(Keep keep) {
        ATrSetCluster kept;
        for (std::size_t k = 0; k < entries_.size(); ++k)
            if (keep(k)) kept.push_back(std::move(entries_[k]));
        entries_ = std::move(kept);
        Reindex();
    }

private:
    void Reindex();
    std::optional<std::size_t> Find(const OTUSet& mask, std::uint64_t hash) const;

    std::size_t capacity_;
    ATrSetCluster entries_;
    std::unordered_multimap<std::uint64_t, std::size_t> index_;  // hash of the bits -> entry
};

// How one tree's clusters went into a list.
struct TreeClusterResult {
    std::size_t Unknown = 0;  // clusters with a name that is not an OTU (not added)
    std::size_t Refused = 0;  // clusters refused because the list was full
    std::string UnknownName;  // the first such name
    bool OneName = false;     // a tree of one OTU name alone, which holds no cluster
};

// The OTU of each name of the tree, the name compared whole; no value for a name that is not an
// OTU (with the first method's cut OTU names, also for a name of more than 20 characters).
std::vector<std::optional<std::size_t>> TreeOTUIndices(const ParsedTree& tree, const OTUList& otus);

// Mask of one group of the tree; false (with the first unknown name) when a member is not an OTU.
bool GroupMask(const ParsedTree& tree, std::size_t group, const std::vector<std::optional<std::size_t>>& otuOf,
               std::size_t nOTU, OTUSet& mask, std::string& unknownName);

// Adds every cluster of one tree to the list; a cluster the tree holds twice (a group around a
// single group) counts once for the tree, a tree of one foreign name counts as one unknown
// cluster, and a tree of one OTU name is marked. Nothing is reported: the caller reports once per
// run.
TreeClusterResult TreeClusters(const ParsedTree& tree, ClusterList& list, const OTUList& otus);

// The list index of every distinct cluster of the tree; false (and the reason) when a cluster is
// not an OTU set or is not in the list.
bool TreeClusterIndices(const ParsedTree& tree, const ClusterList& list, const OTUList& otus,
                        std::vector<std::size_t>& indices, std::string& reason);

// The second method: a name that is not an OTU is skipped; its list has no limit. AddClusterB
// gives 0 when the cluster was added or counted, 1 when none of its names is an OTU name.
std::uint8_t AddClusterB(ClusterList& clusters, const OTUSet& mask);
// Adds the tree's clusters to the list; the result is the number that could not be taken.
std::size_t TreeClustersB(const ParsedTree& tree, const OTUList& otus, ClusterList& clusters);
// The list index of every distinct cluster of the tree; false when one is missing.
bool TreeClusterIndicesNEW(const ParsedTree& tree, const ClusterList& clusters, const OTUList& otus,
                           std::vector<std::size_t>& indices);

// Text rows: one character per OTU ("1" member, "0" not), " ", the count and "x": "0110 3x".
std::string ClusterRow(const TTrSetCluster& cluster);
std::string ClusterRowB(const ATrSetCluster& clusters, std::size_t k);  // k 1-based
// R-support row: "0110 75x @r= 12".
std::string ClusterRowR(const TTrSetCluster& cluster);

// The ruler above cluster rows: a line per digit position from 10^maxPower down to 10 for which
// the number of OTUs exceeds that power, then the units line; one character per OTU.
AString OTUNumberRuler(std::size_t nOTU, unsigned maxPower);
// "OTU #" + i + "= " + name for every OTU, then an empty line.
AString OTUListText(const AString& names);
// Appends the OTU list to a text file; 0 or the system error code.
int WriteOTUList(const std::string& fileName, const AString& names);

// The share count / trees as a percentage: "100*share" in width 5 with 2 decimals and " %".
std::string ShareText(std::size_t count, std::size_t trees);
