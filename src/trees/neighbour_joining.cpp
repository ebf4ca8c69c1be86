#include "trees/neighbour_joining.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "foundation/number_text.h"
#include "foundation/packed_matrix.h"
#include "foundation/split_extended.h"
#include "foundation/thread_pool.h"
#include "trees/dist_analysis.h"

namespace {

struct NJmeIDEntry {
    std::size_t id;   // OTUs 0 .. NOTU-1, internal nodes numbered on
    std::size_t ptr;  // index of the row's node in the tree; 0 while an OTU is not on it
};

// Working state of one neighbour-joining run on an analysis.
class NJRun {
public:
    NJRun(Reporter& reporter, const AString& names, NJMatrix& matrix, Dendrogram& tree)
        : reporter_(reporter), names_(names), otus_(matrix.Rows()), matrix_(matrix), tree_(tree) {
        ids_.reserve(otus_ + 1);
        for (std::size_t i = 0; i < otus_; ++i) ids_.push_back({i, 0});
    }

    bool Run() {
        while (matrix_.Rows() > 3) {
            std::size_t a = 0, b = 0;
            if (!matrix_.SmallestQ(sums_, a, b)) {
                reporter_.Error("NJ_SmallestQ failed: joining OTU to itself!");
                return false;
            }
            if (!NJ_Join(a, b)) return false;
            if (!Recalcmatrix(a, b)) return false;
        }
        return NJ_LastThree();
    }

private:
    // Distance of current rows i and j (0-based).
    Extended D(std::size_t i, std::size_t j) const { return matrix_.D(i, j); }

    // Places the node of a row under the internal node being made (the last one).
    bool AddOTU(std::size_t row, std::size_t& next, Extended length) {
        const NJmeIDEntry& entry = ids_[row];
        const std::size_t last = tree_.Nodes.size() - 1;
        if (entry.id < otus_) {
            if (entry.ptr != 0) {
                reporter_.Error("AddOTU ERROR: not expecting .ptr>0: " + UIntToStr(row) + " " + UIntToStr(entry.ptr));
                return false;
            }
            Node& node = tree_.Nodes[next];
            node.Name = names_[entry.id];
            node.Value = length;
            node.Parent = last;
            node.Children.clear();
            children_.push_back(next);
            ++next;
        } else {
            if (entry.ptr == 0) {
                reporter_.Error("NJ Add OTU -- not yet on tree");
                return false;
            }
            Node& node = tree_.Nodes[entry.ptr];
            node.Value = length;
            node.Parent = last;
            children_.push_back(entry.ptr);
        }
        return true;
    }

    // Grows the node array for the given rows: their new OTU nodes, then the internal node.
    std::size_t GrowFor(std::initializer_list<std::size_t> rows) {
        std::size_t added = 1;
        for (const std::size_t r : rows)
            if (ids_[r].ptr == 0) ++added;
        const std::size_t first = tree_.Nodes.size();
        tree_.Nodes.resize(first + added);
        children_.clear();
        return first;
    }

    bool NJ_Join(std::size_t a, std::size_t b) {
        if (a >= ids_.size()) {
            reporter_.Error("A out of bounds: " + UIntToStr(a));
            return false;
        }
        if (b >= ids_.size()) {
            reporter_.Error("B out of bounds: " + UIntToStr(b));
            return false;
        }
        const auto [lengthA, lengthB] = NJ_BranchLengths(matrix_.Rows(), D(a, b), sums_[a], sums_[b]);
        std::size_t next = GrowFor({a, b});
        if (!AddOTU(a, next, lengthA) || !AddOTU(b, next, lengthB)) return false;
        NJ_AddInternal();
        return true;
    }

    void NJ_AddInternal() {
        Node& node = tree_.Nodes.back();
        node.Name = "<internal>";
        node.Children = children_;
        ids_.push_back({ids_.back().id + 1, tree_.Nodes.size() - 1});
    }

