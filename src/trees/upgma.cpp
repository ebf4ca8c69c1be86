#include "trees/upgma.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "foundation/number_text.h"
#include "trees/dist_analysis.h"
#include "trees/tree_text.h"

namespace {

// Start value of the minimum search: the largest double, as the matrices once were doubles.
constexpr Extended kNoDistance = std::numeric_limits<double>::max();
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// Smallest of n values, kept up to date one value at a time, and the places that hold a value.
class MinTree {
public:
    explicit MinTree(std::size_t n) : leaves_(std::bit_ceil(std::max<std::size_t>(n, 1))), node_(2 * leaves_, kNoDistance) {}

    void Set(std::size_t i, Extended v) {
        std::size_t k = leaves_ + i;
        node_[k] = v;
        for (k >>= 1; k > 0; k >>= 1) node_[k] = node_[2 * k + 1] < node_[2 * k] ? node_[2 * k + 1] : node_[2 * k];
    }
    Extended Min() const { return node_[1]; }

    // Every place holding d, in no particular order.
    void Find(Extended d, std::vector<std::size_t>& places) {
        places.clear();
        stack_.assign(1, 1);
        while (!stack_.empty()) {
            const std::size_t k = stack_.back();
            stack_.pop_back();
            if (!(node_[k] == d)) continue;
            if (k >= leaves_) {
                places.push_back(k - leaves_);
            } else {
                stack_.push_back(2 * k);
                stack_.push_back(2 * k + 1);
            }
        }
    }

private:
    std::size_t leaves_;
    AExt node_;
    std::vector<std::size_t> stack_;
};

// The working state of a clustering. Rows are identified by slot (a merged cluster takes the
// slot of its first member) and ordered by stamp: the OTU's index, then n + the cluster's number,
// so that rows outside a merge keep their order and a new cluster comes last. A row holds its
// distances to the rows before it, indexed by slot: an OTU's row is its row of the packed matrix,
// a cluster's row is written once, when it is made. A row's candidates are the live rows before
// it with a distance below kNoDistance: they never change value and none is added later, they only
// go. So each row keeps its few closest candidates, by distance and then row order, and is scanned
// again only when all of them have gone.
class Clustering {
public:
    Clustering(const PackedMatrix& matrix, std::size_t n)
        : n_(n), row_(n), buffer_(n, kNone), live_(n), stamp_(n), rows_(n),
          closest_(n * kKept), kept_(n, 0), head_(n, 0), member_(n, 0), nextStamp_(n), tree_(n) {
        for (std::size_t i = 0; i < n; ++i) {
            row_[i] = matrix.data() + PairIndex(i + 1, 1);
            live_[i] = stamp_[i] = i;
            rows_[i] = {i + 1, 0};
        }
        // At first the rows before row i are the OTUs 0 .. i-1, in slot order.
        for (std::size_t i = 0; i < n; ++i) {
            Candidate* kept = closest_.data() + i * kKept;
            std::size_t count = 0;
            Extended bound = kNoDistance;
            for (std::size_t j = 0; j < i; ++j) {
                const Extended v = row_[i][j];
                if (v <= bound) Keep(kept, count, v, j, j, bound);
            }
            Kept(i, count);
        }
    }

    std::size_t Rows() const { return live_.size(); }

    // The smallest distance; false when none is below kNoDistance.
    bool Shortest(Extended& d) const {
        d = tree_.Min();
        return d < kNoDistance;
    }

    // Every pair at distance d, in packed order, as (row slot + 1, column slot + 1).
    void PairsAt(Extended d, std::vector<RowPair>& pairs) {
        pairs.clear();
        tree_.Find(d, atD_);
        std::sort(atD_.begin(), atD_.end(), [this](std::size_t a, std::size_t b) { return stamp_[a] < stamp_[b]; });
        for (const std::size_t r : atD_) {
            // The kept candidates are the closest live ones in order: when one of them lies beyond
            // d, they hold every pair at d.
            const Candidate* kept = closest_.data() + r * kKept;
            const std::size_t firstPair = pairs.size();
            bool whole = false;
            for (std::size_t k = head_[r]; k < kept_[r]; ++k) {
                if (!Live(kept[k])) continue;
                if (!(kept[k].value == d)) {
                    whole = true;
                    break;
                }
                pairs.emplace_back(r + 1, kept[k].slot + 1);
            }
            if (whole) continue;
            pairs.resize(firstPair);
            const Extended* row = row_[r];
            found_.clear();
            for (const std::size_t c : live_) {
                if (stamp_[c] < stamp_[r] && row[c] == d) found_.emplace_back(stamp_[c], c);
            }
            std::sort(found_.begin(), found_.end());
            for (const auto& [stamp, c] : found_) pairs.emplace_back(r + 1, c + 1);
        }
    }

