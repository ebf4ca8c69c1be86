#include "trees/upgma.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "foundation/number_text.h"
#include "trees/dist_analysis.h"
#include "trees/tree_text.h"

namespace {

// Start value of the minimum search: the largest double, as the matrices once were doubles.
constexpr Extended kNoDistance = std::numeric_limits<double>::max();
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// The working state of a clustering: a full symmetric matrix indexed by slot (a merged cluster
// takes the slot of one of its members), the live slots in row order (rows outside a merge keep
// their order, a new cluster comes last), and for each live row the smallest distance to the
// rows before it with the first such row.
class Clustering {
public:
    Clustering(const PackedMatrix& matrix, std::size_t n)
        : n_(n), d_(n * n), order_(n), rows_(n), rowMin_(n, kNoDistance), rowArg_(n, kNone), member_(n, 0) {
        for (std::size_t i = 0; i < n; ++i) {
            const Extended* row = matrix.data() + PairIndex(i + 1, 1);
            for (std::size_t j = 0; j < i; ++j) d_[i * n + j] = d_[j * n + i] = row[j];
            d_[i * n + i] = 0.0L;
            order_[i] = i;
            rows_[i] = {i + 1, 0};
        }
        for (std::size_t i = 0; i < n; ++i) RescanRow(i);
    }

    std::size_t Rows() const { return order_.size(); }

    // The first smallest distance in packed order; false when none is below kNoDistance.
    bool Shortest(Extended& d) const {
        d = kNoDistance;
        for (const std::size_t r : order_) {
            if (rowMin_[r] < d) d = rowMin_[r];
        }
        return d < kNoDistance;
    }

    // Every pair at distance d, in packed order, as (row slot + 1, column slot + 1).
    void PairsAt(Extended d, std::vector<RowPair>& pairs) const {
        pairs.clear();
        for (std::size_t k = 0; k < order_.size(); ++k) {
            const std::size_t r = order_[k];
            if (!(rowMin_[r] == d)) continue;
            const Extended* row = d_.data() + r * n_;
            for (std::size_t c = 0; c < k; ++c) {
                if (row[order_[c]] == d) pairs.emplace_back(r + 1, order_[c] + 1);
            }
        }
    }

    Extended Distance(std::size_t a, std::size_t b) const { return d_[(a - 1) * n_ + (b - 1)]; }

    std::vector<ClusterRow> Members(const std::vector<std::size_t>& set) const {
        std::vector<ClusterRow> members;
        members.reserve(set.size());
        for (const std::size_t x : set) members.push_back(rows_[x - 1]);
        return members;
    }

    // Replaces the set (slots + 1, in set order) by one row for the new cluster, placed last,
    // whose distance to each remaining row is the plain mean over the members.
    void Merge(const std::vector<std::size_t>& set, std::size_t clusterId) {
        for (const std::size_t x : set) member_[x - 1] = 1;
        std::size_t slot = kNone;
        for (const std::size_t x : set) slot = std::min(slot, x - 1);
        std::erase_if(order_, [this](std::size_t r) { return member_[r] != 0; });
        const auto members = static_cast<Extended>(set.size());
        means_.resize(order_.size());
        for (std::size_t k = 0; k < order_.size(); ++k) {
            const Extended* row = d_.data() + order_[k] * n_;
            Extended sum = 0.0L;
            for (const std::size_t x : set) sum += row[x - 1];
            means_[k] = sum / members;
        }
        Extended* cluster = d_.data() + slot * n_;
        for (std::size_t k = 0; k < order_.size(); ++k) {
            cluster[order_[k]] = means_[k];
            d_[order_[k] * n_ + slot] = means_[k];
        }
        cluster[slot] = 0.0L;
        rows_[slot] = {clusterId, set.size()};
        // A row keeps its minimum unless the row holding it has gone.
        for (const std::size_t r : order_) {
            if (rowArg_[r] != kNone && member_[rowArg_[r]] != 0) RescanRow(r);
        }
        for (const std::size_t x : set) member_[x - 1] = 0;
        order_.push_back(slot);
        RescanRow(slot);
    }

private:
    // The smallest distance of row r to the rows before it (first one on ties).
    void RescanRow(std::size_t r) {
        Extended best = kNoDistance;
        std::size_t arg = kNone;
        const Extended* row = d_.data() + r * n_;
        for (const std::size_t c : order_) {
            if (c == r) break;
            if (row[c] < best) {
                best = row[c];
                arg = c;
            }
        }
        rowMin_[r] = best;
        rowArg_[r] = arg;
    }

    std::size_t n_;
    AExt d_;
    std::vector<std::size_t> order_;
    std::vector<ClusterRow> rows_;
    AExt rowMin_;
    std::vector<std::size_t> rowArg_;
    std::vector<std::uint8_t> member_;
    AExt means_;
};

}  // namespace

UPGMANodeWriter::UPGMANodeWriter(std::size_t n, const AString* labels, PackedNodes& nodes)
    : n_(n), labels_(labels), nodes_(nodes), firstChild_(nodes.size() + 1, 0) {}

std::size_t UPGMANodeWriter::MakeClusterNodes(const std::vector<ClusterRow>& members, Extended height) {
    std::size_t otus = 0;
    for (const ClusterRow& row : members)
        if (row.id <= n_) ++otus;
    const std::size_t parent = written_ + otus + 1;
    for (const ClusterRow& row : members) {
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
    node.ChildCount = members.size();
    node.Ptr = 0;
    return entry;
}

void UPGMANodeWriter::MakeRoot() {
    PackedNode& root = nodes_[written_ - 1];
    root.Name = "last node";
    root.Value = -0.0L;
    root.Parent = 0;
}

std::string UPGMANodeWriter::LeafName(std::size_t id) const {
    if (labels_ == nullptr) return "OTU" + UIntToStr(id);
    return id <= labels_->size() ? TreeName((*labels_)[id - 1]) : std::string();
}

void UPGMANodeWriter::SetParent(std::size_t entry, std::size_t parent) {
    nodes_[entry - 1].Parent = parent;
    if (firstChild_[parent] == 0 || entry < firstChild_[parent]) firstChild_[parent] = entry;
}

// Sum of the lengths met following the first (lowest) child down to a leaf.
Extended UPGMANodeWriter::NodeHeight(std::size_t entry) const {
    Extended height = 0.0L;
    for (std::size_t c = firstChild_[entry]; c != 0; c = firstChild_[c]) height += nodes_[c - 1].Value;
    return height;
}

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
    Clustering work(matrix, n);
    UPGMANodeWriter writer(n, labels, nodes);
    std::vector<RowPair> pairs;
    std::vector<std::size_t> set;
    do {
        Extended d = 0.0L;
        if (!work.Shortest(d)) {
            reporter.Error("vxTrees.UPGMA/ShortestDist: error in input matrix");
            return fail();
        }
        work.PairsAt(d, pairs);
        if (FirstLinkedSet(reporter, pairs, set) == 0) return fail();
        const Extended height =
            ClusterHeight(set, [&work](std::size_t a, std::size_t b) { return work.Distance(a, b); });
        const std::size_t entry = writer.MakeClusterNodes(work.Members(set), height);
        work.Merge(set, n + entry);
    } while (work.Rows() > 1);
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