    // The matrix without rows a and b, and the new node's row last.
    bool Recalcmatrix(std::size_t a, std::size_t b) {
        if (ids_.size() < 3) {
            reporter_.Error("Recalcmatrix: Cannot currently handle NJmeID>2 - ATTEMPTED Setlength to <0");
            return false;
        }
        matrix_.Join(a, b);
        ids_.erase(ids_.begin() + static_cast<std::ptrdiff_t>(b));
        ids_.erase(ids_.begin() + static_cast<std::ptrdiff_t>(a));
        return true;
    }

    bool NJ_LastThree() {
        const Extended d12 = D(1, 0), d13 = D(2, 0), d23 = D(2, 1);
        const Extended lengths[3] = {(d12 + d13 - d23) / 2.0L, (d12 + d23 - d13) / 2.0L,
                                     (d13 + d23 - d12) / 2.0L};
        std::size_t next = GrowFor({0, 1, 2});
        for (std::size_t r = 0; r < 3; ++r) {
            if (!AddOTU(r, next, lengths[r])) return false;
        }
        // NJ_FinalNode: the root holds its own index.
        Node& root = tree_.Nodes.back();
        root.Name = "<final>";
        root.Value = 0.0L;
        root.Parent = tree_.Nodes.size() - 1;
        root.Children = children_;
        ids_.clear();
        return true;
    }

    Reporter& reporter_;
    const AString& names_;
    std::size_t otus_;
    NJMatrix& matrix_;
    Dendrogram& tree_;
    AExt sums_;
    std::vector<NJmeIDEntry> ids_;
    std::vector<std::size_t> children_;
};

// The working matrix kept in place: a full symmetric matrix indexed by slot (the joined node
// takes the slot of row a) and the live slots in row order. Values are held split into two doubles
// (their exact sum) while every value has such a split, which makes the sweeps of the pair search
// several times faster; otherwise as extended values.
class SquareNJMatrix final : public NJMatrix {
public:
    SquareNJMatrix(const PackedMatrix& packed, std::size_t n)
        : n_(n),
          split_(n * n),
          order_(n),
          checkpointStride_(n / kCheckpoint + 1),
          checkpoints_(n * checkpointStride_, 0.0L) {
        for (std::size_t i = 0; i < n; ++i) order_[i] = i;
        for (std::size_t i = 0; i < n && splitting_; ++i) {
            const Extended* row = packed.data() + PairIndex(i + 1, 1);
            for (std::size_t j = 0; j < i && splitting_; ++j) {
                splitting_ = SplitExtended::From(row[j], split_[i * n + j]);
                split_[j * n + i] = split_[i * n + j];
                magnitude_ = std::max(magnitude_, std::fabs(split_[i * n + j].hi));
            }
        }
        if (!splitting_) {
            split_.clear();
            ext_.assign(n * n, 0.0L);
            for (std::size_t i = 0; i < n; ++i) {
                const Extended* row = packed.data() + PairIndex(i + 1, 1);
                for (std::size_t j = 0; j < i; ++j) ext_[i * n + j] = ext_[j * n + i] = row[j];
            }
        }
        // The diagonal (0, whatever the input holds) is not read as a distance.
    }

    std::size_t Rows() const override { return order_.size(); }
    Extended D(std::size_t i, std::size_t j) const override { return At(order_[i] * n_ + order_[j]); }

    bool SmallestQ(AExt& sums, std::size_t& a, std::size_t& b) override {
        return splitting_ ? Search(split_, sums, a, b) : Search(ext_, sums, a, b);
    }

    void Join(std::size_t a, std::size_t b) override {
        const std::size_t sa = order_[a], sb = order_[b];
        const Extended dab = At(sa * n_ + sb);
        joined_.clear();
        for (std::size_t k = 0; k < order_.size(); ++k) {
            if (k == a || k == b) continue;
            const std::size_t s = order_[k];
            joined_.push_back((At(sa * n_ + s) + At(sb * n_ + s) - dab) / 2.0L);
        }
        order_.erase(order_.begin() + static_cast<std::ptrdiff_t>(b));
        order_.erase(order_.begin() + static_cast<std::ptrdiff_t>(a));
        for (std::size_t k = 0; k < order_.size(); ++k) {
            Set(sa * n_ + order_[k], joined_[k]);
            Set(order_[k] * n_ + sa, joined_[k]);
        }
        Set(sa * n_ + sa, 0.0L);
        order_.push_back(sa);
        // The terms before position a stay in place; the joined node's row is new.
        keptCheckpoints_ = a / kCheckpoint;
        joinedSlot_ = sa;
    }

private:
    static constexpr std::size_t kThreadedRows = 384;
    static constexpr std::size_t kBlockRows = 8;
    static constexpr std::size_t kMaxCandidates = 4096;
    static constexpr std::size_t kCheckpoint = 64;

