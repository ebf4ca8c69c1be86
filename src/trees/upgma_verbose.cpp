#include "trees/upgma_verbose.h"

#include <algorithm>
#include <limits>
#include <string>
#include <utility>

#include "foundation/debug_box.h"
#include "foundation/scope_exit.h"
#include "trees/dist_analysis.h"
#include "trees/tree_text.h"

namespace {

// Start value of the minimum search, as in the packed clustering.
constexpr Extended kNoDistance = std::numeric_limits<double>::max();
constexpr std::size_t kLeaf = static_cast<std::size_t>(-1);

std::vector<bool> Membership(std::size_t m, const std::vector<std::size_t>& set) {
    std::vector<bool> inSet(m + 1, false);
    for (const std::size_t r : set) inSet[r] = true;
    return inSet;
}

}  // namespace

PackedMatrix NextClusterMatrix(const PackedMatrix& matrix, std::size_t m, const std::vector<std::size_t>& set) {
    const std::vector<bool> inSet = Membership(m, set);
    std::vector<std::size_t> kept;
    kept.reserve(m);
    for (std::size_t r = 1; r <= m; ++r) {
        if (!inSet[r]) kept.push_back(r);
    }
    PackedMatrix next(PackedSize(kept.size() + 1));
    std::size_t k = 0;
    for (std::size_t a = 0; a < kept.size(); ++a) {
        const std::size_t rowStart = PairIndex(kept[a], 1);
        for (std::size_t b = 0; b <= a; ++b) next[k++] = matrix[rowStart + kept[b] - 1];
    }
    const auto members = static_cast<Extended>(set.size());
    for (const std::size_t r : kept) {
        Extended sum = 0.0L;
        for (const std::size_t x : set) sum += matrix[PairIndex(r, x)];
        next[k++] = sum / members;
    }
    next[k] = 0.0L;
    return next;
}

std::vector<ClusterRow> NextIdTable(const std::vector<ClusterRow>& rows, const std::vector<std::size_t>& set,
                                    std::size_t clusterId) {
    const std::vector<bool> inSet = Membership(rows.size(), set);
    std::vector<ClusterRow> next;
    next.reserve(rows.size());
    for (std::size_t r = 1; r <= rows.size(); ++r) {
        if (!inSet[r]) next.push_back(rows[r - 1]);
    }
    next.push_back({clusterId, set.size()});
    return next;
}

bool SteppedUPGMA(Reporter& reporter, const PackedMatrix& matrix, std::size_t n, const AString* labels,
                  PackedNodes& nodes, const UPGMAStepWatch* watch) {
    nodes.assign(NodeCount(n) + 1, PackedNode{});
    const auto fail = [&nodes]() {
        nodes.clear();
        return false;
    };
    if (matrix.size() < PackedSize(n)) {
        reporter.Error("vxTrees.UPGMA/ShortestDist: error in input matrix");
        return fail();
    }
    PackedMatrix current = ZeroDiagonalCopy(matrix, n);
    current.resize(PackedSize(n));
    std::vector<ClusterRow> rows(n);
    for (std::size_t i = 0; i < n; ++i) rows[i] = {i + 1, 0};

    UPGMANodeWriter writer(n, labels, nodes);
    std::vector<RowPair> pairs;
    std::vector<std::size_t> set;
    std::size_t m = n;
    do {
        Extended d = 0.0L;
        const bool found = ShortestDist(current, m, d);
        if (watch != nullptr && watch->ShortestFound) watch->ShortestFound(d);
        if (!found) {
            reporter.Error("vxTrees.UPGMA/ShortestDist: error in input matrix");
            return fail();
        }
        FindPairsAtDist(current, m, d, pairs);
        if (FirstLinkedSet(reporter, pairs, set) == 0) return fail();
        const Extended height =
            ClusterHeight(set, [&current](std::size_t a, std::size_t b) { return current[PairIndex(a, b)]; });
        std::vector<ClusterRow> members;
        members.reserve(set.size());
        for (const std::size_t r : set) members.push_back(rows[r - 1]);
        const std::size_t entry = writer.MakeClusterNodes(members, height);
        rows = NextIdTable(rows, set, n + entry);
        current = NextClusterMatrix(current, m, set);
        m = m - set.size() + 1;
        if (watch != nullptr && watch->Merged) watch->Merged(m <= 1);
    } while (m > 1);
    writer.MakeRoot();
    nodes.resize(writer.Written());
    return true;
}

UPGMAWorkTree::UPGMAWorkTree(TDistAnalysis& analysis, const AString& labels)
    : tree_(analysis.WorkTree), labels_(labels) {
    FreeDendrogram(tree_);
    tree_.Name = "UPGMA";
    const std::size_t n = analysis.NOTU;
    d_.assign(n, std::vector<Extended>(n, 0.0L));
    for (std::size_t i = 1; i <= n; ++i) {
        for (std::size_t j = 1; j < i; ++j) d_[i - 1][j - 1] = d_[j - 1][i - 1] = analysis.PairDist(i, j);
    }
    rows_.reserve(n);
    for (std::size_t i = 1; i <= n; ++i) rows_.push_back({kLeaf, i, 0});
}

bool UPGMAWorkTree::Shortest(Extended& d) const {
    d = kNoDistance;
    for (std::size_t i = 1; i < d_.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (d_[i][j] < d) d = d_[i][j];
        }
    }
    return d < kNoDistance;
}