    // The distance of two live rows (slots + 1): held by the later one.
    Extended Distance(std::size_t a, std::size_t b) const {
        return stamp_[a - 1] > stamp_[b - 1] ? row_[a - 1][b - 1] : row_[b - 1][a - 1];
    }

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
        std::erase_if(live_, [this](std::size_t r) { return member_[r] != 0; });
        const std::size_t rows = live_.size();
        const std::size_t* const live = live_.data();
        // Summed member by member in set order, as the plain mean adds them.
        means_.assign(rows, 0.0L);
        Extended* const means = means_.data();
        for (const std::size_t x : set) {
            const std::size_t xs = x - 1, before = stamp_[xs];
            const Extended* const own = row_[xs];
            // A later row holds the distance a row apart: fetched some rows ahead.
            constexpr std::size_t kAhead = 16;
            for (std::size_t k = 0; k < rows; ++k) {
                if (k + kAhead < rows) {
                    const std::size_t ahead = live[k + kAhead];
                    __builtin_prefetch(stamp_[ahead] < before ? own + ahead : row_[ahead] + xs);
                }
                const std::size_t c = live[k];
                means[k] += *(stamp_[c] < before ? own + c : row_[c] + xs);
            }
        }
        for (const std::size_t x : set) {
            stamp_[x - 1] = kNone;  // gone (the slot gets its new stamp below)
            tree_.Set(x - 1, kNoDistance);
        }
        // Every live row comes before the new cluster: its candidates are gathered as it is written.
        const std::size_t buffer = TakeBuffer();
        Extended* const cluster = buffers_[buffer].get();
        // Dividing by a power of two is exact, as is multiplying by its inverse: the same values.
        const auto members = static_cast<Extended>(set.size());
        const bool powerOfTwo = (set.size() & (set.size() - 1)) == 0;
        const Extended inverse = 1.0L / members;
        Candidate* kept = closest_.data() + slot * kKept;
        std::size_t count = 0;
        Extended bound = kNoDistance;
        for (std::size_t k = 0; k < rows; ++k) {
            const Extended mean = powerOfTwo ? means[k] * inverse : means[k] / members;
            cluster[live[k]] = mean;
            if (mean <= bound) Keep(kept, count, mean, stamp_[live[k]], live[k], bound);
        }
        cluster[slot] = 0.0L;
        for (const std::size_t x : set) {
            if (buffer_[x - 1] != kNone) freeBuffers_.push_back(buffer_[x - 1]);
            buffer_[x - 1] = kNone;
        }
        buffer_[slot] = buffer;
        row_[slot] = cluster;
        rows_[slot] = {clusterId, set.size()};
        // A row keeps its minimum unless the candidate holding it has gone.
        for (const std::size_t r : live_) {
            if (head_[r] < kept_[r] && member_[closest_[r * kKept + head_[r]].slot] != 0) NextCandidate(r);
        }
        for (const std::size_t x : set) member_[x - 1] = 0;
        stamp_[slot] = nextStamp_++;
        live_.insert(std::lower_bound(live_.begin(), live_.end(), slot), slot);
        Kept(slot, count);
    }

private:
    static constexpr std::size_t kKept = 4;
    struct Candidate {
        Extended value;
        std::size_t stamp, slot;
    };

    bool Live(const Candidate& c) const { return stamp_[c.slot] == c.stamp; }

    static bool Closer(Extended v, std::size_t stamp, const Candidate& than) {
        return v < than.value || (v == than.value && stamp < than.stamp);
    }