    struct Best {
        Extended q = std::numeric_limits<Extended>::max();
        std::size_t a = 0, b = 0;
        bool found = false;
    };

    static Extended Value(Extended x) { return x; }
    static Extended Value(const SplitExtended& x) { return x.Value(); }

    Extended At(std::size_t k) const { return splitting_ ? split_[k].Value() : ext_[k]; }

    void Set(std::size_t k, Extended x) {
        if (splitting_ && SplitExtended::From(x, split_[k])) {
            magnitude_ = std::max(magnitude_, std::fabs(split_[k].hi));
            return;
        }
        if (splitting_) {  // a value without a split: every value goes back to extended
            ext_.resize(split_.size());
            for (std::size_t m = 0; m < split_.size(); ++m) ext_[m] = split_[m].Value();
            split_.clear();
            splitting_ = false;
        }
        ext_[k] = x;
    }

    template <class Cell>
    bool Search(const std::vector<Cell>& d, AExt& sums, std::size_t& a, std::size_t& b) {
        const std::size_t rows = order_.size();
        sums.resize(rows);
        // One pass over the rows in blocks: a block's row sums, then its pairs with every row before
        // its rows, whose sums the blocks before it publish. Blocks are handed out in order, so a
        // block waits only for blocks that are already being worked on.
        const std::size_t pieces = (rows + kBlockRows - 1) / kBlockRows;
        best_.assign(pieces, Best{});
        splitSums_.resize(rows);
        blockSplit_.assign(pieces, 0);
        blockMagnitude_.assign(pieces, 0.0);
        ready_ = std::make_unique<WaitWord[]>(pieces);
        const auto block = [&](std::size_t k) {
            const std::size_t begin = k * kBlockRows, end = std::min(rows, begin + kBlockRows);
            SumRows(d, begin, end, sums);
            bool split = true;
            double magnitude = 0.0;
            for (std::size_t i = begin; i < end; ++i) {
                split = SplitExtended::From(sums[i], splitSums_[i]) && split;
                magnitude = std::max(magnitude, std::fabs(splitSums_[i].hi));
            }
            blockSplit_[k] = split ? 1 : 0;
            blockMagnitude_[k] = magnitude;
            ready_[k].Set(1);
            for (std::size_t m = 0; m < k; ++m) {
                ready_[m].WaitFor(1);
                split = split && blockSplit_[m] != 0;
                magnitude = std::max(magnitude, blockMagnitude_[m]);
            }
            if (split) {
                if constexpr (std::is_same_v<Cell, SplitExtended>) {
                    if (ScanQFiltered(d, begin, end, sums, magnitude, best_[k])) return;
                }
                ScanQWith(d, begin, end, sums, splitSums_, best_[k]);
            } else {
                ScanQWith(d, begin, end, sums, sums, best_[k]);
            }
        };
        if (rows < kThreadedRows) {
            for (std::size_t k = 0; k < pieces; ++k) block(k);
        } else {
            ParallelPieces(pieces, block);
        }
        const Best* found = nullptr;
        for (const Best& piece : best_) {
            if (piece.found && (found == nullptr || piece.q < found->q)) found = &piece;
        }
        if (found == nullptr) return false;
        a = found->a;
        b = found->b;
        return true;
    }

