#include "trees/consensus.h"

#include <algorithm>
#include <limits>
#include <tuple>
#include <utility>

#include "foundation/number_text.h"
#include "trees/tree_text.h"

namespace {

constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

// The members of a mask as a readable list, for the messages about clusters.
std::string MemberText(const OTUSet& mask, const AString& names) {
    std::string text = "(";
    bool first = true;
    mask.ForEach([&](std::size_t i) {
        if (i >= names.size()) return;
        if (!first) text += ",";
        text += names[i];
        first = false;
    });
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
            if (o_.RSupportMode)
                reporter.Error("Consensus: no cluster has an R value of at most " + UIntToStr(o_.RSupportLimit));
            else
                reporter.Error("Consensus: no cluster is found in enough trees (" +
                               UIntToStr(TTrees::RequiredTrees(trees_, o_.ThresholdPercent)) + " of " +
                               UIntToStr(trees_) + ")");
            return false;
        }
        if (!o_.NumberNames)
            for (const std::string& name : names_)
                if (!TreeTextCarries(reporter, name)) return false;
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
            if (c.Mask.Size() != names_.size()) continue;
            const bool chosen = o_.RSupportMode ? c.RValue <= o_.RSupportLimit : c.Count >= required;
            if (!chosen) continue;
            const std::size_t size = c.Mask.Count();
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
            const OTUSet& mask = clusters_[selected_[c]].Mask;
            std::size_t par = kNone;
            std::size_t clash = kNone;
            mask.ForEach([&](std::size_t i) {
                if (par == kNone) par = owner_[i];
                if (owner_[i] != par && clash == kNone) clash = owner_[i];
            });
            if (clash != kNone) {
                const std::size_t other = par != root_ ? par : clash;
                reporter.Error("Consensus error: the clusters " + MemberText(mask, names_) + " and " +
                               MemberText(Mask(other), names_) + " overlap; no tree holds both");
                return false;
            }
            if (size_[par] == size_[c]) {
                reporter.Error("Consensus:ClusterDist:ZeroMismatch for nonidentical clusters!");
                return false;
            }
            parent_[c] = par;
            mask.ForEach([&](std::size_t i) { owner_[i] = c; });
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

    const OTUSet& Mask(std::size_t node) const {
        static const OTUSet kEmpty;
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
        if (node == root_ && o_.AngleLabels) return "<TreeID~" + o_.TreeIDText + ">";
        if (node >= selected_.size()) return {};
        const TTrSetCluster& c = clusters_[selected_[node]];
        if (o_.RSupportMode) {
            if (o_.RLabelDecimals == 255) return {};
            const Extended r = static_cast<Extended>(std::max<std::uint32_t>(c.RValue, 1));
            // Without the blanks of the padded number; a quoted name keeps its own.
            std::string label = o_.RLabel + ExtToStrF(Log10(r), 4, o_.RLabelDecimals);
            std::erase(label, ' ');
            return label;
        }
        if (o_.AngleLabels) return "<" + UIntToStr(o_.SupportPercent(c.Count, trees_)) + ">";
        if (o_.LabelMode) return UIntToStr(o_.SupportPercent(c.Count, trees_));
        return {};
    }

    std::string Name(std::size_t otu) const { return o_.NumberNames ? UIntToStr(otu + 1) : NewickName(names_[otu]); }

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

// What the names of refused clusters are, told by the first of them.
std::string UnknownNamesText(const std::string& firstUnknown) {
    return firstUnknown.size() > kTreeNameLength ? "names longer than the 20 characters kept of OTU names"
                                                 : "names the first tree lacks";
}

TTrees RunOptions(const TTrees& options, std::uint32_t threshold, bool labels) {
    TTrees run = options;
    run.LabelMode = labels;
    run.AngleLabels = false;
    run.RSupportMode = false;
    run.ThresholdPercent = threshold;
    return run;
}

}  // namespace

std::size_t TTrees::RequiredTrees(std::size_t trees, std::uint32_t thresholdPercent) {
    const std::size_t majority = trees / 2 + 1;
    // ceil(trees * t / 100) without overflow: trees is far below 2^57.
    const std::uint64_t product = static_cast<std::uint64_t>(trees) * thresholdPercent;
    const std::size_t share = static_cast<std::size_t>((product + 99) / 100);
    return std::max(majority, share);
}

std::uint64_t TTrees::SupportPercent(std::size_t count, std::size_t trees) const {
    if (trees == 0) return 0;
    const std::uint64_t scaled = 100ULL * count;
    const std::uint64_t q = scaled / trees;
    const std::uint64_t rem = scaled % trees;
    switch (RoundMode & 3) {
        case 0: return (2 * rem > trees || (2 * rem == trees && q % 2 == 1)) ? q + 1 : q;
        case 2: return rem > 0 ? q + 1 : q;
        default: return q;  // down and towards zero agree on shares
    }
}

bool TTrees::BuildConsensus(Reporter& reporter, const ClusterList& clusters, const AString& names, std::size_t trees,
                            std::string& text) const {
    Construction construction(*this, clusters.Entries(), names, trees);
    return construction.Build(reporter, text);
}

bool TTrees::BuildConsensusB(Reporter& reporter, const ATrSetCluster& clusters, const AString& names, std::size_t trees,
                             std::string& text) const {
    Construction construction(*this, clusters, names, trees);
    return construction.Build(reporter, text);
}

