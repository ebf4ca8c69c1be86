#include "trees/neighbour_joining.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "foundation/number_text.h"
#include "foundation/packed_matrix.h"
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
    NJRun(const AString& names, NJMatrix& matrix, Dendrogram& tree)
        : names_(names), otus_(matrix.Rows()), matrix_(matrix), tree_(tree) {
        ids_.reserve(otus_ + 1);
        for (std::size_t i = 0; i < otus_; ++i) ids_.push_back({i, 0});
    }

    bool Run() {
        while (matrix_.Rows() > 3) {
            std::size_t a = 0, b = 0;
            if (!matrix_.SmallestQ(sums_, a, b)) {
                TreeError("NJ_SmallestQ failed: joining OTU to itself!");
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
                TreeError("AddOTU ERROR: not expecting .ptr>0: " + UIntToStr(row) + " " +
                          UIntToStr(entry.ptr));
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
                TreeError("NJ Add OTU -- not yet on tree");
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
        for (const std::size_t r : rows) added += ids_[r].ptr == 0 ? 1 : 0;
        const std::size_t first = tree_.Nodes.size();
        tree_.Nodes.resize(first + added);
        children_.clear();
        return first;
    }

    bool NJ_Join(std::size_t a, std::size_t b) {
        if (a >= ids_.size()) {
            TreeError("A out of bounds: " + UIntToStr(a));
            return false;
        }
        if (b >= ids_.size()) {
            TreeError("B out of bounds: " + UIntToStr(b));
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
            TreeError("Recalcmatrix: Cannot currently handle NJmeID>2 - ATTEMPTED Setlength to <0");
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

    const AString& names_;
    std::size_t otus_;
    NJMatrix& matrix_;
    Dendrogram& tree_;
    AExt sums_;
    std::vector<NJmeIDEntry> ids_;
    std::vector<std::size_t> children_;
};

// The working matrix kept in place: a full symmetric matrix indexed by slot (the joined node
// takes the slot of row a) and the live slots in row order.
class SquareNJMatrix final : public NJMatrix {
public:
    SquareNJMatrix(const PackedMatrix& packed, std::size_t n) : n_(n), d_(n * n), order_(n) {
        for (std::size_t i = 0; i < n; ++i) {
            const Extended* row = packed.data() + PairIndex(i + 1, 1);
            for (std::size_t j = 0; j < i; ++j) d_[i * n + j] = d_[j * n + i] = row[j];
            d_[i * n + i] = 0.0L;  // the diagonal is not read as a distance
            order_[i] = i;
        }
    }

    std::size_t Rows() const override { return order_.size(); }
    Extended D(std::size_t i, std::size_t j) const override { return d_[order_[i] * n_ + order_[j]]; }

    bool SmallestQ(AExt& sums, std::size_t& a, std::size_t& b) override {
        const std::size_t rows = order_.size();
        sums.resize(rows);
        const std::size_t pieces = rows < kThreadedRows ? 1 : std::min<std::size_t>(64, rows / 16);
        best_.assign(pieces, Best{});
        if (pieces == 1) {
            // One pass: a row's sum, then its pairs with the rows before it.
            for (std::size_t i = 0; i < rows; ++i) {
                sums[i] = RowSum(i);
                ScanQ(i, i + 1, sums, best_[0]);
            }
        } else {
            ParallelPieces(pieces, [&](std::size_t k) {
                const PieceRange r = PieceOf(rows, pieces, k);
                SumRows(r.begin, r.end, sums);
            });
            ParallelPieces(pieces, [&](std::size_t k) {
                // Row i holds i pairs: equal shares of pairs end at rows ~ rows * sqrt(k / pieces).
                ScanQ(QBoundary(rows, pieces, k), QBoundary(rows, pieces, k + 1), sums, best_[k]);
            });
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

    void Join(std::size_t a, std::size_t b) override {
        const std::size_t sa = order_[a], sb = order_[b];
        const Extended* ra = d_.data() + sa * n_;
        const Extended* rb = d_.data() + sb * n_;
        const Extended dab = ra[sb];
        joined_.clear();
        for (std::size_t k = 0; k < order_.size(); ++k) {
            if (k == a || k == b) continue;
            const std::size_t s = order_[k];
            joined_.push_back((ra[s] + rb[s] - dab) / 2.0L);
        }
        order_.erase(order_.begin() + static_cast<std::ptrdiff_t>(b));
        order_.erase(order_.begin() + static_cast<std::ptrdiff_t>(a));
        Extended* row = d_.data() + sa * n_;
        for (std::size_t k = 0; k < order_.size(); ++k) {
            row[order_[k]] = joined_[k];
            d_[order_[k] * n_ + sa] = joined_[k];
        }
        row[sa] = 0.0L;
        order_.push_back(sa);
    }

private:
    static constexpr std::size_t kThreadedRows = 384;

    struct Best {
        Extended q = std::numeric_limits<Extended>::max();
        std::size_t a = 0, b = 0;
        bool found = false;
    };

    static std::size_t QBoundary(std::size_t rows, std::size_t pieces, std::size_t k) {
        if (k >= pieces) return rows;
        const auto r = static_cast<std::size_t>(static_cast<double>(rows) * std::sqrt(static_cast<double>(k) / static_cast<double>(pieces)));
        return std::min(r, rows);
    }

    Extended RowSum(std::size_t i) const {
        const Extended* row = d_.data() + order_[i] * n_;
        Extended sum = 0.0L;
        for (const std::size_t s : order_) sum += row[s];
        return sum;
    }

    // Sums of rows [begin, end), four at a time so that their additions overlap.
    void SumRows(std::size_t begin, std::size_t end, AExt& sums) const {
        std::size_t i = begin;
        for (; i + 4 <= end; i += 4) {
            const Extended* r0 = d_.data() + order_[i] * n_;
            const Extended* r1 = d_.data() + order_[i + 1] * n_;
            const Extended* r2 = d_.data() + order_[i + 2] * n_;
            const Extended* r3 = d_.data() + order_[i + 3] * n_;
            Extended s0 = 0.0L, s1 = 0.0L, s2 = 0.0L, s3 = 0.0L;
            for (const std::size_t s : order_) {
                s0 += r0[s];
                s1 += r1[s];
                s2 += r2[s];
                s3 += r3[s];
            }
            sums[i] = s0;
            sums[i + 1] = s1;
            sums[i + 2] = s2;
            sums[i + 3] = s3;
        }
        for (; i < end; ++i) sums[i] = RowSum(i);
    }

    // The first smallest Q of the pairs (i, j < i) of rows [begin, end), in packed order.
    void ScanQ(std::size_t begin, std::size_t end, const AExt& sums, Best& best) const {
        const auto factor = static_cast<Extended>(order_.size() - 2);
        for (std::size_t i = begin; i < end; ++i) {
            const Extended* row = d_.data() + order_[i] * n_;
            const Extended si = sums[i];
            for (std::size_t j = 0; j < i; ++j) {
                const Extended q = factor * row[order_[j]] - si - sums[j];
                if (q < best.q) {
                    best.q = q;
                    best.a = j;
                    best.b = i;
                    best.found = true;
                }
            }
        }
    }

    std::size_t n_;
    AExt d_;
    std::vector<std::size_t> order_;
    std::vector<Best> best_;
    AExt joined_;
};

}  // namespace

bool RunNJ(const AString& names, NJMatrix& matrix, Dendrogram& tree) {
    NJRun run(names, matrix, tree);
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
        TreeError("NJ needs at least 3 OTUs (got " + UIntToStr(NOTU) + ")");
        return false;
    }
    Tree.Name = std::string(title);
    SquareNJMatrix matrix(Dist, NOTU);
    if (!RunNJ(OTUNames, matrix, Tree)) {
        FreeDendrogram(Tree);
        return false;
    }
    return true;
}
