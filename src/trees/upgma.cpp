#include "trees/upgma.h"

#include <algorithm>
#include <limits>
#include <string>

#include "foundation/number_text.h"
#include "trees/dist_analysis.h"
#include "trees/tree_text.h"

namespace {

// Start value of the minimum search: the largest double, as the matrices once were doubles.
constexpr Extended kNoDistance = std::numeric_limits<double>::max();

struct ClusterRow {
    std::size_t id;          // node id: 1..n for OTUs, n + entry for clusters
    std::size_t childCount;  // children of the row's node
};

// Writes the nodes of one merge into the packed buffer. Keeps, per entry, the lowest entry
// that names it as parent, so that heights need no search of the buffer.
class NodeWriter {
public:
    NodeWriter(std::size_t n, const AString* labels, PackedNodes& nodes)
        : n_(n), labels_(labels), nodes_(nodes), firstChild_(nodes.size() + 1, 0) {}

    std::size_t Written() const { return written_; }

    // Entries for the members of the linked set and for their new cluster; returns the
    // cluster's entry.
    std::size_t MakeClusterNodes(const std::vector<ClusterRow>& rows,
                                 const std::vector<std::size_t>& set, Extended height) {
        std::size_t otus = 0;
        for (const std::size_t r : set)
            if (rows[r - 1].id <= n_) ++otus;
        const std::size_t parent = written_ + otus + 1;
        for (const std::size_t r : set) {
            const ClusterRow& row = rows[r - 1];
            if (row.id <= n_) {
                const std::size_t entry = ++written_;
                PackedNode& node = nodes_[entry - 1];
                node.Id = entry;
                node.Name = LeafName(row.id);
                node.Value = height;
                node.ChildCount = row.childCount;
                node.Ptr = 0;
                SetParent(entry, parent);
            } else {
                const std::size_t entry = row.id - n_;
                PackedNode& node = nodes_[entry - 1];
                node.Name = "Internal";
                node.Value = height - NodeHeight(entry);
                SetParent(entry, parent);
            }
        }
        const std::size_t entry = ++written_;
        PackedNode& node = nodes_[entry - 1];
        node.Id = entry;
        node.Name = "internal";
        node.Value = 0.0L;
        node.Parent = 0;
        node.ChildCount = set.size();
        node.Ptr = 0;
        return entry;
    }

    void MakeRoot() {
        PackedNode& root = nodes_[written_ - 1];
        root.Name = "last node";
        root.Value = -0.0L;
        root.Parent = 0;
    }

private:
    std::string LeafName(std::size_t id) const {
        if (labels_ == nullptr) return "OTU" + UIntToStr(id);
        return id <= labels_->size() ? TreeName((*labels_)[id - 1]) : std::string();
    }

    void SetParent(std::size_t entry, std::size_t parent) {
        nodes_[entry - 1].Parent = parent;
        if (firstChild_[parent] == 0 || entry < firstChild_[parent]) firstChild_[parent] = entry;
    }

    // Sum of the lengths met following the first (lowest) child down to a leaf.
    Extended NodeHeight(std::size_t entry) const {
        Extended height = 0.0L;
        for (std::size_t c = firstChild_[entry]; c != 0; c = firstChild_[c]) height += nodes_[c - 1].Value;
        return height;
    }

