#include "trees/pcoa.h"

#include <cmath>
#include <cstdint>
#include <utility>

#include "foundation/number_text.h"
#include "numeric/math_error.h"
#include "trees/dist_analysis.h"

namespace {

Extended Sgn(Extended x) { return x < 0.0L ? -1.0L : 1.0L; }

// Finds the pivot: the first largest |a(p, q)|, p < q, in row-major order over lo..hi.
class PivotFinder {
public:
    PivotFinder(const ExtMatrix& a, std::size_t lo, std::size_t hi, JacobiPivotSearch search)
        : a_(a), lo_(lo), hi_(hi), search_(search) {
        if (search_ == JacobiPivotSearch::RowMaxima) {
            rowMax_.assign(hi_ + 1, 0.0L);
            rowCol_.assign(hi_ + 1, 0);
            for (std::size_t k = lo_; k < hi_; ++k) Rescan(k);
        }
    }

    // Largest magnitude and its position.
    Extended Find(std::size_t& p, std::size_t& q) const {
        if (search_ == JacobiPivotSearch::Plain) {
            Extended best = std::fabs(a_(lo_, lo_ + 1));
            p = lo_;
            q = lo_ + 1;
            for (std::size_t i = lo_; i < hi_; ++i) {
                for (std::size_t j = i + 1; j <= hi_; ++j) {
                    const Extended v = std::fabs(a_(i, j));
                    if (v > best) {
                        best = v;
                        p = i;
                        q = j;
                    }
                }
            }
            return best;
        }
        p = lo_;
        for (std::size_t k = lo_ + 1; k < hi_; ++k) {
            if (rowMax_[k] > rowMax_[p]) p = k;
        }
        q = rowCol_[p];
        return rowMax_[p];
    }

    // Brings the row maxima up to date after a rotation in the plane (p, q).
    void Rotated(std::size_t p, std::size_t q) {
        if (search_ == JacobiPivotSearch::Plain) return;
        for (std::size_t k = lo_; k < p; ++k) Changed(k, p, q);
        for (std::size_t k = p + 1; k < q; ++k) Changed(k, q, q);
        Rescan(p);
        if (q < hi_) Rescan(q);
    }

private:
    void Rescan(std::size_t k) {
        Extended best = std::fabs(a_(k, k + 1));
        std::size_t col = k + 1;
        for (std::size_t j = k + 2; j <= hi_; ++j) {
            const Extended v = std::fabs(a_(k, j));
            if (v > best) {
                best = v;
                col = j;
            }
        }
        rowMax_[k] = best;
        rowCol_[k] = col;
    }

    // Row k changed in columns c1 and c2 (c1 <= c2, possibly equal) only.
    void Changed(std::size_t k, std::size_t c1, std::size_t c2) {
        Extended best = rowMax_[k];
        std::size_t col = rowCol_[k];
        if (col == c1 || col == c2) {
            const Extended now = std::fabs(a_(k, col));
            // Every other element is at most the old maximum: a smaller one needs a rescan.
            if (now < best) {
                Rescan(k);
                return;
            }
            best = now;
        }
        for (const std::size_t c : {c1, c2}) {
            if (c == col) continue;
            const Extended v = std::fabs(a_(k, c));
            if (v > best || (v == best && c < col)) {
                best = v;
                col = c;
            }
        }
        rowMax_[k] = best;
        rowCol_[k] = col;
    }

    const ExtMatrix& a_;
    std::size_t lo_, hi_;
    JacobiPivotSearch search_;
    std::vector<Extended> rowMax_;
    std::vector<std::size_t> rowCol_;
};

}  // namespace

Extended Pythag(Extended a, Extended b) {
    SetMathError(kMathOk);
    const Extended absA = std::fabs(a), absB = std::fabs(b);
    if (absA >= absB) {
        if (absA == 0.0L) return 0.0L;
        const Extended r = absB / absA;
        return absA * std::sqrt(1.0L + r * r);
    }
    const Extended r = absA / absB;
    return absB * std::sqrt(1.0L + r * r);
}

