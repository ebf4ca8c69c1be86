#include "trees/cluster_list.h"

#include <algorithm>
#include <utility>

#include "foundation/number_text.h"
#include "foundation/text_file.h"

OTUSet::OTUSet(const AByte& bytes) : OTUSet(bytes.size()) {
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] == 1) Set(i);
}

void OTUSet::Or(const OTUSet& other) {
    for (std::size_t w = 0; w < words_.size(); ++w) words_[w] |= other.words_[w];
}

std::size_t OTUSet::Count() const {
    std::size_t n = 0;
    for (std::uint64_t w : words_) n += static_cast<std::size_t>(std::popcount(w));
    return n;
}

bool OTUSet::Any() const {
    return std::any_of(words_.begin(), words_.end(), [](std::uint64_t w) { return w != 0; });
}

std::uint64_t OTUSet::Hash() const {
    // A multiply-and-rotate mix over the words; only equal sets need equal hashes.
    std::uint64_t h = 0x9E3779B97F4A7C15ULL ^ n_;
    for (std::uint64_t w : words_) {
        h ^= w * 0xBF58476D1CE4E5B9ULL;
        h = std::rotl(h, 27) * 0x94D049BB133111EBULL;
    }
    return h ^ (h >> 31);
}

OTUList::OTUList(AString names) : names_(std::move(names)) {
    index_.reserve(names_.size());
    // emplace keeps the first of equal names, as a search from the front finds it.
    for (std::size_t i = 0; i < names_.size(); ++i) index_.emplace(names_[i], i);
}

std::optional<std::size_t> OTUList::Find(std::string_view name) const {
    const auto it = index_.find(std::string(name));
    if (it == index_.end()) return std::nullopt;
    return it->second;
}

std::optional<std::size_t> ClusterList::Find(const OTUSet& mask, std::uint64_t hash) const {
    std::optional<std::size_t> first;
    const auto [from, to] = index_.equal_range(hash);
    for (auto it = from; it != to; ++it)
        if ((!first || it->second < *first) && entries_[it->second].Mask == mask) first = it->second;
    return first;
}

std::optional<std::size_t> ClusterList::Find(const OTUSet& mask) const { return Find(mask, mask.Hash()); }

std::uint8_t ClusterList::AddCluster(const OTUSet& mask) {
    const std::uint64_t hash = mask.Hash();
    if (const auto k = Find(mask, hash)) {
        ++entries_[*k].Count;
        return 0;
    }
    if (entries_.size() >= capacity_) return 255;
    index_.emplace(hash, entries_.size());
    entries_.push_back({mask, 1, 0});
    return 0;
}

bool ClusterList::Append(TTrSetCluster entry) {
    if (entries_.size() >= capacity_) return false;
    index_.emplace(entry.Mask.Hash(), entries_.size());
    entries_.push_back(std::move(entry));
    return true;
}

void ClusterList::Reindex() {
    index_.clear();
    for (std::size_t k = 0; k < entries_.size(); ++k) index_.emplace(entries_[k].Mask.Hash(), k);
}

std::vector<std::optional<std::size_t>> TreeOTUIndices(const ParsedTree& tree, const OTUList& otus) {
    std::vector<std::optional<std::size_t>> otuOf;
    otuOf.reserve(tree.Names.size());
    for (const std::string& name : tree.Names) otuOf.push_back(otus.Find(name));
    return otuOf;
}

bool GroupMask(const ParsedTree& tree, std::size_t group, const std::vector<std::optional<std::size_t>>& otuOf,
               std::size_t nOTU, OTUSet& mask, std::string& unknownName) {
    mask = OTUSet(nOTU);
    for (std::size_t member : tree.Groups[group].Members()) {
        if (!otuOf[member]) {
            unknownName = tree.Names[member];
            return false;
        }
        mask.Set(*otuOf[member]);
    }
    return true;
}