    // Adds a candidate to a row's list of the closest, count of kKept so far. Nothing beyond bound
    // can be kept: kNoDistance until the list is full, then its last distance (the caller skips
    // what lies beyond it, so that most distances cost one comparison).
    static void Keep(Candidate* kept, std::size_t& count, Extended v, std::size_t stamp, std::size_t slot,
                     Extended& bound) {
        if (!(v < kNoDistance)) return;
        if (count == kKept && !Closer(v, stamp, kept[kKept - 1])) return;
        std::size_t k = count < kKept ? count++ : kKept - 1;
        for (; k > 0 && Closer(v, stamp, kept[k - 1]); --k) kept[k] = kept[k - 1];
        kept[k] = {v, stamp, slot};
        if (count == kKept) bound = kept[kKept - 1].value;
    }

    // Drops the gone candidates at the head of row r's list; scans the row again when none is left.
    void NextCandidate(std::size_t r) {
        const Candidate* kept = closest_.data() + r * kKept;
        std::size_t k = head_[r];
        while (k < kept_[r] && !Live(kept[k])) ++k;
        if (k == kept_[r]) {
            RescanRow(r);
            return;
        }
        head_[r] = k;
        tree_.Set(r, kept[k].value);
    }

    // The closest live candidates of row r, scanned in memory order.
    void RescanRow(std::size_t r) {
        Candidate* kept = closest_.data() + r * kKept;
        std::size_t count = 0;
        const std::size_t before = stamp_[r];
        const Extended* row = row_[r];
        Extended bound = kNoDistance;
        for (const std::size_t c : live_) {
            if (stamp_[c] < before && row[c] <= bound) Keep(kept, count, row[c], stamp_[c], c, bound);
        }
        Kept(r, count);
    }

    // Row r's list now holds count fresh candidates; its minimum goes into the tree.
    void Kept(std::size_t r, std::size_t count) {
        kept_[r] = count;
        head_[r] = 0;
        tree_.Set(r, count > 0 ? closest_[r * kKept].value : kNoDistance);
    }

    // A cluster row of n values (those of the rows before it are written), reused once its cluster has gone.
    std::size_t TakeBuffer() {
        if (!freeBuffers_.empty()) {
            const std::size_t b = freeBuffers_.back();
            freeBuffers_.pop_back();
            return b;
        }
        // The row is owned before the list grows, so a shortage while it grows frees it.
        auto row = std::make_unique_for_overwrite<Extended[]>(n_);
        buffers_.push_back(std::move(row));
        return buffers_.size() - 1;
    }

    std::size_t n_;
    std::vector<const Extended*> row_;  // a live row's distances, by slot
    std::vector<std::unique_ptr<Extended[]>> buffers_;
    std::vector<std::size_t> buffer_, freeBuffers_;  // per slot: the buffer of its cluster row
    std::vector<std::size_t> live_;   // live slots in memory order
    std::vector<std::size_t> stamp_;  // a live slot's place in row order; kNone once gone
    std::vector<ClusterRow> rows_;
    std::vector<Candidate> closest_;        // kKept per row, closest first
    std::vector<std::size_t> kept_, head_;  // per row: candidates kept, the first not yet gone
    std::vector<std::uint8_t> member_;
    std::size_t nextStamp_;
    MinTree tree_;  // each live row's smallest candidate distance, by slot; kNoDistance where gone
    AExt means_;
    std::vector<std::size_t> atD_;
    std::vector<std::pair<std::size_t, std::size_t>> found_;
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
    set = {pairs.front().first, pairs.front().second};
    if (pairs.size() == 1) return 2;
    // Partners of each row in the order of the pairs after the first one.
    std::size_t maxRow = 0;
    for (const RowPair& p : pairs) maxRow = std::max({maxRow, p.first, p.second});
    std::vector<std::vector<std::size_t>> partners(maxRow + 1);
    for (std::size_t k = 1; k < pairs.size(); ++k) {
        partners[pairs[k].first].push_back(pairs[k].second);
        partners[pairs[k].second].push_back(pairs[k].first);
    }
    std::vector<bool> member(maxRow + 1, false);
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
    const AString labels = TreeLabels();
    PackedNodes nodes;
    if (!::UPGMA(Reporting(), Dist, NOTU, &labels, nodes)) return false;
    std::string text;
    if (!DendrogramToText(Reporting(), nodes, title, text)) return false;
    StoredTree = std::move(text);
    return true;
}
