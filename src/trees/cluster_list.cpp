#include "trees/cluster_list.h"

#include <unordered_set>
#include <utility>

#include "foundation/number_text.h"
#include "foundation/text_file.h"

OTUList::OTUList(AString names) : names_(std::move(names)) {
    index_.reserve(names_.size());
    for (std::size_t i = 0; i < names_.size(); ++i)
        index_.emplace(names_[i], i);
}

std::optional<std::size_t> OTUList::Find(std::string_view name) const {
    const auto it = index_.find(std::string(name));
    if (it == index_.end()) return std::nullopt;
    return it->second;
}

std::optional<std::size_t> ClusterList::Find(const AByte& mask) const {
    const auto it = index_.find(Key(mask));
    if (it == index_.end()) return std::nullopt;
    return it->second;
}

std::uint8_t ClusterList::AddCluster(const AByte& mask) {
    if (const auto k = Find(mask)) {
        ++entries_[*k].Count;
        return 0;
    }
    if (entries_.size() >= capacity_) return 255;
    index_.emplace(Key(mask), entries_.size());
    entries_.push_back({mask, 1, 0});
    return 0;
}

bool ClusterList::Append(TTrSetCluster entry) {
    if (entries_.size() >= capacity_) return false;
    index_.emplace(Key(entry.Mask), entries_.size());  // keeps the first equal entry
    entries_.push_back(std::move(entry));
    return true;
}

void ClusterList::Reindex() {
    index_.clear();
    for (std::size_t k = 0; k < entries_.size(); ++k) index_.emplace(Key(entries_[k].Mask), k);
}

std::vector<std::optional<std::size_t>> TreeOTUIndices(const ParsedTree& tree, const OTUList& otus) {
    std::vector<std::optional<std::size_t>> otuOf;
    otuOf.reserve(tree.Names.size());
    for (const std::string& name : tree.Names) otuOf.push_back(otus.Find(name));
    return otuOf;
}

namespace {

// The masks of the tree's groups, each once, in the order the groups close. Members that are not
// OTUs are skipped (a mask may then be empty).
std::vector<AByte> DistinctMasks(const ParsedTree& tree, const std::vector<std::optional<std::size_t>>& otuOf,
                                 std::size_t nOTU) {
    std::vector<AByte> masks;
    std::unordered_set<std::string> seen;
    for (const auto& group : tree.Groups) {
        AByte mask(nOTU, 0);
        for (std::size_t member : group)
            if (otuOf[member]) mask[*otuOf[member]] = 1;
        if (seen.emplace(mask.begin(), mask.end()).second) masks.push_back(std::move(mask));
    }
    return masks;
}

}  // namespace

bool GroupMask(const ParsedTree& tree, std::size_t group, const std::vector<std::optional<std::size_t>>& otuOf,
               std::size_t nOTU, AByte& mask, std::string& unknownName) {
    mask.assign(nOTU, 0);
    for (std::size_t member : tree.Groups[group]) {
        if (!otuOf[member]) {
            unknownName = tree.Names[member];
            return false;
        }
        mask[*otuOf[member]] = 1;
    }
    return true;
}

TreeClusterResult TreeClusters(const ParsedTree& tree, ClusterList& list, const OTUList& otus) {
    TreeClusterResult result;
    const auto otuOf = TreeOTUIndices(tree, otus);
    // A tree of one name has no group to hold a foreign name; the tree itself stands for it.
    if (tree.Groups.empty() && !otuOf.empty() && !otuOf.front()) {
        result.Unknown = 1;
        result.UnknownName = tree.Names.front();
    }
    std::unordered_set<std::string> seen;
    for (std::size_t g = 0; g < tree.Groups.size(); ++g) {
        AByte mask;
        std::string unknown;
        if (!GroupMask(tree, g, otuOf, otus.Count(), mask, unknown)) {
            if (result.Unknown++ == 0) result.UnknownName = unknown;
            continue;
        }
        if (!seen.emplace(mask.begin(), mask.end()).second) continue;
        if (list.AddCluster(mask) == 255) ++result.Refused;
    }
    return result;
}