    std::size_t n_;
    const AString* labels_;
    PackedNodes& nodes_;
    std::vector<std::size_t> firstChild_;
    std::size_t written_ = 0;
};

// Half the mean distance among the members of the set.
Extended ClusterHeight(const PackedMatrix& matrix, const std::vector<std::size_t>& set) {
    Extended sum = 0.0L;
    for (std::size_t a = 0; a < set.size(); ++a) {
        for (std::size_t b = a + 1; b < set.size(); ++b) sum += matrix[PairIndex(set[a], set[b])];
    }
    const std::size_t pairs = set.size() * (set.size() - 1) / 2;
    return sum / (2.0L * static_cast<Extended>(pairs));
}

// The matrix of the next step: the rows outside the set keep their order, the new cluster
// comes last with the plain mean of its members' distances.
PackedMatrix NextClusterMatrix(const PackedMatrix& matrix, std::size_t m,
                               const std::vector<std::size_t>& set,
                               const std::vector<bool>& inSet) {
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

std::vector<ClusterRow> NextIdTable(const std::vector<ClusterRow>& rows,
                                    const std::vector<bool>& inSet, std::size_t clusterId,
                                    std::size_t members) {
    std::vector<ClusterRow> next;
    next.reserve(rows.size());
    for (std::size_t r = 1; r <= rows.size(); ++r) {
        if (!inSet[r]) next.push_back(rows[r - 1]);
    }
    next.push_back({clusterId, members});
    return next;
}

}  // namespace

bool ShortestDist(const PackedMatrix& matrix, std::size_t n, Extended& shortest) {
    shortest = kNoDistance;
    for (std::size_t i = 2; i <= n; ++i) {
        const std::size_t rowStart = PairIndex(i, 1);
        for (std::size_t j = 0; j + 1 < i; ++j) {
            if (matrix[rowStart + j] < shortest) shortest = matrix[rowStart + j];
        }
    }
    return shortest < kNoDistance;
}

std::size_t FindPairsAtDist(const PackedMatrix& matrix, std::size_t n, Extended d,
                            std::vector<RowPair>& pairs) {
    pairs.clear();
    for (std::size_t i = 2; i <= n; ++i) {
        const std::size_t rowStart = PairIndex(i, 1);
        for (std::size_t j = 1; j < i; ++j) {
            if (matrix[rowStart + j - 1] == d) pairs.emplace_back(i, j);
        }
    }
    return pairs.size();
}

std::size_t FirstLinkedSet(Reporter& reporter, const std::vector<RowPair>& pairs, std::vector<std::size_t>& set) {
    set.clear();
    if (pairs.empty()) {
        reporter.Error("FirstLinkedSet: Nothing found");
        return 0;
    }
    if (pairs.front().first == pairs.front().second) {
        reporter.Error("Occurrences Array has illegal pair");
        return 0;
    }
    // Partners of each row in the order of the pairs after the first one.
    std::size_t maxRow = 0;
    for (const RowPair& p : pairs) maxRow = std::max({maxRow, p.first, p.second});
    std::vector<std::vector<std::size_t>> partners(maxRow + 1);
    for (std::size_t k = 1; k < pairs.size(); ++k) {
        partners[pairs[k].first].push_back(pairs[k].second);
        partners[pairs[k].second].push_back(pairs[k].first);
    }
    std::vector<bool> member(maxRow + 1, false);
    set = {pairs.front().first, pairs.front().second};
    member[set[0]] = member[set[1]] = true;
    for (std::size_t k = 0; k < set.size(); ++k) {
        for (const std::size_t other : partners[set[k]]) {
            if (!member[other]) {
                member[other] = true;
                set.push_back(other);
            }
        }
    }
    return set.size();
}

bool InLinkedSet(std::size_t a, std::size_t b, const std::vector<std::size_t>& set) {
    for (const std::size_t x : set) {
        if (x == a || x == b) return true;
    }
    return false;
}

bool UPGMA(Reporter& reporter, const PackedMatrix& matrix, std::size_t n, const AString* labels, PackedNodes& nodes) {
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

    NodeWriter writer(n, labels, nodes);
    std::vector<RowPair> pairs;
    std::vector<std::size_t> set;
    std::size_t m = n;
    do {
        Extended d = 0.0L;
        if (!ShortestDist(current, m, d)) {
            reporter.Error("vxTrees.UPGMA/ShortestDist: error in input matrix");
            return fail();
        }
        FindPairsAtDist(current, m, d, pairs);
        if (FirstLinkedSet(reporter, pairs, set) == 0) return fail();
        std::vector<bool> inSet(m + 1, false);
        for (const std::size_t r : set) inSet[r] = true;

        const Extended height = ClusterHeight(current, set);
        const std::size_t entry = writer.MakeClusterNodes(rows, set, height);
        rows = NextIdTable(rows, inSet, n + entry, set.size());
        current = NextClusterMatrix(current, m, set, inSet);
        m = m - set.size() + 1;
    } while (m > 1);
    writer.MakeRoot();
    nodes.resize(writer.Written());
    return true;
}

bool TDistAnalysis::UPGMA(std::string_view title) {
    ClearTrees();
    if (!CheckInput("UPGMA", "UPGMAOld: id/lo mismatch")) return false;
    AString labels;
    labels.reserve(OTUNames.size());
    for (const std::string& name : OTUNames) labels.push_back(TreeName(name));
    PackedNodes nodes;
    if (!::UPGMA(Reporting(), Dist, NOTU, &labels, nodes)) return false;
    std::string text;
    if (!DendrogramToText(Reporting(), nodes, title, text)) return false;
    StoredTree = std::move(text);
    return true;
}
