#include "trees/pcoa.h"

#include <cmath>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>
#include <cstdint>
#include <memory>
#include <utility>

#include "foundation/number_text.h"
#include "foundation/thread_pool.h"
#include "numeric/math_error.h"
#include "trees/dist_analysis.h"

namespace {

Extended Sgn(Extended x) { return x < 0.0L ? -1.0L : 1.0L; }

// How many rows ahead a rotation fetches the column elements it will update.
constexpr std::size_t kAhead = 12;
// Below this size the eigenvectors are rotated on the solver's own thread.
constexpr std::size_t kThreadedVectors = 64;

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


// Applies the rotations to the eigenvectors, in the order they are handed over, on a thread of
// its own; the hand-over is a ring of rotations with one writer and one reader.
class JacobiSolver::VectorThread {
public:
    explicit VectorThread(JacobiSolver& solver) : solver_(solver), thread_([this] { Work(); }) {}
    ~VectorThread() {
        Push({0, 0, 0.0L, 0.0L}, true);
        thread_.join();
    }
    VectorThread(const VectorThread&) = delete;
    VectorThread& operator=(const VectorThread&) = delete;

    void Push(const Rotation& r, bool last = false) {
        const std::size_t tail = tail_.load(std::memory_order_relaxed);
        WaitUntil([&] { return tail - head_.load(std::memory_order_acquire) < kRing; });
        ring_[tail % kRing] = {r, last};
        tail_.store(tail + 1, std::memory_order_release);
    }

    // Returns once every rotation handed over has been applied.
    void Drain() const {
        WaitUntil([&] { return head_.load(std::memory_order_acquire) == tail_.load(std::memory_order_relaxed); });
    }

private:
    static constexpr std::size_t kRing = 1024;

    // Spins a little (the other side is usually a rotation away), then gives the processor up.
    template <class Ready>
    static void WaitUntil(Ready ready) {
        for (unsigned spins = 0; !ready(); ++spins) {
            if (spins < 512) {
#if defined(__x86_64__) || defined(__i386__)
                __builtin_ia32_pause();
#endif
            } else {
                std::this_thread::yield();
            }
        }
    }
    struct Item {
        Rotation r;
        bool last;
    };

    void Work() {
        std::size_t head = head_.load(std::memory_order_relaxed);
        for (;;) {
            WaitUntil([&] { return tail_.load(std::memory_order_acquire) != head; });
            const Item item = ring_[head % kRing];
            if (item.last) return;
            solver_.RotateVectors(item.r);
            head_.store(++head, std::memory_order_release);
        }
    }

