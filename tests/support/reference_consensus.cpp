// The consensus runs and the cluster matrix as they were first written, kept as the reference the
// fast bit-set paths must match byte for byte: masks of one byte per OTU, a copy of every group's
// member list, masks hashed as strings, and a linear search in the second method's array.
#include "support/reference_consensus.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "foundation/number_text.h"
#include "trees/tree_text.h"

namespace reference {
namespace {

// A parsed tree with each group's members listed.
struct RefTree {
    AString Names;
    std::vector<std::vector<std::size_t>> Groups;
};

std::vector<RefTree> RefTrees(const std::vector<ParsedTree>& trees) {
    std::vector<RefTree> out;
    out.reserve(trees.size());
    for (const ParsedTree& t : trees) {
        RefTree r{t.Names, {}};
        for (const TreeGroup& g : t.Groups) {
            std::vector<std::size_t> members(g.Count);
            for (std::size_t i = 0; i < g.Count; ++i) members[i] = g.First + i;
            r.Groups.push_back(std::move(members));
        }
        out.push_back(std::move(r));
    }
    return out;
}

bool FirstTreeOTUs(Reporter& reporter, const std::vector<RefTree>& trees, OTUList& otus) {
    if (trees.empty()) {
        reporter.Error("Consensus: no trees");
        return false;
    }
    // The first method's OTU names hold at most 20 characters.
    AString names;
    for (const std::string& name : trees.front().Names) names.push_back(name.substr(0, 20));
    OTUList list(std::move(names));
    if (list.Count() < 2) {
        reporter.Error("The first tree holds fewer than two OTUs.");
        return false;
    }
    otus = std::move(list);
    return true;
}

struct TTrSetCluster {
    AByte Mask;
    std::uint32_t Count = 0;
    std::uint32_t RValue = 0;
};
using ATrSetCluster = std::vector<TTrSetCluster>;

// Distinct clusters in order of first appearance, looked up through a hash of the mask (the first
// equal entry is found, as a search from the front would find it).
class ClusterList {
public:
    explicit ClusterList(std::size_t capacity = kMaxClusters) : capacity_(capacity) {}

    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    const TTrSetCluster& operator[](std::size_t k) const { return entries_[k]; }
    const ATrSetCluster& Entries() const { return entries_; }
    std::size_t Capacity() const { return capacity_; }

    // Index of the first entry with this mask.
    std::optional<std::size_t> Find(const AByte& mask) const;
    // Raises the count of the entry with this mask, or appends it with count 1. 0 on success, 255
    // when the list is full (nothing added).
    std::uint8_t AddCluster(const AByte& mask);
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
    static std::string Key(const AByte& mask) { return std::string(mask.begin(), mask.end()); }