Extended UPGMAWorkTree::Height(std::size_t node) const {
    // Down the lowest-numbered child to a leaf, as the packed tree measures it.
    Extended height = 0.0L;
    for (std::size_t k = node; !tree_.Nodes[k].Children.empty();) {
        std::size_t first = tree_.Nodes[k].Children.front();
        for (const std::size_t c : tree_.Nodes[k].Children) first = std::min(first, c);
        height += tree_.Nodes[first].Value;
        k = first;
    }
    return height;
}

bool UPGMAWorkTree::Merge() {
    Extended d = 0.0L;
    if (!Shortest(d)) return false;
    // The first pair at d, then every row tied to a member at d, members taken in the order found.
    std::vector<std::size_t> set;
    for (std::size_t i = 1; i < d_.size() && set.empty(); ++i) {
        for (std::size_t j = 0; j < i && set.empty(); ++j) {
            if (d_[i][j] == d) set = {i, j};
        }
    }
    if (set.empty()) return false;
    std::vector<bool> inSet(d_.size(), false);
    inSet[set[0]] = inSet[set[1]] = true;
    for (std::size_t k = 0; k < set.size(); ++k) {
        const std::size_t x = set[k];
        for (std::size_t i = 1; i < d_.size(); ++i) {
            for (std::size_t j = 0; j < i; ++j) {
                if (!(d_[i][j] == d) || (i == set[0] && j == set[1])) continue;
                const std::size_t other = i == x ? j : j == x ? i : kLeaf;
                if (other != kLeaf && !inSet[other]) {
                    inSet[other] = true;
                    set.push_back(other);
                }
            }
        }
    }
    Extended sum = 0.0L;
    std::size_t pairs = 0;
    for (std::size_t a = 0; a < set.size(); ++a) {
        for (std::size_t b = a + 1; b < set.size(); ++b, ++pairs) sum += d_[set[a]][set[b]];
    }
    const Extended height = sum / (2.0L * static_cast<Extended>(pairs));

    // The leaves of the set get their nodes first, then the new cluster's node.
    std::size_t leaves = 0;
    for (const std::size_t x : set)
        if (rows_[x].node == kLeaf) ++leaves;
    const std::size_t cluster = tree_.Nodes.size() + leaves;
    Node joined;
    joined.Name = "internal";
    joined.Parent = cluster;
    for (const std::size_t x : set) {
        std::size_t node = rows_[x].node;
        if (node == kLeaf) {
            node = tree_.Nodes.size();
            Node leaf;
            leaf.Name = rows_[x].otu <= labels_.size() ? TreeName(labels_[rows_[x].otu - 1]) : std::string();
            leaf.Value = height;
            tree_.Nodes.push_back(std::move(leaf));
        } else {
            tree_.Nodes[node].Name = "Internal";
            tree_.Nodes[node].Value = height - Height(node);
        }
        tree_.Nodes[node].Parent = cluster;
        joined.Children.push_back(node);
    }
    tree_.Nodes.push_back(std::move(joined));

    // The next matrix: the rows outside the set in order, the cluster last at the plain mean.
    std::vector<std::size_t> kept;
    for (std::size_t r = 0; r < d_.size(); ++r) {
        if (!inSet[r]) kept.push_back(r);
    }
    std::vector<std::vector<Extended>> next(kept.size() + 1, std::vector<Extended>(kept.size() + 1, 0.0L));
    std::vector<Row> nextRows;
    for (std::size_t a = 0; a < kept.size(); ++a) {
        nextRows.push_back(rows_[kept[a]]);
        for (std::size_t b = 0; b < kept.size(); ++b) next[a][b] = d_[kept[a]][kept[b]];
        Extended toCluster = 0.0L;
        for (const std::size_t x : set) toCluster += d_[kept[a]][x];
        next[a][kept.size()] = next[kept.size()][a] = toCluster / static_cast<Extended>(set.size());
    }
    nextRows.push_back({cluster, 0, set.size()});
    d_ = std::move(next);
    rows_ = std::move(nextRows);
    return true;
}

void UPGMAWorkTree::MakeRoot() {
    if (tree_.Nodes.empty()) return;
    Node& root = tree_.Nodes.back();
    root.Name = "last node";
    root.Value = -0.0L;
    root.Parent = tree_.Nodes.size() - 1;
}

bool CheckUPGMAShortest(Extended packed, Extended work) {
    if (packed == work) return true;
    DebugBox("upgma error shortestdist");
    return false;
}

bool CheckUPGMALast(bool packed, bool work) {
    if (packed == work) return true;
    DebugBox("upgmaerror...");
    return false;
}

bool TDistAnalysis::UPGMAVerbose(std::string_view title) {
    ClearTrees();
    if (!CheckInput("UPGMA", "UPGMAOld: id/lo mismatch")) return false;
    const AString labels = TreeLabels();

    UPGMAWorkTree work(*this, labels);
    const ScopeExit release([this] { FreeDendrogram(WorkTree); });
    const UPGMAStepWatch watch{
        .ShortestFound =
            [&work](Extended packed) {
                Extended own = 0.0L;
                work.Shortest(own);
                CheckUPGMAShortest(packed, own);
            },
        .Merged =
            [&work](bool last) {
                work.Merge();
                CheckUPGMALast(last, work.Rows() <= 1);
            },
    };
    PackedNodes nodes;
    if (!SteppedUPGMA(Reporting(), Dist, NOTU, &labels, nodes, &watch)) return false;
    work.MakeRoot();
    std::string text;
    if (!DendrogramToText(Reporting(), nodes, title, text)) return false;
    StoredTree = std::move(text);
    return true;
}
