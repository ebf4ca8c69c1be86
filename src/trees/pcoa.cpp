#include "trees/pcoa.h"

#include <cmath>
#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
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


JacobiSolver::JacobiSolver(const ExtMatrix& a, Extended tolerance)
    : n_(a.Size()), a_(n_ * n_), vt_(n_ * n_, 0.0L), tolerance_(tolerance) {
    for (std::size_t i = 0; i < n_; ++i) {
        vt_[i * n_ + i] = 1.0L;
        for (std::size_t j = i; j < n_; ++j) a_[i * n_ + j] = a_[j * n_ + i] = a(i, j);
    }
    if (n_ < 2) return;
    Extended so = 0.0L;
    for (std::size_t i = 0; i < n_; ++i) {
        sd_ += A(i, i) * A(i, i);
        for (std::size_t j = i + 1; j < n_; ++j) so += A(i, j) * A(i, j);
    }
    total_ = 2.0L * so + sd_;
    rowMax_.assign(n_, 0.0L);
    rowCol_.assign(n_, 0);
    for (std::size_t k = 0; k + 1 < n_; ++k) Rescan(k);
}

bool JacobiSolver::Run(std::size_t limit) {
    if (n_ < 2) return true;
    if (!tested_) {
        // Stopped by the previous limit right after a rotation: test that state first.
        if (rotations_ > limit) return false;
        tested_ = true;
        if (std::fabs(1.0L - total_ / sd_) < tolerance_) return true;
    }
    for (;;) {
        std::size_t p = 0;
        for (std::size_t k = 1; k + 1 < n_; ++k) {
            if (rowMax_[k] > rowMax_[p]) p = k;
        }
        if (rowMax_[p] == 0.0L) return true;  // already diagonal
        Rotate(p, rowCol_[p]);
        if (++rotations_ > limit) {
            tested_ = false;
            return false;
        }
        if (std::fabs(1.0L - total_ / sd_) < tolerance_) return true;
    }
}

void JacobiSolver::Rotate(std::size_t p, std::size_t q) {
    const std::size_t n = n_;
    const Extended apq = A(p, q);
    const Extended diff = A(p, p) - A(q, q);
    Extended c, s;
    if (diff == 0.0L) {
        c = std::sqrt(0.5L);
        s = Sgn(apq) * c;
    } else {
        const Extended t = 2.0L * Sgn(diff) * apq;
        const Extended r = Pythag(std::fabs(diff), t);
        c = std::sqrt((std::fabs(diff) / r + 1.0L) / 2.0L);
        s = (t / 2.0L) / (r * c);
    }
    Extended* vp = vt_.data() + p * n;
    Extended* vq = vt_.data() + q * n;
    for (std::size_t k = 0; k < n; ++k) {
        const Extended x = vp[k], y = vq[k];
        vp[k] = c * x + s * y;
        vq[k] = c * y - s * x;
    }
    Extended* rp = a_.data() + p * n;
    Extended* rq = a_.data() + q * n;
    // Rows before q change in columns p and q only: their maxima are brought up to date here,
    // once both of their changed elements are written.
    for (std::size_t k = 0; k < n; ++k) {
        if (k == p || k == q) continue;
        const Extended x = rp[k], y = rq[k];
        const Extended np = c * x + s * y, nq = c * y - s * x;
        rp[k] = np;
        rq[k] = nq;
        a_[k * n + p] = np;
        a_[k * n + q] = nq;
        if (k < p) {
            Changed(k, p, q, std::fabs(np), std::fabs(nq));
        } else if (k < q) {
            Changed(k, q, q, std::fabs(nq), std::fabs(nq));
        }
    }
    sd_ = sd_ + 2.0L * (apq * apq);
    const Extended w = 2.0L * c * s * apq;
    const Extended app = rp[p], aqq = rq[q];
    rp[p] = c * c * app + s * s * aqq + w;
    rq[q] = s * s * app + c * c * aqq - w;
    rp[q] = rq[p] = 0.0L;
    Rescan(p);
    if (q + 1 < n) Rescan(q);
}

void JacobiSolver::Rescan(std::size_t k) {
    const Extended* row = a_.data() + k * n_;
    Extended best = std::fabs(row[k + 1]);
    std::size_t col = k + 1;
    for (std::size_t j = k + 2; j < n_; ++j) {
        const Extended v = std::fabs(row[j]);
        if (v > best) {
            best = v;
            col = j;
        }
    }
    rowMax_[k] = best;
    rowCol_[k] = col;
}