    JacobiSolver& solver_;
    Item ring_[kRing];
    std::atomic<std::size_t> head_{0}, tail_{0};
    std::thread thread_;
};

JacobiSolver::JacobiSolver(const ExtMatrix& a, Extended tolerance)
    : n_(a.Size()),
      rowBase_(n_),
      a_(n_ * (n_ + 1) / 2),
      vt_(n_ * n_, 0.0L),
      magnitude_(a_.size(), 0.0F),
      tolerance_(tolerance) {
    // Row i of the upper triangle holds columns i .. n-1; element (i, j) sits at rowBase_[i] + j.
    std::size_t offset = 0;
    for (std::size_t i = 0; i < n_; ++i) {
        rowBase_[i] = offset - i;
        offset += n_ - i;
    }
    for (std::size_t i = 0; i < n_; ++i) {
        vt_[i * n_ + i] = 1.0L;
        for (std::size_t j = i; j < n_; ++j) {
            A(i, j) = a(i, j);
            magnitude_[rowBase_[i] + j] = static_cast<float>(std::fabs(a(i, j)));
        }
    }
    if (n_ < 2) return;
    Extended so = 0.0L;
    for (std::size_t i = 0; i < n_; ++i) {
        sd_ += A(i, i) * A(i, i);
        for (std::size_t j = i + 1; j < n_; ++j) so += A(i, j) * A(i, j);
    }
    total_ = 2.0L * so + sd_;
    rowMax_.assign(n_, 0.0L);
    rowMaxNear_.assign(n_, 0.0F);
    rowCol_.assign(n_, 0);
    for (std::size_t k = 0; k + 1 < n_; ++k) Rescan(k);
    if (ThreadCount() > 1 && n_ >= kThreadedVectors) vectorThread_ = std::make_unique<VectorThread>(*this);
}

JacobiSolver::~JacobiSolver() = default;

bool JacobiSolver::Run(std::size_t limit) {
    if (n_ < 2) return true;
    if (!tested_) {
        // Stopped by the previous limit right after a rotation: test that state first.
        if (rotations_ > limit) return false;
        tested_ = true;
        if (std::fabs(1.0L - total_ / sd_) < tolerance_) return true;
    }
    for (;;) {
        const std::size_t p = Pivot();
        if (rowMax_[p] == 0.0L) return true;  // already diagonal
        Rotate(p, rowCol_[p]);
        if (++rotations_ > limit) {
            tested_ = false;
            return false;
        }
        if (std::fabs(1.0L - total_ / sd_) < tolerance_) return true;
    }
}

// The first row (of 0 .. n-2) with the largest row maximum. Rounding keeps the order (ties aside),
// so only rows whose rounded maximum is the largest need an exact comparison.
std::size_t JacobiSolver::Pivot() const {
    const std::size_t rows = n_ - 1;
    float near = rowMaxNear_[0];
    bool unordered = near != near;
    for (std::size_t k = 1; k < rows; ++k) {
        const float v = rowMaxNear_[k];
        unordered = unordered || v != v;
        near = v > near ? v : near;
    }
    std::size_t p = 0;
    if (unordered) {
        for (std::size_t k = 1; k < rows; ++k) {
            if (rowMax_[k] > rowMax_[p]) p = k;
        }
        return p;
    }
    while (rowMaxNear_[p] != near) ++p;
    for (std::size_t k = p + 1; k < rows; ++k) {
        if (rowMaxNear_[k] == near && rowMax_[k] > rowMax_[p]) p = k;
    }
    return p;
}

void JacobiSolver::SetRowMax(std::size_t k, Extended value, std::size_t col) {
    rowMax_[k] = value;
    rowMaxNear_[k] = static_cast<float>(value);
    rowCol_[k] = col;
}

void JacobiSolver::RotateVectors(const Rotation& r) {
    Extended* vp = vt_.data() + r.p * n_;
    Extended* vq = vt_.data() + r.q * n_;
    const Extended c = r.c, s = r.s;
    for (std::size_t k = 0; k < n_; ++k) {
        const Extended x = vp[k], y = vq[k];
        vp[k] = c * x + s * y;
        vq[k] = c * y - s * x;
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
    if (vectorThread_) {
        vectorThread_->Push({p, q, c, s});
    } else {
        RotateVectors({p, q, c, s});
    }

    Extended* const a = a_.data();
    const std::size_t* const base = rowBase_.data();
    Extended* const rp = a + base[p];
    Extended* const rq = a + base[q];
    float* const m = magnitude_.data();
    float* const mp = m + base[p];
    float* const mq = m + base[q];
    // The upper triangle: a(k, p) and a(k, q) for k < p, a(p, k) and a(k, q) for p < k < q, a(p, k)
    // and a(q, k) for k > q. Rows k < q change in columns p and q only: their maxima are brought up
    // to date from the new values; the new maxima of rows p and q are gathered on the way.
    Extended maxP = 0.0L, maxQ = 0.0L;
    std::size_t colP = p + 1, colQ = q + 1;
    for (std::size_t k = 0; k < p; ++k) {
        // The column elements lie a row apart: fetch them some rows ahead.
        if (k + kAhead < p) {
            __builtin_prefetch(a + base[k + kAhead] + p, 1);
            __builtin_prefetch(a + base[k + kAhead] + q, 1);
            __builtin_prefetch(m + base[k + kAhead] + p, 1);
            __builtin_prefetch(m + base[k + kAhead] + q, 1);
        }
        Extended* const kp = a + base[k] + p;
        Extended* const kq = a + base[k] + q;
        const Extended x = *kp, y = *kq;
        const Extended np = c * x + s * y, nq = c * y - s * x;
        *kp = np;
        *kq = nq;
        const Extended vp = std::fabs(np), vq = std::fabs(nq);
        const float nearP = static_cast<float>(vp), nearQ = static_cast<float>(vq);
        m[base[k] + p] = nearP;
        m[base[k] + q] = nearQ;
        std::size_t col = rowCol_[k];
        // Rounded to double the order holds: most rows are left as they are without reading their
        // extended maximum.
        if (col != p && col != q && nearP < rowMaxNear_[k] && nearQ < rowMaxNear_[k]) continue;
        Extended best = rowMax_[k];
        if (col == p || col == q) {
            const Extended now = col == p ? vp : vq;
            // Every other element is at most the old maximum: a smaller one needs a rescan.
            if (now < best) {
                Rescan(k);
                continue;
            }
            best = now;
        }
        if (p != col && (vp > best || (vp == best && p < col))) {
            best = vp;
            col = p;
        }
        if (q != col && (vq > best || (vq == best && q < col))) {
            best = vq;
            col = q;
        }
        SetRowMax(k, best, col);
    }
    for (std::size_t k = p + 1; k < q; ++k) {
        if (k + kAhead < q) {
            __builtin_prefetch(a + base[k + kAhead] + q, 1);
            __builtin_prefetch(m + base[k + kAhead] + q, 1);
        }
        Extended* const kq = a + base[k] + q;
        const Extended x = rp[k], y = *kq;
        const Extended np = c * x + s * y, nq = c * y - s * x;
        rp[k] = np;
        *kq = nq;
        const Extended vp = std::fabs(np), vq = std::fabs(nq);
        const float nearQ = static_cast<float>(vq);
        mp[k] = static_cast<float>(vp);
        m[base[k] + q] = nearQ;
        // Row k changed in column q only.
        const std::size_t col = rowCol_[k];
        if (col == q) {
            if (vq < rowMax_[k]) {
                Rescan(k);
            } else {
                SetRowMax(k, vq, col);
            }
        } else if (!(nearQ < rowMaxNear_[k])) {
            const Extended best = rowMax_[k];
            if (vq > best || (vq == best && q < col)) SetRowMax(k, vq, q);
        }
        if (k == p + 1) {
            maxP = vp;
        } else if (vp > maxP) {
            maxP = vp;
            colP = k;
        }
    }
    // a(p, q), becoming 0, stands first in row p when q = p + 1.
    for (std::size_t k = q + 1; k < n; ++k) {
        const Extended x = rp[k], y = rq[k];
        const Extended np = c * x + s * y, nq = c * y - s * x;
        rp[k] = np;
        rq[k] = nq;
        const Extended vp = std::fabs(np), vq = std::fabs(nq);
        mp[k] = static_cast<float>(vp);
        mq[k] = static_cast<float>(vq);
        if (k == p + 1) {
            maxP = vp;
        } else if (vp > maxP) {
            maxP = vp;
            colP = k;
        }
        if (k == q + 1) {
            maxQ = vq;
        } else if (vq > maxQ) {
            maxQ = vq;
            colQ = k;
        }
    }
    mp[q] = 0.0F;
    sd_ = sd_ + 2.0L * (apq * apq);
    const Extended w = 2.0L * c * s * apq;
    const Extended app = rp[p], aqq = rq[q];
    rp[p] = c * c * app + s * s * aqq + w;
    rq[q] = s * s * app + c * c * aqq - w;
    rp[q] = 0.0L;
    if (p + 1 < n) SetRowMax(p, maxP, colP);
    if (q + 1 < n) SetRowMax(q, maxQ, colQ);
}

// The first largest |a(k, j)|, j > k: first among the magnitudes rounded to float, then exactly among the
// elements whose rounded magnitude is the largest.
void JacobiSolver::Rescan(std::size_t k) {
    const float* m = magnitude_.data() + rowBase_[k];
    float near = m[k + 1];
    std::size_t col = k + 1;
    for (std::size_t j = k + 2; j < n_; ++j) {
        if (m[j] > near) {
            near = m[j];
            col = j;
        }
    }
    const Extended* row = a_.data() + rowBase_[k];
    Extended best = std::fabs(row[col]);
    for (std::size_t j = col + 1; j < n_; ++j) {
        if (m[j] == near) {
            const Extended v = std::fabs(row[j]);
            if (v > best) {
                best = v;
                col = j;
            }
        }
    }
    SetRowMax(k, best, col);
}

void JacobiSolver::Take(AExt& values, AExt& vectors) {
    if (vectorThread_) {
        vectorThread_->Drain();
        vectorThread_.reset();
    }
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
    magnitude_.clear();
}

bool TDistAnalysis::PCoA(std::size_t maxIterations, Extended precision) {
    ClearOrdination();
    if (!CheckInput("PCoA", "PCoA: the names do not match the distance matrix")) return false;
    const std::size_t n = NOTU;
    if (n == 0) return true;

    // A retry goes on from where the run stopped: the rotations are those of a fresh run with the
    // larger limit.
    JacobiSolver solver(CentredMatrix(*this), precision);
    std::size_t limit = maxIterations;
    for (int retries = 0;; ++retries) {
        if (solver.Run(limit)) break;
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
    AExt vectors;  // transposed: vector k at k * n
    AExt values;
    solver.Take(values, vectors);

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
        for (std::size_t i = 0; i < n; ++i) coords[i][k] = root * vectors[k * n + i];
    }
    NPosEigen = positive;
    SumPosEigen = sum;
    FirstEigen = values[0];
    EigenPercents = std::move(percents);
    Coords = std::move(coords);
    return true;
}