    // Sums of rows [begin, end), each over all rows in order. A join leaves every term before the
    // first joined row where it was, so a row's sum goes on from its last kept checkpoint (the sum
    // of its first c * kCheckpoint terms) instead of from 0. Four rows at a time so that their
    // additions overlap.
    template <class Cell>
    void SumRows(const std::vector<Cell>& d, std::size_t begin, std::size_t end, AExt& sums) {
        const std::size_t rows = order_.size();
        std::size_t i = begin;
        for (; i + 4 <= end; i += 4) {
            const std::size_t c0 = KeptCheckpoints(order_[i]);
            if (c0 != KeptCheckpoints(order_[i + 1]) || c0 != KeptCheckpoints(order_[i + 2]) ||
                c0 != KeptCheckpoints(order_[i + 3]))
                break;
            const Cell* r0 = d.data() + order_[i] * n_;
            const Cell* r1 = d.data() + order_[i + 1] * n_;
            const Cell* r2 = d.data() + order_[i + 2] * n_;
            const Cell* r3 = d.data() + order_[i + 3] * n_;
            Extended* p0 = Checkpoints(order_[i]);
            Extended* p1 = Checkpoints(order_[i + 1]);
            Extended* p2 = Checkpoints(order_[i + 2]);
            Extended* p3 = Checkpoints(order_[i + 3]);
            Extended s0 = p0[c0], s1 = p1[c0], s2 = p2[c0], s3 = p3[c0];
            for (std::size_t c = c0, k = c0 * kCheckpoint; k < rows; ++c) {
                p0[c] = s0;
                p1[c] = s1;
                p2[c] = s2;
                p3[c] = s3;
                const std::size_t stop = std::min(rows, k + kCheckpoint);
                for (; k < stop; ++k) {
                    const std::size_t s = order_[k];
                    s0 += Value(r0[s]);
                    s1 += Value(r1[s]);
                    s2 += Value(r2[s]);
                    s3 += Value(r3[s]);
                }
            }
            sums[i] = s0;
            sums[i + 1] = s1;
            sums[i + 2] = s2;
            sums[i + 3] = s3;
        }
        for (; i < end; ++i) {
            const std::size_t c0 = KeptCheckpoints(order_[i]);
            const Cell* row = d.data() + order_[i] * n_;
            Extended* cp = Checkpoints(order_[i]);
            Extended sum = cp[c0];
            for (std::size_t c = c0, k = c0 * kCheckpoint; k < rows; ++c) {
                cp[c] = sum;
                const std::size_t stop = std::min(rows, k + kCheckpoint);
                for (; k < stop; ++k) sum += Value(row[order_[k]]);
            }
            sums[i] = sum;
        }
    }

    // Checkpoints of a slot: c = 0 .. the sum of the first c * kCheckpoint terms of its row.
    Extended* Checkpoints(std::size_t slot) { return checkpoints_.data() + slot * checkpointStride_; }
    // How many of them still hold for the current order (checkpoint 0, the empty sum, always does).
    std::size_t KeptCheckpoints(std::size_t slot) const { return slot == joinedSlot_ ? 0 : keptCheckpoints_; }

    // The Q search of rows [begin, end) in double precision first: every pair whose Q in doubles
    // lies within twice the error bound of the smallest one is a candidate, and the candidates are
    // then compared in extended precision, in packed order. The bound covers the rounding of the
    // doubles and of the extended values (|Q - Q'| <= 5 * 2^-53 * (f |d| + |r(i)| + |r(j)|)), so the
    // first smallest Q is always among the candidates. False when there were too many candidates
    // (ties): the block is then searched in extended precision alone.
    bool ScanQFiltered(const std::vector<SplitExtended>& d, std::size_t begin, std::size_t end, const AExt& sums,
                       double sumMagnitude, Best& best) const {
        thread_local std::vector<std::pair<std::size_t, std::size_t>> candidates;
        const std::size_t rows = order_.size();
        const double factor = static_cast<double>(rows - 2);
        const double bound = (factor * magnitude_ + 2.0 * sumMagnitude) * 0x1p-48;
        if (!std::isfinite(bound)) return false;
        candidates.clear();
        double smallest = std::numeric_limits<double>::infinity(), threshold = smallest;
        const std::size_t* order = order_.data();
        const SplitExtended* sj = splitSums_.data();
        for (std::size_t i = begin; i < end; ++i) {
            const SplitExtended* row = d.data() + order[i] * n_;
            const double si = sj[i].hi;
            for (std::size_t j = 0; j < i; ++j) {
                const double q = factor * row[order[j]].hi - si - sj[j].hi;
                if (q <= threshold) {
                    if (q < smallest) {
                        smallest = q;
                        threshold = q + 2.0 * bound;
                    }
                    if (candidates.size() == kMaxCandidates) return false;
                    candidates.emplace_back(i, j);
                }
            }
        }
        const auto exactFactor = static_cast<Extended>(rows - 2);
        Best found = best;
        for (const auto& [i, j] : candidates) {
            const SplitExtended& cell = d[order[i] * n_ + order[j]];
            if (factor * cell.hi - sj[i].hi - sj[j].hi > threshold) continue;
            const Extended q = exactFactor * cell.Value() - sums[i] - sums[j];
            if (q < found.q) found = {q, j, i, true};
        }
        best = found;
        return true;
    }

