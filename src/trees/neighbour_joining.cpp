#include "trees/neighbour_joining.h"

#include <limits>
#include <string>
#include <vector>

#include "foundation/number_text.h"
#include "trees/dist_analysis.h"

namespace {

struct NJmeIDEntry {
    std::size_t id;   // OTUs 0 .. NOTU-1, internal nodes numbered on
    std::size_t ptr;  // index of the row's node in the tree; 0 while an OTU is not on it
};

// Working state of one neighbour-joining run on an analysis.
class NJRun {
public:
    NJRun(const TDistAnalysis& analysis, Dendrogram& tree)
        : reporter_(analysis.Reporting()),
          names_(analysis.OTUNames),
          otus_(analysis.NOTU),
          rows_(analysis.NOTU),
          matrix_(ZeroDiagonalCopy(analysis.Dist, analysis.NOTU)),
          tree_(tree) {
        ids_.reserve(rows_ + 1);
        for (std::size_t i = 0; i < rows_; ++i) ids_.push_back({i, 0});
    }

    bool Run() {
        while (rows_ > 3) {
            NJ_RowSums();
            std::size_t a = 0, b = 0;
            if (!NJ_SmallestQ(a, b)) return false;
            if (!NJ_Join(a, b)) return false;
            if (!Recalcmatrix(a, b)) return false;
        }
        return NJ_LastThree();
    }

private:
    // Distance of current rows i and j (0-based).
    Extended D(std::size_t i, std::size_t j) const { return matrix_[PairIndex(i + 1, j + 1)]; }

    // Row sums over all current rows, each summed in row order (the diagonal's 0 included).
    void NJ_RowSums() {
        sums_.assign(rows_, 0.0L);
        std::size_t k = 0;
        for (std::size_t i = 0; i < rows_; ++i) {
            for (std::size_t j = 0; j <= i; ++j, ++k) {
                sums_[i] += matrix_[k];
                if (j != i) sums_[j] += matrix_[k];
            }
        }
    }

    bool NJ_SmallestQ(std::size_t& a, std::size_t& b) const {
        Extended best = std::numeric_limits<Extended>::max();
        bool found = false;
        const auto factor = static_cast<Extended>(rows_ - 2);
        std::size_t k = 0;
        for (std::size_t i = 0; i < rows_; ++i, ++k) {  // ++k skips the diagonal
            for (std::size_t j = 0; j < i; ++j, ++k) {
                const Extended q = factor * matrix_[k] - sums_[i] - sums_[j];
                if (q < best) {
                    best = q;
                    a = j;
                    b = i;
                    found = true;
                }
            }
        }
        if (!found) reporter_.Error("NJ_SmallestQ failed: joining OTU to itself!");
        return found;
    }

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
        const auto [lengthA, lengthB] = NJ_BranchLengths(rows_, D(a, b), sums_[a], sums_[b]);
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
        PackedMatrix next(PackedSize(rows_ - 1));
        std::size_t k = 0;
        for (std::size_t i = 0; i < rows_; ++i) {
            if (i == a || i == b) continue;
            const Extended* row = matrix_.data() + PairIndex(i + 1, 1);
            for (std::size_t j = 0; j <= i; ++j) {
                if (j != a && j != b) next[k++] = row[j];
            }
        }
        const Extended dab = D(a, b);
        for (std::size_t i = 0; i < rows_; ++i) {
            if (i != a && i != b) next[k++] = (D(i, a) + D(i, b) - dab) / 2.0L;
        }
        next[k] = 0.0L;
        ids_.erase(ids_.begin() + static_cast<std::ptrdiff_t>(b));
        ids_.erase(ids_.begin() + static_cast<std::ptrdiff_t>(a));
        matrix_ = std::move(next);
        --rows_;
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
    std::size_t rows_;
    PackedMatrix matrix_;
    Dendrogram& tree_;
    AExt sums_;
    std::vector<NJmeIDEntry> ids_;
    std::vector<std::size_t> children_;
};

}  // namespace

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
    NJRun run(*this, tree);
    if (!run.Run()) return false;
    Tree = std::move(tree);
    return true;
}