    std::size_t capacity_;
    ATrSetCluster entries_;
    std::unordered_map<std::string, std::size_t> index_;
};

// How one tree's clusters went into a list.
struct TreeClusterResult {
    std::size_t Unknown = 0;  // clusters with a name that is not an OTU (not added)
    std::size_t Refused = 0;  // clusters refused because the list was full
    std::string UnknownName;  // the first such name
};

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

void ClusterList::Reindex() {
    index_.clear();
    for (std::size_t k = 0; k < entries_.size(); ++k) index_.emplace(Key(entries_[k].Mask), k);
}

std::vector<std::optional<std::size_t>> TreeOTUIndices(const RefTree& tree, const OTUList& otus) {
    std::vector<std::optional<std::size_t>> otuOf;
    otuOf.reserve(tree.Names.size());
    // Each name compared whole with the OTU names from the front: the first equal one is its OTU.
    for (const std::string& name : tree.Names) {
        const AString& all = otus.Names();
        const auto it = std::find(all.begin(), all.end(), name);
        otuOf.push_back(it == all.end() ? std::nullopt
                                        : std::optional<std::size_t>(static_cast<std::size_t>(it - all.begin())));
    }
    return otuOf;
}

namespace {

// The masks of the tree's groups, each once, in the order the groups close. Members that are not
// OTUs are skipped (a mask may then be empty).
std::vector<AByte> DistinctMasks(const RefTree& tree, const std::vector<std::optional<std::size_t>>& otuOf,
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

bool GroupMask(const RefTree& tree, std::size_t group, const std::vector<std::optional<std::size_t>>& otuOf,
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

TreeClusterResult TreeClusters(const RefTree& tree, ClusterList& list, const OTUList& otus) {
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

bool TreeClusterIndices(const RefTree& tree, const ClusterList& list, const OTUList& otus,
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

std::size_t TreeClustersB(const RefTree& tree, const OTUList& otus, ATrSetCluster& clusters) {
    std::size_t failed = 0;
    for (const AByte& mask : DistinctMasks(tree, TreeOTUIndices(tree, otus), otus.Count()))
        failed += AddClusterB(clusters, mask);
    return failed;
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

constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

// The members of a mask as a readable list, for the messages about clusters.
std::string MemberText(const AByte& mask, const AString& names) {
    std::string text = "(";
    bool first = true;
    for (std::size_t i = 0; i < mask.size() && i < names.size(); ++i) {
        if (mask[i] != 1) continue;
        if (!first) text += ",";
        text += names[i];
        first = false;
    }
    return text + ")";
}

// The construction shared by both methods and R-support. The selected clusters form a hierarchy
// (each one's parent is the smallest selected cluster holding it); the text writes each group's
// sub-groups first, the deepest branch first (then the one whose deepest OTU lies in the smaller
// cluster, then the one holding the earlier OTU), and then its own OTUs in OTU order.
class Construction {
public:
    Construction(const TTrees& options, const ATrSetCluster& clusters, const AString& names, std::size_t trees)
        : o_(options), clusters_(clusters), names_(names), trees_(trees) {}

    bool Build(Reporter& reporter, std::string& text) {
        text.clear();
        Select();
        if (selected_.empty()) {
            if (o_.RSupportMode == 1)
                reporter.Error("Consensus: no cluster has an R value of at most " + UIntToStr(o_.RSupportLimit));
            else
                reporter.Error("Consensus: no cluster is found in enough trees (" +
                               UIntToStr(TTrees::RequiredTrees(trees_, o_.ThresholdPercent)) + " of " +
                               UIntToStr(trees_) + ")");
            return false;
        }
        if (!Nest(reporter)) return false;
        OrderChildren();
        text = Write();
        return true;
    }

private:
    void Select() {
        const std::size_t required = TTrees::RequiredTrees(trees_, o_.ThresholdPercent);
        for (std::size_t k = 0; k < clusters_.size(); ++k) {
            const TTrSetCluster& c = clusters_[k];
            if (c.Mask.size() != names_.size()) continue;
            const bool chosen = o_.RSupportMode == 1 ? c.RValue <= o_.RSupportLimit : c.Count >= required;
            if (!chosen) continue;
            const std::size_t size = static_cast<std::size_t>(std::count(c.Mask.begin(), c.Mask.end(), 1));
            if (size == 0) continue;
            selected_.push_back(k);
            size_.push_back(size);
        }
    }

    // Nodes 0 .. S-1 are the selected clusters; node S is the root when no selected cluster holds
    // every OTU.
    bool Nest(Reporter& reporter) {
        const std::size_t S = selected_.size();
        const std::size_t N = names_.size();
        std::vector<std::size_t> bySize(S);
        for (std::size_t i = 0; i < S; ++i) bySize[i] = i;
        std::stable_sort(bySize.begin(), bySize.end(),
                         [&](std::size_t a, std::size_t b) { return size_[a] > size_[b]; });
        root_ = S;
        if (size_[bySize[0]] == N) root_ = bySize[0];
        nodes_ = root_ == S ? S + 1 : S;
        size_.resize(nodes_, N);
        parent_.assign(nodes_, kNone);
        owner_.assign(N, root_);
        for (std::size_t c : bySize) {
            if (c == root_) continue;
            const AByte& mask = clusters_[selected_[c]].Mask;
            std::size_t par = kNone;
            for (std::size_t i = 0; i < N; ++i) {
                if (mask[i] != 1) continue;
                if (par == kNone) par = owner_[i];
                if (owner_[i] != par) {
                    const std::size_t other = par != root_ ? par : owner_[i];
                    reporter.Error("Consensus error: the clusters " + MemberText(mask, names_) + " and " +
                                   MemberText(Mask(other), names_) + " overlap; no tree holds both");
                    return false;
                }
            }
            if (size_[par] == size_[c]) {
                reporter.Error("Consensus:ClusterDist:ZeroMismatch for nonidentical clusters!");
                return false;
            }
            parent_[c] = par;
            for (std::size_t i = 0; i < N; ++i)
                if (mask[i] == 1) owner_[i] = c;
        }
        children_.assign(nodes_, {});
        for (std::size_t c : bySize)
            if (parent_[c] != kNone) children_[parent_[c]].push_back(c);
        leaves_.assign(nodes_, {});
        for (std::size_t i = 0; i < N; ++i) leaves_[owner_[i]].push_back(i);
        // Depth of a node: the number of nodes from the root down to it; parents come before
        // their children in bySize.
        depth_.assign(nodes_, 1);
        for (std::size_t c : bySize)
            if (parent_[c] != kNone) depth_[c] = depth_[parent_[c]] + 1;
        order_ = bySize;
        return true;
    }

    const AByte& Mask(std::size_t node) const {
        static const AByte kEmpty;
        return node < selected_.size() ? clusters_[selected_[node]].Mask : kEmpty;
    }

    // Key of the OTU with the highest depth below a node: (depth, -size of its smallest cluster,
    // -OTU index); the larger key goes first.
    using Key = std::tuple<std::size_t, std::ptrdiff_t, std::ptrdiff_t>;
    void OrderChildren() {
        std::vector<Key> key(nodes_, Key{0, std::numeric_limits<std::ptrdiff_t>::min(), 0});
        auto better = [](const Key& a, const Key& b) { return a > b; };
        // Children before parents: the reverse of the size order, the root last.
        std::vector<std::size_t> upward(order_.rbegin(), order_.rend());
        if (root_ == selected_.size()) upward.push_back(root_);
        for (std::size_t node : upward) {
            Key best = key[node];
            for (std::size_t i : leaves_[node]) {
                const Key k{depth_[node], -static_cast<std::ptrdiff_t>(size_[node]), -static_cast<std::ptrdiff_t>(i)};
                if (better(k, best)) best = k;
            }
            for (std::size_t child : children_[node])
                if (better(key[child], best)) best = key[child];
            key[node] = best;
        }
        for (auto& list : children_)
            std::stable_sort(list.begin(), list.end(),
                             [&](std::size_t a, std::size_t b) { return better(key[a], key[b]); });
    }

    std::string Label(std::size_t node) const {
        if (node == root_ && o_.AngleLabels == 1) return "<TreeID~" + o_.TreeIDText + ">";
        if (node >= selected_.size()) return {};
        const TTrSetCluster& c = clusters_[selected_[node]];
        if (o_.RSupportMode == 1) {
            if (o_.RLabelDecimals == 255) return {};
            const Extended r = static_cast<Extended>(std::max<std::uint32_t>(c.RValue, 1));
            // Without the blanks of the padded number; a quoted name keeps its own.
            std::string label = o_.RLabel + ExtToStrF(Log10(r), 4, o_.RLabelDecimals);
            std::erase(label, ' ');
            return label;
        }
        if (o_.AngleLabels == 1) return "<" + UIntToStr(o_.SupportPercent(c.Count, trees_)) + ">";
        if (o_.LabelMode == 1) return UIntToStr(o_.SupportPercent(c.Count, trees_));
        return {};
    }

    std::string Name(std::size_t otu) const {
        return o_.NumberNames == 1 ? UIntToStr(otu + 1) : NewickName(names_[otu]);
    }

    // Without recursion: a tree may be nested as deep as it has OTUs.
    std::string Write() const {
        struct Frame {
            std::size_t node;
            std::size_t next = 0;
            bool wrote = false;
        };
        std::string text = "(";
        std::vector<Frame> stack{{root_}};
        while (!stack.empty()) {
            Frame& f = stack.back();
            if (f.next < children_[f.node].size()) {
                const std::size_t child = children_[f.node][f.next++];
                if (f.wrote) text += ",";
                f.wrote = true;
                text += "(";
                stack.push_back({child});
                continue;
            }
            for (std::size_t i : leaves_[f.node]) {
                if (f.wrote) text += ",";
                f.wrote = true;
                text += Name(i);
            }
            text += ")" + Label(f.node);
            stack.pop_back();
        }
        return text + ";";
    }

    const TTrees& o_;
    const ATrSetCluster& clusters_;
    const AString& names_;
    std::size_t trees_;
    std::vector<std::size_t> selected_;  // node -> index in clusters_
    std::vector<std::size_t> size_;      // members per node
    std::size_t root_ = 0;
    std::size_t nodes_ = 0;
    std::vector<std::size_t> parent_;
    std::vector<std::size_t> owner_;  // OTU -> smallest node holding it
    std::vector<std::vector<std::size_t>> children_;
    std::vector<std::vector<std::size_t>> leaves_;
    std::vector<std::size_t> depth_;
    std::vector<std::size_t> order_;  // selected nodes by size, largest first
};

bool BuildText(const TTrees& options, Reporter& reporter, const ATrSetCluster& clusters, const AString& names,
               std::size_t trees, std::string& text) {
    Construction construction(options, clusters, names, trees);
    return construction.Build(reporter, text);
}

AString ClusterReport(const std::string& title, const ATrSetCluster& clusters, const AString& names, std::size_t trees,
                      unsigned rulerPower, bool trailingEmptyLine) {
    AString lines{title, ""};
    for (std::string& line : OTUNumberRuler(names.size(), rulerPower)) lines.push_back(std::move(line));
    for (const TTrSetCluster& c : clusters) lines.push_back(ClusterRow(c) + "= " + ShareText(c.Count, trees));
    lines.emplace_back();
    lines.emplace_back("...where...");
    AString otus = OTUListText(names);
    if (!trailingEmptyLine) otus.pop_back();
    lines.insert(lines.end(), otus.begin(), otus.end());
    return lines;
}

TTrees RunOptions(const TTrees& options, std::uint32_t threshold, bool labels) {
    TTrees run = options;
    run.LabelMode = labels ? 1 : 0;
    run.AngleLabels = 0;
    run.RSupportMode = 0;
    run.ThresholdPercent = threshold;
    return run;
}

bool FirstMethodClusters(Reporter& reporter, const std::vector<RefTree>& trees, const OTUList& otus,
                         ClusterList& list) {
    std::size_t unknown = 0;
    std::size_t refused = 0;
    std::string firstUnknown;
    std::size_t firstTree = 0;
    for (std::size_t t = 0; t < trees.size(); ++t) {
        const TreeClusterResult r = TreeClusters(trees[t], list, otus);
        if (r.Unknown > 0 && unknown == 0) {
            firstUnknown = r.UnknownName;
            firstTree = t + 1;
        }
        unknown += r.Unknown;
        refused += r.Refused;
    }
    if (unknown > 0)
        reporter.Error("Consensus error: Inconsistent array of OTUs\r\n" + UIntToStr(unknown) + " cluster(s) hold " +
                       (firstUnknown.size() > 20 ? "names longer than the 20 characters kept of OTU names"
                                                 : "names the first tree lacks") +
                       " (the first: " + firstUnknown + " in tree " + UIntToStr(firstTree) +
                       "); they were not counted.");
    if (refused > 0)
        reporter.Error("Maximal number of clusters that can be evaluated has been reached.\r\n" + UIntToStr(refused) +
                       " cluster(s) were not counted.");
    return unknown == 0 && refused == 0;
}

bool MajorityRule(Reporter& reporter, const TTrees& options, std::uint32_t threshold, bool labels,
                  const std::vector<RefTree>& trees, std::string& text, AString* report) {
    text.clear();
    OTUList otus;
    if (!FirstTreeOTUs(reporter, trees, otus)) return false;
    ClusterList list;
    const bool counted = FirstMethodClusters(reporter, trees, otus, list);
    const TTrees run = RunOptions(options, threshold, labels);
    const bool built = BuildText(run, reporter, list.Entries(), otus.Names(), trees.size(), text);
    if (report != nullptr && !list.empty()) {
        AString lines = ClusterReport("Clusters found during Majority Rule Consensus construction", list.Entries(),
                                      otus.Names(), trees.size(), 4, true);
        report->insert(report->end(), lines.begin(), lines.end());
    }
    return counted && built;
}

bool ConsensusB(Reporter& reporter, const TTrees& options, std::uint32_t threshold, bool labels,
                const std::vector<RefTree>& trees, std::string& text, AString* report) {
    text.clear();
    if (trees.empty()) {
        reporter.Error("Consensus: no trees");
        return false;
    }
    AString names;
    names = trees.front().Names;
    if (names.size() < 2) {
        reporter.Error("The first tree holds fewer than two OTUs.");
        return false;
    }
    const OTUList otus(names);
    ATrSetCluster clusters;
    for (const RefTree& tree : trees) {
        if (TreeClustersB(tree, otus, clusters) != 0) {
            reporter.Error("Inconsistent array of OTUs!");
            return false;
        }
    }
    const TTrees run = RunOptions(options, threshold, labels);
    if (!BuildText(run, reporter, clusters, names, trees.size(), text)) return false;
    if (report != nullptr) {
        AString lines =
            ClusterReport("Clusters found during consensus tree construction", clusters, names, trees.size(), 6, false);
        report->insert(report->end(), lines.begin(), lines.end());
    }
    return true;
}

bool Trees2BinMatrix(Reporter& reporter, const std::vector<RefTree>& trees, TreeClusterMatrix& matrix) {
    OTUList otus;
    if (!FirstTreeOTUs(reporter, trees, otus)) return false;
    ClusterList list;
    if (!FirstMethodClusters(reporter, trees, otus, list)) return false;
    const std::size_t T = trees.size();
    const std::size_t K = list.size();
    AByte cells(K * T, 0);
    for (std::size_t t = 0; t < T; ++t) {
        std::vector<std::size_t> indices;
        std::string reason;
        if (!TreeClusterIndices(trees[t], list, otus, indices, reason)) {
            reporter.Error(reason);
            return false;
        }
        for (std::size_t k : indices) cells[k * T + t] = 1;
    }
    matrix.Trees = T;
    matrix.Clusters = K;
    matrix.Matrix = std::move(cells);
    return true;
}

}  // namespace

bool Consensus(Reporter& reporter, const TTrees& options, std::uint32_t threshold, bool labels,
               const std::vector<ParsedTree>& parsed, ConsensusResult& result) {
    const std::vector<RefTree> trees = RefTrees(parsed);
    ConsensusResult r;
    MajorityRule(reporter, options, threshold, labels, trees, r.Text, &r.Report);
    Reporter quiet;
    ConsensusB(quiet, options, threshold, labels, trees, r.TextB, &r.Report);
    r.Match = r.Text == r.TextB;
    result = std::move(r);
    return !result.Text.empty();
}

bool ClusterMatrix(Reporter& reporter, const std::vector<ParsedTree>& parsed, TreeClusterMatrix& matrix) {
    return Trees2BinMatrix(reporter, RefTrees(parsed), matrix);
}

}  // namespace reference