namespace {

// The masks of a tree's groups in the order they close, each made from its sub-groups' masks and
// its own leaves, so that a tree costs (groups x OTUs / 64) word operations. visit(group, mask,
// known, repeat): known is false when a member is not an OTU (such members are left out of the
// mask); repeat when the mask equals one of a sub-group's (a group around one group).
template <class Visit>
void WalkGroups(const ParsedTree& tree, const std::vector<std::optional<std::size_t>>& otuOf, std::size_t nOTU,
                Visit visit) {
    struct Done {
        std::size_t first, count, members;
        bool known;
        OTUSet mask;
    };
    std::vector<Done> done;  // groups whose enclosing group has not closed yet, in text order
    for (std::size_t g = 0; g < tree.Groups.size(); ++g) {
        const TreeGroup& group = tree.Groups[g];
        std::size_t c = done.size();
        while (c > 0 && done[c - 1].first >= group.First) --c;
        Done cur{group.First, group.Count, 0, true, c < done.size() ? std::move(done[c].mask) : OTUSet(nOTU)};
        const bool hadChild = c < done.size();
        std::size_t largest = 0;
        std::size_t pos = group.First;
        const auto leavesUpTo = [&](std::size_t end) {
            for (; pos < end; ++pos) {
                if (otuOf[pos]) cur.mask.Set(*otuOf[pos]);
                else cur.known = false;
            }
        };
        for (std::size_t k = c; k < done.size(); ++k) {
            leavesUpTo(done[k].first);
            if (k > c) cur.mask.Or(done[k].mask);
            cur.known = cur.known && done[k].known;
            largest = std::max(largest, done[k].members);
            pos = done[k].first + done[k].count;
        }
        leavesUpTo(group.First + group.Count);
        done.resize(c);
        cur.members = cur.mask.Count();
        visit(g, cur.mask, cur.known, hadChild && largest == cur.members);
        done.push_back(std::move(cur));
    }
}

// The first member of the group that is not an OTU.
std::string FirstUnknown(const ParsedTree& tree, std::size_t g, const std::vector<std::optional<std::size_t>>& otuOf) {
    for (std::size_t member : tree.Groups[g].Members())
        if (!otuOf[member]) return tree.Names[member];
    return {};
}

}  // namespace

TreeClusterResult TreeClusters(const ParsedTree& tree, ClusterList& list, const OTUList& otus) {
    TreeClusterResult result;
    const auto otuOf = TreeOTUIndices(tree, otus);
    // A tree of one name has no group to hold a foreign name; the tree itself stands for it. One
    // of the OTUs alone is no tree of the set either.
    if (tree.Groups.empty() && !otuOf.empty()) {
        if (otuOf.front()) {
            result.OneName = true;
        } else {
            result.Unknown = 1;
            result.UnknownName = tree.Names.front();
        }
    }
    WalkGroups(tree, otuOf, otus.Count(), [&](std::size_t g, const OTUSet& mask, bool known, bool repeat) {
        if (!known) {
            if (result.Unknown++ == 0) result.UnknownName = FirstUnknown(tree, g, otuOf);
            return;
        }
        if (!repeat && list.AddCluster(mask) == 255) ++result.Refused;
    });
    return result;
}

bool TreeClusterIndices(const ParsedTree& tree, const ClusterList& list, const OTUList& otus,
                        std::vector<std::size_t>& indices, std::string& reason) {
    indices.clear();
    const auto otuOf = TreeOTUIndices(tree, otus);
    bool ok = true;
    WalkGroups(tree, otuOf, otus.Count(), [&](std::size_t g, const OTUSet& mask, bool known, bool repeat) {
        if (!ok || repeat) return;
        if (!known) {
            reason = "FindClusterInList: Inconsistent array of OTUs (" + FirstUnknown(tree, g, otuOf) + ")";
            ok = false;
            return;
        }
        const auto k = list.Find(mask);
        if (!k) {
            reason = "FindClusterInList Failed -- Cluster not in list";
            ok = false;
            return;
        }
        indices.push_back(*k);
    });
    return ok;
}

std::uint8_t AddClusterB(ClusterList& clusters, const OTUSet& mask) {
    if (!mask.Any()) return 1;
    clusters.AddCluster(mask);
    return 0;
}

std::size_t TreeClustersB(const ParsedTree& tree, const OTUList& otus, ClusterList& clusters) {
    std::size_t failed = 0;
    WalkGroups(tree, TreeOTUIndices(tree, otus), otus.Count(), [&](std::size_t, const OTUSet& mask, bool, bool repeat) {
        if (!repeat) failed += AddClusterB(clusters, mask);
    });
    return failed;
}

bool TreeClusterIndicesNEW(const ParsedTree& tree, const ClusterList& clusters, const OTUList& otus,
                           std::vector<std::size_t>& indices) {
    indices.clear();
    bool ok = true;
    WalkGroups(tree, TreeOTUIndices(tree, otus), otus.Count(), [&](std::size_t, const OTUSet& mask, bool, bool repeat) {
        if (!ok || repeat) return;
        const auto k = clusters.Find(mask);
        if (k) indices.push_back(*k);
        else ok = false;
    });
    return ok;
}

namespace {

std::string MaskText(const OTUSet& mask) {
    std::string row(mask.Size(), '0');
    row.reserve(mask.Size() + 12);
    mask.ForEach([&](std::size_t i) { row[i] = '1'; });
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