    // The first smallest Q of the pairs (i, j < i) of rows [begin, end), in packed order.
    template <class Cell, class Sum>
    void ScanQWith(const std::vector<Cell>& d, std::size_t begin, std::size_t end, const AExt& sums,
                   const std::vector<Sum>& sumsJ, Best& best) const {
        const auto factor = static_cast<Extended>(order_.size() - 2);
        Extended bestQ = best.q;
        std::size_t bestA = best.a, bestB = best.b;
        bool found = best.found;
        const std::size_t* order = order_.data();
        const Sum* sj = sumsJ.data();
        for (std::size_t i = begin; i < end; ++i) {
            const Cell* row = d.data() + order[i] * n_;
            const Extended si = sums[i];
            for (std::size_t j = 0; j < i; ++j) {
                const Extended q = factor * Value(row[order[j]]) - si - Value(sj[j]);
                if (q < bestQ) {
                    bestQ = q;
                    bestA = j;
                    bestB = i;
                    found = true;
                }
            }
        }
        best = {bestQ, bestA, bestB, found};
    }

    std::size_t n_;
    bool splitting_ = true;
    double magnitude_ = 0.0;  // at least every |distance| the matrix has held (split values only)
    std::vector<SplitExtended> split_;
    AExt ext_;
    std::vector<std::size_t> order_;
    std::size_t checkpointStride_;
    AExt checkpoints_;                      // per slot: sums of the first c * kCheckpoint terms
    std::size_t keptCheckpoints_ = 0;       // checkpoints of every row that the last join kept
    std::size_t joinedSlot_ = static_cast<std::size_t>(-1);  // the slot whose row is new
    std::vector<Best> best_;
    AExt joined_;
    std::vector<SplitExtended> splitSums_;
    std::vector<std::uint8_t> blockSplit_;               // every sum of the block has a split
    std::vector<double> blockMagnitude_;                 // largest |sum| of the block
    std::unique_ptr<WaitWord[]> ready_;  // 1: the block's sums are written
};

}  // namespace

bool RunNJ(Reporter& reporter, const AString& names, NJMatrix& matrix, Dendrogram& tree) {
    NJRun run(reporter, names, matrix, tree);
    return run.Run();
}

std::pair<Extended, Extended> NJ_BranchLengths(std::size_t rows, Extended d, Extended sumA,
                                               Extended sumB) {
    const auto factor = static_cast<Extended>(rows - 2);
    const Extended denominator = 2.0L * factor;
    return {(factor * d + sumA - sumB) / denominator, (factor * d - sumA + sumB) / denominator};
}

bool TDistAnalysis::NJ(std::string_view title) {
    ClearTrees();
    if (!CheckInput("NJ", "NJ: the names do not match the distance matrix")) return false;
    if (NOTU < 3) {
        Reporting().Error("NJ needs at least 3 OTUs (got " + UIntToStr(NOTU) + ")");
        return false;
    }
    // Built aside and kept only when complete, also when a shortage ends the run.
    Dendrogram tree;
    tree.Name = std::string(title);
    SquareNJMatrix matrix(Dist, NOTU);
    if (!RunNJ(Reporting(), OTUNames, matrix, tree)) return false;
    Tree = std::move(tree);
    return true;
}