bool TreeClusterIndices(const ParsedTree& tree, const ClusterList& list, const OTUList& otus,
                        std::vector<std::size_t>& indices, std::string& reason) {
    indices.clear();
    const auto otuOf = TreeOTUIndices(tree, otus);
    std::unordered_set<std::size_t> seen;
    for (std::size_t g = 0; g < tree.Groups.size(); ++g) {
        AByte mask;
        std::string unknown;
        if (!GroupMask(tree, g, otuOf, otus.Count(), mask, unknown)) {
            reason = "FindClusterInList: Inconsistent array of OTUs (" + unknown + ")";
            return false;
        }
        const auto k = list.Find(mask);
        if (!k) {
            reason = "FindClusterInList Failed -- Cluster not in list";
            return false;
        }
        if (seen.insert(*k).second) indices.push_back(*k);
    }
    return true;
}

std::uint8_t AddClusterB(ATrSetCluster& clusters, const AByte& mask) {
    bool any = false;
    for (std::uint8_t b : mask) any = any || b != 0;
    if (!any) return 1;
    for (TTrSetCluster& c : clusters) {
        if (c.Mask == mask) {
            ++c.Count;
            return 0;
        }
    }
    clusters.push_back({mask, 1, 0});
    return 0;
}

std::size_t TreeClustersB(const ParsedTree& tree, const OTUList& otus, ATrSetCluster& clusters) {
    std::size_t failed = 0;
    for (const AByte& mask : DistinctMasks(tree, TreeOTUIndices(tree, otus), otus.Count()))
        failed += AddClusterB(clusters, mask);
    return failed;
}

bool TreeClusterIndicesNEW(const ParsedTree& tree, const ATrSetCluster& clusters, const OTUList& otus,
                           std::vector<std::size_t>& indices) {
    indices.clear();
    for (const AByte& mask : DistinctMasks(tree, TreeOTUIndices(tree, otus), otus.Count())) {
        std::size_t k = 0;
        while (k < clusters.size() && clusters[k].Mask != mask) ++k;
        if (k == clusters.size()) return false;
        indices.push_back(k);
    }
    return true;
}

namespace {

std::string MaskText(const AByte& mask) {
    std::string row;
    row.reserve(mask.size() + 12);
    for (std::uint8_t b : mask) row.push_back(b == 1 ? '1' : '0');
    return row;
}

}  // namespace

std::string ClusterRow(const TTrSetCluster& cluster) {
    return MaskText(cluster.Mask) + " " + UIntToStr(cluster.Count) + "x";
}

std::string ClusterRowB(const ATrSetCluster& clusters, std::size_t k) { return ClusterRow(clusters.at(k - 1)); }

std::string ClusterRowR(const TTrSetCluster& cluster) {
    return MaskText(cluster.Mask) + " " + UIntToStr(cluster.Count) + "x @r= " + UIntToStr(cluster.RValue);
}

AString OTUNumberRuler(std::size_t nOTU, unsigned maxPower) {
    AString lines;
    for (unsigned p = maxPower + 1; p-- > 0;) {
        std::uint64_t power = 1;
        for (unsigned i = 0; i < p; ++i) power *= 10;
        if (p > 0 && nOTU <= power) continue;
        std::string line;
        line.reserve(nOTU);
        for (std::size_t i = 1; i <= nOTU; ++i) line.push_back(static_cast<char>('0' + (i / power) % 10));
        lines.push_back(std::move(line));
    }
    return lines;
}

AString OTUListText(const AString& names) {
    AString lines;
    lines.reserve(names.size() + 1);
    for (std::size_t i = 0; i < names.size(); ++i) lines.push_back("OTU #" + UIntToStr(i + 1) + "= " + names[i]);
    lines.emplace_back();
    return lines;
}

int WriteOTUList(const std::string& fileName, const AString& names) {
    Ttf text;
    text.SetLines(OTUListText(names));
    return text.SaveToFile(fileName, true);
}

std::string ShareText(std::size_t count, std::size_t trees) {
    const Extended share = trees == 0 ? 0.0L : static_cast<Extended>(count) / static_cast<Extended>(trees);
    return ExtToStrF(share * 100.0L, 5, 2) + " %";
}