bool FirstTreeOTUs(Reporter& reporter, const std::vector<ParsedTree>& trees, OTUList& otus) {
    if (trees.empty()) {
        reporter.Error("Consensus: no trees");
        return false;
    }
    AString names;
    TreeOTUNames(trees.front(), names);
    OTUList list(std::move(names));
    if (list.Count() < 2) {
        reporter.Error("The first tree holds fewer than two OTUs.");
        return false;
    }
    otus = std::move(list);
    return true;
}

bool FirstMethodClusters(Reporter& reporter, const std::vector<ParsedTree>& trees, const OTUList& otus,
                         ClusterList& list) {
    std::size_t unknown = 0;
    std::size_t refused = 0;
    std::size_t oneName = 0;
    std::string firstUnknown;
    std::size_t firstTree = 0;
    std::string firstOneName;
    std::size_t firstOneNameTree = 0;
    for (std::size_t t = 0; t < trees.size(); ++t) {
        const TreeClusterResult r = TreeClusters(trees[t], list, otus);
        if (r.Unknown > 0 && unknown == 0) {
            firstUnknown = r.UnknownName;
            firstTree = t + 1;
        }
        if (r.OneName && oneName++ == 0) {
            firstOneName = trees[t].Names.front();
            firstOneNameTree = t + 1;
        }
        unknown += r.Unknown;
        refused += r.Refused;
    }
    if (unknown > 0 || oneName > 0) {
        std::string text = "Consensus error: Inconsistent array of OTUs";
        if (unknown > 0)
            text += "\r\n" + UIntToStr(unknown) + " cluster(s) hold " + UnknownNamesText(firstUnknown) +
                    " (the first: " + firstUnknown + " in tree " + UIntToStr(firstTree) + "); they were not counted.";
        if (oneName > 0)
            text += "\r\n" + UIntToStr(oneName) +
                    " tree(s) hold only one of the first tree's names (the first: " + firstOneName + " in tree " +
                    UIntToStr(firstOneNameTree) + "); they hold no cluster to count.";
        reporter.Error(text);
    }
    if (refused > 0)
        reporter.Error("Maximal number of clusters that can be evaluated has been reached.\r\n" + UIntToStr(refused) +
                       " cluster(s) were not counted.");
    return unknown == 0 && refused == 0 && oneName == 0;
}

bool MajorityRule(Reporter& reporter, const TTrees& options, std::uint32_t threshold, bool labels,
                  const std::vector<ParsedTree>& trees, std::string& text, AString* report) {
    text.clear();
    OTUList otus;
    if (!FirstTreeOTUs(reporter, trees, otus)) return false;
    ClusterList list;
    const bool counted = FirstMethodClusters(reporter, trees, otus, list);
    const TTrees run = RunOptions(options, threshold, labels);
    const bool built = run.BuildConsensus(reporter, list, otus.Names(), trees.size(), text);
    if (report != nullptr && !list.empty()) {
        AString lines = ClusterReport("Clusters found during Majority Rule Consensus construction", list.Entries(),
                                      otus.Names(), trees.size(), 4, true);
        report->insert(report->end(), lines.begin(), lines.end());
    }
    return counted && built;
}

bool ConsensusB(Reporter& reporter, const TTrees& options, std::uint32_t threshold, bool labels,
                const std::vector<ParsedTree>& trees, std::string& text, AString* report) {
    text.clear();
    if (trees.empty()) {
        reporter.Error("Consensus: no trees");
        return false;
    }
    AString names;
    TreeOTUNamesB(trees.front(), names);
    if (names.size() < 2) {
        reporter.Error("The first tree holds fewer than two OTUs.");
        return false;
    }
    const OTUList otus(names);
    ClusterList clusters(kNoClusterLimit);
    for (const ParsedTree& tree : trees) {
        if (TreeClustersB(tree, otus, clusters) != 0) {
            reporter.Error("Inconsistent array of OTUs!");
            return false;
        }
    }
    const TTrees run = RunOptions(options, threshold, labels);
    if (!run.BuildConsensusB(reporter, clusters.Entries(), names, trees.size(), text)) return false;
    if (report != nullptr) {
        AString lines = ClusterReport("Clusters found during consensus tree construction", clusters.Entries(), names,
                                      trees.size(), 6, false);
        report->insert(report->end(), lines.begin(), lines.end());
    }
    return true;
}

void SelfCheckBox(Reporter& reporter, const std::string& text) { reporter.Ask(text, "TEST", kMessageOk); }

bool TTrees::Consensus(Reporter& reporter, std::uint32_t threshold, bool labels, const std::string& inFile,
                       ConsensusResult& result) const {
    result = ConsensusResult{};
    TreeLines lines;
    std::vector<ParsedTree> trees;
    if (!ReadTreeFile(reporter, inFile, lines) || !ParseTreeLines(reporter, inFile, lines, trees)) return false;
    ConsensusResult r;
    MajorityRule(reporter, *this, threshold, labels, trees, r.Text, &r.Report);
    // The second method's problems repeat the first's; only its line and report count.
    Reporter quiet;
    ConsensusB(quiet, *this, threshold, labels, trees, r.TextB, &r.Report);
    r.Match = r.Text == r.TextB;
    SelfCheckBox(reporter, r.Match ? "Consensus OK" : "CONSENSUS MISMATCH!!!!");
    result = std::move(r);
    return !result.Text.empty();
}

bool TTrees::StrictConsensus(Reporter& reporter, const std::string& inFile, ConsensusResult& result) const {
    return Consensus(reporter, 100, false, inFile, result);
}
