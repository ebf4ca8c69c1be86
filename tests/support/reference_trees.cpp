#include "support/reference_trees.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "foundation/number_text.h"
#include "trees/neighbour_joining.h"
#include "trees/upgma_verbose.h"

namespace {

// The packed working matrix, rebuilt after every join.
class PackedNJMatrix final : public NJMatrix {
public:
    PackedNJMatrix(const PackedMatrix& matrix, std::size_t n) : rows_(n), matrix_(ZeroDiagonalCopy(matrix, n)) {}

    std::size_t Rows() const override { return rows_; }
    Extended D(std::size_t i, std::size_t j) const override { return matrix_[PairIndex(i + 1, j + 1)]; }

    bool SmallestQ(AExt& sums, std::size_t& a, std::size_t& b) override {
        sums.assign(rows_, 0.0L);
        std::size_t k = 0;
        for (std::size_t i = 0; i < rows_; ++i) {
            for (std::size_t j = 0; j <= i; ++j, ++k) {
                sums[i] += matrix_[k];
                if (j != i) sums[j] += matrix_[k];
            }
        }
        Extended best = std::numeric_limits<Extended>::max();
        bool found = false;
        const auto factor = static_cast<Extended>(rows_ - 2);
        k = 0;
        for (std::size_t i = 0; i < rows_; ++i, ++k) {  // ++k skips the diagonal
            for (std::size_t j = 0; j < i; ++j, ++k) {
                const Extended q = factor * matrix_[k] - sums[i] - sums[j];
                if (q < best) {
                    best = q;
                    a = j;
                    b = i;
                    found = true;
                }
            }
        }
        return found;
    }

    void Join(std::size_t a, std::size_t b) override {
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
        matrix_ = std::move(next);
        --rows_;
    }

private:
    std::size_t rows_;
    PackedMatrix matrix_;
};

}  // namespace

bool ReferenceUPGMA(Reporter& reporter, const PackedMatrix& matrix, std::size_t n, const AString* labels,
                    PackedNodes& nodes) {
    return SteppedUPGMA(reporter, matrix, n, labels, nodes);
}

bool ReferenceNJ(TDistAnalysis& analysis, std::string_view title) {
    FreeDendrogram(analysis.Tree);
    analysis.Tree.Name = std::string(title);
    PackedNJMatrix matrix(analysis.Dist, analysis.NOTU);
    if (!RunNJ(analysis.Reporting(), analysis.OTUNames, matrix, analysis.Tree)) {
        FreeDendrogram(analysis.Tree);
        return false;
    }
    return true;
}

bool ReferencePCoA(TDistAnalysis& analysis, std::size_t maxIterations, Extended precision) {
    analysis.NPosEigen = 0;
    analysis.FirstEigen = analysis.SumPosEigen = 0.0L;
    analysis.EigenPercents.clear();
    analysis.Coords.clear();
    const std::size_t n = analysis.NOTU;
    if (n == 0) return true;
    ExtMatrix vectors;
    AExt values;
    std::size_t limit = maxIterations;
    for (int retries = 0;; ++retries) {
        ExtMatrix b = CentredMatrix(analysis);
        if (JacobiEigen(b, 0, n - 1, vectors, values, precision, limit, JacobiPivotSearch::Plain) == 0) break;
        const std::string failed =
            "PCoA failed\r\n\r\nFinding eigenvectors/eigenvalues using Jacobi procedure failed (" +
            UIntToStr(limit) + " iterations)";
        if (retries >= kPCoAMaxRetries || limit > SIZE_MAX / 10) {
            analysis.Reporting().Error(failed);
            return false;
        }
        if (analysis.Reporting().Ask(failed + "\r\n" + "Do you want to retry, increasing the number of iterations 10-fold?",
                                     "Error", kQuestionYesNo) == kAnswerNo)
            return false;
        limit *= 10;
    }
    for (std::size_t k = 0; k < n && values[k] > 0.0L; ++k) {
        ++analysis.NPosEigen;
        analysis.SumPosEigen += values[k];
    }
    analysis.FirstEigen = values[0];
    analysis.EigenPercents.resize(analysis.NPosEigen);
    for (std::size_t k = 0; k < analysis.NPosEigen; ++k)
        analysis.EigenPercents[k] = values[k] * 100.0L / analysis.SumPosEigen;
    analysis.Coords.assign(n, AExt(analysis.NPosEigen, 0.0L));
    for (std::size_t k = 0; k < analysis.NPosEigen; ++k) {
        const Extended root = std::sqrt(values[k]);
        for (std::size_t i = 0; i < n; ++i) analysis.Coords[i][k] = root * vectors(i, k);
    }
    return true;
}