// Row k changed in columns c1 and c2 only (c1 <= c2, possibly equal), to magnitudes v1 and v2.
void JacobiSolver::Changed(std::size_t k, std::size_t c1, std::size_t c2, Extended v1, Extended v2) {
    Extended best = rowMax_[k];
    std::size_t col = rowCol_[k];
    if (col == c1 || col == c2) {
        const Extended now = col == c1 ? v1 : v2;
        // Every other element is at most the old maximum: a smaller one needs a rescan.
        if (now < best) {
            Rescan(k);
            return;
        }
        best = now;
    }
    if (c1 != col && (v1 > best || (v1 == best && c1 < col))) {
        best = v1;
        col = c1;
    }
    if (c2 != col && (v2 > best || (v2 == best && c2 < col))) {
        best = v2;
        col = c2;
    }
    rowMax_[k] = best;
    rowCol_[k] = col;
}

void JacobiSolver::Take(AExt& values, AExt& vectors) {
    const std::size_t n = n_;
    values.resize(n);
    for (std::size_t i = 0; i < n; ++i) values[i] = A(i, i);
    for (std::size_t i = 0; i + 1 < n; ++i) {
        std::size_t largest = i;
        for (std::size_t j = i + 1; j < n; ++j) {
            if (values[j] > values[largest]) largest = j;
        }
        if (largest == i) continue;
        std::swap(values[i], values[largest]);
        std::swap_ranges(vt_.begin() + static_cast<std::ptrdiff_t>(i * n),
                         vt_.begin() + static_cast<std::ptrdiff_t>(i * n + n),
                         vt_.begin() + static_cast<std::ptrdiff_t>(largest * n));
    }
    for (std::size_t j = 0; j < n; ++j) {
        Extended* v = vt_.data() + j * n;
        if (v[0] < 0.0L) {
            for (std::size_t k = 0; k < n; ++k) v[k] = -v[k];
        }
    }
    vectors = std::move(vt_);
    a_.clear();
}

bool TDistAnalysis::PCoA(std::size_t maxIterations, Extended precision) {
    ClearOrdination();
    if (!CheckInput("PCoA", "PCoA: the names do not match the distance matrix")) return false;
    const std::size_t n = NOTU;
    if (n == 0) return true;

    AExt vectors;  // transposed: vector k at k * n
    AExt values;
    std::unique_ptr<JacobiSolver> solver;
    try {
        solver = std::make_unique<JacobiSolver>(CentredMatrix(*this), precision);
    } catch (const std::bad_alloc&) {
        TreeError("Out of memory");
        return false;
    }
    // A retry goes on from where the run stopped: the rotations are those of a fresh run with the
    // larger limit.
    std::size_t limit = maxIterations;
    for (int retries = 0;; ++retries) {
        if (solver->Run(limit)) break;
        const std::string failed =
            "PCoA failed\r\n\r\nFinding eigenvectors/eigenvalues using Jacobi procedure failed (" +
            UIntToStr(limit) + " iterations)";
        if (retries >= kPCoAMaxRetries || limit > SIZE_MAX / 10) {
            TreeError(failed);
            return false;
        }
        const int answer = TreeAsk(
            failed + "\r\n" + "Do you want to retry, increasing the number of iterations 10-fold?",
            "Error", kTreeAskYesNo);
        if (answer == kTreeAnswerNo) return false;
        limit *= 10;
    }
    solver->Take(values, vectors);
    solver.reset();

    for (std::size_t k = 0; k < n && values[k] > 0.0L; ++k) {
        ++NPosEigen;
        SumPosEigen += values[k];
    }
    FirstEigen = values[0];
    EigenPercents.resize(NPosEigen);
    for (std::size_t k = 0; k < NPosEigen; ++k) EigenPercents[k] = values[k] * 100.0L / SumPosEigen;
    Coords.assign(n, AExt(NPosEigen, 0.0L));
    for (std::size_t k = 0; k < NPosEigen; ++k) {
        const Extended root = std::sqrt(values[k]);
        for (std::size_t i = 0; i < n; ++i) Coords[i][k] = root * vectors[k * n + i];
    }
    return true;
}