int JacobiEigen(ExtMatrix& a, std::size_t lo, std::size_t hi, ExtMatrix& vectors, AExt& values,
                Extended tolerance, std::size_t maxIterations, JacobiPivotSearch search) {
    const std::size_t n = a.Size();
    vectors = ExtMatrix(n);
    values.assign(n, 0.0L);
    if (n == 0 || hi >= n || lo > hi) {
        SetMathError(kMathOk);
        return kMathOk;
    }
    for (std::size_t i = lo; i <= hi; ++i) vectors(i, i) = 1.0L;

    if (lo < hi) {
        Extended sd = 0.0L, so = 0.0L;
        for (std::size_t i = lo; i <= hi; ++i) {
            sd += a(i, i) * a(i, i);
            for (std::size_t j = i + 1; j <= hi; ++j) so += a(i, j) * a(i, j);
        }
        const Extended total = 2.0L * so + sd;
        const Extended halfRoot = std::sqrt(0.5L);
        PivotFinder finder(a, lo, hi, search);
        std::size_t iterations = 0;
        for (;;) {
            std::size_t p = 0, q = 0;
            if (finder.Find(p, q) == 0.0L) break;  // already diagonal
            const Extended apq = a(p, q);
            const Extended diff = a(p, p) - a(q, q);
            Extended c, s;
            if (diff == 0.0L) {
                c = halfRoot;
                s = Sgn(apq) * c;
            } else {
                const Extended t = 2.0L * Sgn(diff) * apq;
                const Extended r = Pythag(std::fabs(diff), t);
                c = std::sqrt((std::fabs(diff) / r + 1.0L) / 2.0L);
                s = (t / 2.0L) / (r * c);
            }
            for (std::size_t k = lo; k <= hi; ++k) {
                const Extended vp = vectors(k, p), vq = vectors(k, q);
                vectors(k, p) = c * vp + s * vq;
                vectors(k, q) = c * vq - s * vp;
            }
            for (std::size_t k = lo; k < p; ++k) {
                const Extended akp = a(k, p), akq = a(k, q);
                a(k, p) = c * akp + s * akq;
                a(k, q) = c * akq - s * akp;
            }
            for (std::size_t k = p + 1; k < q; ++k) {
                const Extended apk = a(p, k), akq = a(k, q);
                a(p, k) = c * apk + s * akq;
                a(k, q) = c * akq - s * apk;
            }
            for (std::size_t k = q + 1; k <= hi; ++k) {
                const Extended apk = a(p, k), aqk = a(q, k);
                a(p, k) = c * apk + s * aqk;
                a(q, k) = c * aqk - s * apk;
            }
            sd = sd + 2.0L * (apq * apq);
            const Extended w = 2.0L * c * s * apq;
            const Extended app = a(p, p), aqq = a(q, q);
            a(p, p) = c * c * app + s * s * aqq + w;
            a(q, q) = s * s * app + c * c * aqq - w;
            a(p, q) = 0.0L;
            finder.Rotated(p, q);
            if (++iterations > maxIterations) {
                SetMathError(kMathDomain);
                return kMathDomain;
            }
            if (std::fabs(1.0L - total / sd) < tolerance) break;
        }
    }

    for (std::size_t i = lo; i <= hi; ++i) values[i] = a(i, i);
    for (std::size_t i = lo; i < hi; ++i) {
        std::size_t largest = i;
        for (std::size_t j = i + 1; j <= hi; ++j) {
            if (values[j] > values[largest]) largest = j;
        }
        if (largest == i) continue;
        std::swap(values[i], values[largest]);
        for (std::size_t k = lo; k <= hi; ++k) std::swap(vectors(k, i), vectors(k, largest));
    }
    for (std::size_t j = lo; j <= hi; ++j) {
        if (vectors(lo, j) < 0.0L) {
            for (std::size_t k = lo; k <= hi; ++k) vectors(k, j) = -vectors(k, j);
        }
    }
    SetMathError(kMathOk);
    return kMathOk;
}

namespace {

// The double-centred matrix of -d²/2 of the analysis's distances (diagonal taken as 0).
ExtMatrix CentredMatrix(const TDistAnalysis& analysis) {
    const std::size_t n = analysis.NOTU;
    ExtMatrix a(n);
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j) {
            const Extended d = i == j ? 0.0L : analysis.PairDist(i + 1, j + 1);
            a(i, j) = -0.5L * (d * d);
        }
    }
    const auto count = static_cast<Extended>(n);
    Extended sum = 0.0L;
    AExt rowMeans(n, 0.0L), colMeans(n, 0.0L);
    for (std::size_t i = 0; i < n; ++i) {
        Extended row = 0.0L;
        for (std::size_t j = 0; j < n; ++j) {
            sum += a(i, j);
            row += a(i, j);
        }
        rowMeans[i] = row / count;
    }
    for (std::size_t j = 0; j < n; ++j) {
        Extended col = 0.0L;
        for (std::size_t i = 0; i < n; ++i) col += a(i, j);
        colMeans[j] = col / count;
    }
    const Extended mean = sum / (count * count);
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j) a(i, j) = a(i, j) - rowMeans[i] - colMeans[j] + mean;
    }
    return a;
}

}  // namespace

bool TDistAnalysis::PCoA(std::size_t maxIterations, Extended precision) {
    ClearOrdination();
    if (!CheckInput("PCoA", "PCoA: the names do not match the distance matrix")) return false;
    const std::size_t n = NOTU;
    if (n == 0) return true;

    ExtMatrix vectors;
    AExt values;
    std::size_t limit = maxIterations;
    for (int retries = 0;; ++retries) {
        ExtMatrix b = CentredMatrix(*this);
        if (JacobiEigen(b, 0, n - 1, vectors, values, precision, limit) == 0) break;
        const std::string failed =
            "PCoA failed\r\n\r\nFinding eigenvectors/eigenvalues using Jacobi procedure failed (" +
            UIntToStr(limit) + " iterations)";
        if (retries >= kPCoAMaxRetries || limit > SIZE_MAX / 10) {
            Reporting().Error(failed);
            return false;
        }
        const int answer =
            Reporting().Ask(failed + "\r\n" + "Do you want to retry, increasing the number of iterations 10-fold?",
                            "Error", kQuestionYesNo);
        if (answer == kAnswerNo) return false;
        limit *= 10;
    }

    // The results are stored together once complete.
    std::size_t positive = 0;
    Extended sum = 0.0L;
    for (std::size_t k = 0; k < n && values[k] > 0.0L; ++k) {
        ++positive;
        sum += values[k];
    }
    AExt percents(positive);
    for (std::size_t k = 0; k < positive; ++k) percents[k] = values[k] * 100.0L / sum;
    AAExt coords(n, AExt(positive, 0.0L));
    for (std::size_t k = 0; k < positive; ++k) {
        const Extended root = std::sqrt(values[k]);
        for (std::size_t i = 0; i < n; ++i) coords[i][k] = root * vectors(i, k);
    }
    NPosEigen = positive;
    SumPosEigen = sum;
    FirstEigen = values[0];
    EigenPercents = std::move(percents);
    Coords = std::move(coords);
    return true;
}
