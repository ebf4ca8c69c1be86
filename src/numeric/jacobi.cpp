#include "numeric/jacobi.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <thread>
#include <utility>

#include "foundation/keep_alive.h"
#include "foundation/thread_pool.h"
#include "numeric/math_error.h"

namespace {

Extended Sgn(Extended x) { return x < 0.0L ? -1.0L : 1.0L; }

// A magnitude rounded to float for a first comparison, magnitudes below the smallest normal float
// taken as 0: the order survives (what rounds equal is compared exactly), and the processor never
// has to make a subnormal float, which costs it a hundred times a plain conversion.
float Near(Extended magnitude) {
    constexpr Extended kSmallestNormal = 0x1p-126L;
    return magnitude < kSmallestNormal ? 0.0F : static_cast<float>(magnitude);
}

// How many rows ahead a rotation fetches the column elements it will update.
constexpr std::size_t kAhead = 12;

// Below this many rows per thread a rotation is not shared out: handing it over would cost more
// than the work.
constexpr std::size_t kRowsPerThread = 64;
// Rotations gathered before they are applied to the eigenvectors.
constexpr std::size_t kBatch = 2048;
// The rows of the eigenvectors a member takes at a time.
constexpr std::size_t kVectorRows = 16;
// How long the rotations run at one team size before its speed is taken.
constexpr std::chrono::milliseconds kStretch{20};
// What a stretch at a new size leaves out of its time.
constexpr std::chrono::milliseconds kWarm{5};
// How often the time the caller spent queued for a core is looked at.
constexpr std::chrono::milliseconds kPiece{5};

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

using Clock = std::chrono::steady_clock;

// The speed of a team at the size its sizer chose, taken over stretches of kStretch: a shorter
// one would mostly tell whether the scheduler happened to run the team just then.
class TeamSpeed {
public:
    explicit TeamSpeed(std::size_t most) : sizer_(most) {}
    std::size_t Size() const { return sizer_.Size(); }
    void Add(double work, Clock::duration time) {
        if (warming_ > Clock::duration{}) {
            warming_ -= time;
            return;
        }
        work_ += work;
        time_ += std::max(time, Clock::duration{1});
        if (time_ < kStretch) return;
        const std::size_t size = sizer_.Size();
        sizer_.Measured(work_ / std::chrono::duration<double>(time_).count());
        work_ = 0.0;
        time_ = {};
        // Rows change hands at a new size: the first rotations fill the members' caches.
        if (sizer_.Size() != size) warming_ = kWarm;
    }

private:
    TeamSizer sizer_;
    double work_ = 0.0;
    Clock::duration time_{}, warming_{};
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

JacobiRotation JacobiRotationOf(Extended app, Extended aqq, Extended apq) {
    const Extended diff = app - aqq;
    if (diff == 0.0L) {
        const Extended c = std::sqrt(0.5L);
        return {c, Sgn(apq) * c};
    }
    const Extended t = 2.0L * Sgn(diff) * apq;
    const Extended r = Pythag(std::fabs(diff), t);
    const Extended c = std::sqrt((std::fabs(diff) / r + 1.0L) / 2.0L);
    return {c, (t / 2.0L) / (r * c)};
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
        PivotFinder finder(a, lo, hi, search);
        std::size_t iterations = 0;
        for (;;) {
            KeepAlive();
            std::size_t p = 0, q = 0;
            if (finder.Find(p, q) == 0.0L) break;  // already diagonal
            const Extended apq = a(p, q);
            const auto [c, s] = JacobiRotationOf(a(p, p), a(q, q), apq);
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

// The threads a run shares its rotations between: the caller's own and up to Most() - 1 more. A
// rotation in `size` shares gives thread t the rows n * t / size .. n * (t + 1) / size - 1 of the
// matrix (the same every time at one size, so that they stay in its cache); the rows of the
// eigenvectors go in pieces to whichever member is free. How many members take part is chosen
// for each rotation and each batch of eigenvector rotations; the others sleep.
class JacobiSolver::Team {
public:
    Team(JacobiSolver& solver, std::size_t most) : solver_(solver), slots_(most) {
        workers_.reserve(most - 1);
        for (std::size_t t = 1; t < most; ++t) workers_.emplace_back([this, t] { Work(t); });
    }
    ~Team() {
        task_ = Task::Stop;
        ++generation_;
        for (std::size_t t = 1; t < slots_.size(); ++t) slots_[t].go.Set(generation_);
        for (std::thread& worker : workers_) worker.join();
    }
    Team(const Team&) = delete;
    Team& operator=(const Team&) = delete;

    std::size_t Most() const { return slots_.size(); }
    // The shares of the last rotation.
    std::size_t Size() const { return size_; }
    const Share& ShareOf(std::size_t t) const { return slots_[t].share; }

    void Rotate(const Rotation& r, std::size_t size) {
        rotation_ = r;
        size_ = size;
        Run(Task::Rotate, size);
    }
    void RotateVectors(std::size_t size) {
        nextRows_.store(0, std::memory_order_relaxed);
        Run(Task::Vectors, size);
    }

private:
    enum class Task { Rotate, Vectors, Stop };
    // What the caller sets (go) and what the member sets (done, its share) on lines of their own.
    struct Slot {
        alignas(64) WaitWord go;
        alignas(64) WaitWord done;
        Share share;
    };

    void Run(Task task, std::size_t size) {
        task_ = task;
        ++generation_;
        for (std::size_t t = 1; t < size; ++t) slots_[t].go.Set(generation_);
        Do(0, task);
        for (std::size_t t = 1; t < size; ++t) slots_[t].done.WaitFor(generation_);
    }
    void Do(std::size_t t, Task task) {
        if (task == Task::Rotate) {
            solver_.RotateShare(rotation_, t, size_, slots_[t].share);
            return;
        }
        const std::size_t n = solver_.n_;
        for (;;) {
            const std::size_t lo = nextRows_.fetch_add(kVectorRows, std::memory_order_relaxed);
            if (lo >= n) return;
            solver_.RotateVectors(lo, std::min(n, lo + kVectorRows));
        }
    }
    void Work(std::size_t t) {
        std::uint32_t seen = 0;
        for (;;) {
            seen = slots_[t].go.WaitWhile(seen);
            if (task_ == Task::Stop) return;
            Do(t, task_);
            slots_[t].done.Set(seen);
        }
    }

    JacobiSolver& solver_;
    std::vector<Slot> slots_;
    std::vector<std::thread> workers_;
    std::uint32_t generation_ = 0;
    Task task_ = Task::Rotate;
    Rotation rotation_{};
    std::size_t size_ = 1;
    alignas(64) std::atomic<std::size_t> nextRows_{0};
};

JacobiSolver::JacobiSolver(const ExtMatrix& a, Extended tolerance)
    : n_(a.Size()),
      rowBase_(n_),
      a_(n_ * (n_ + 1) / 2),
      v_(n_ * n_, 0.0L),
      magnitude_(a_.size(), 0.0F),
      tolerance_(tolerance) {
    // Row i of the upper triangle holds columns i .. n-1; element (i, j) sits at rowBase_[i] + j.
    std::size_t offset = 0;
    for (std::size_t i = 0; i < n_; ++i) {
        rowBase_[i] = offset - i;
        offset += n_ - i;
    }
    for (std::size_t i = 0; i < n_; ++i) {
        KeepAlive();
        v_[i * n_ + i] = 1.0L;
        for (std::size_t j = i; j < n_; ++j) {
            A(i, j) = a(i, j);
            magnitude_[rowBase_[i] + j] = Near(std::fabs(a(i, j)));
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
    batch_.reserve(kBatch);
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
    const std::size_t most = n_ >= 2 * kRowsPerThread ? std::min(ThreadCount(), n_ / kRowsPerThread) : 1;
    Team team(*this, std::max<std::size_t>(most, 1));
    // On a busy machine a larger team can be slower than a smaller one: the sizes are measured.
    TeamSpeed rotating(team.Most()), vectors(team.Most());
    const bool timed = team.Most() > 1;
    // Times less what the caller spent queued for a core: a busy machine slows one thread as much
    // as a team, only the waits for other members tell the sizes apart. The rotations are timed
    // every few, the queue looked at every kPiece.
    Clock::time_point last = timed ? Clock::now() : Clock::time_point{};
    Clock::duration pieceTime{};
    std::chrono::nanoseconds queued = timed ? QueuedTime() : std::chrono::nanoseconds{}, queuedInBatches{};
    std::size_t pieceWork = 0, untimed = 0;
    const auto rotateVectors = [&] {
        const double work = static_cast<double>(batch_.size());
        const std::size_t size = vectors.Size();
        const std::chrono::nanoseconds before = timed ? QueuedTime() : std::chrono::nanoseconds{};
        const Clock::time_point start = timed ? Clock::now() : Clock::time_point{};
        team.RotateVectors(size);
        batch_.clear();
        if (!timed) return;
        const Clock::time_point end = Clock::now();
        const std::chrono::nanoseconds inQueue = QueuedTime() - before;
        vectors.Add(work, end - start - inQueue);
        queuedInBatches += inQueue;
        last += end - start;  // the rotations' time goes on after the batch
    };
    bool done = false;
    std::size_t p = Pivot();
    for (;;) {
        // On the caller's thread, between rotations: the team waits meanwhile.
        KeepAlive();
        if (rowMax_[p] == 0.0L) {  // already diagonal
            done = true;
            break;
        }
        const Rotation r = Plan(p, rowCol_[p]);
        batch_.push_back(r);
        team.Rotate(r, rotating.Size());
        p = Finish(r, team);
        if (batch_.size() == kBatch) rotateVectors();
        if (timed && ++untimed == 4) {
            const Clock::time_point now = Clock::now();
            pieceTime += now - last;
            pieceWork += untimed;
            last = now;
            untimed = 0;
            if (pieceTime >= kPiece) {
                const std::chrono::nanoseconds q = QueuedTime();
                rotating.Add(static_cast<double>(pieceWork), pieceTime - (q - queued - queuedInBatches));
                queued = q;
                queuedInBatches = {};
                pieceTime = {};
                pieceWork = 0;
            }
        }
        if (++rotations_ > limit) {
            tested_ = false;
            break;
        }
        if (std::fabs(1.0L - total_ / sd_) < tolerance_) {
            done = true;
            break;
        }
    }
    if (!batch_.empty()) rotateVectors();
    return done;
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
    rowMaxNear_[k] = Near(value);
    rowCol_[k] = col;
}

JacobiSolver::Rotation JacobiSolver::Plan(std::size_t p, std::size_t q) {
    const auto [c, s] = JacobiRotationOf(A(p, p), A(q, q), A(p, q));
    return {p, q, c, s};
}

// The batch of rotations, in order, on rows lo .. hi - 1 of the eigenvector matrix, two rows at once.
void JacobiSolver::RotateVectors(std::size_t lo, std::size_t hi) {
    const Rotation* const batch = batch_.data();
    const std::size_t count = batch_.size();
    std::size_t k = lo;
    for (; k + 1 < hi; k += 2) {
        Extended* const x = v_.data() + k * n_;
        Extended* const y = x + n_;
        for (std::size_t b = 0; b < count; ++b) {
            const std::size_t p = batch[b].p, q = batch[b].q;
            const Extended c = batch[b].c, s = batch[b].s;
            const Extended xp = x[p], xq = x[q], yp = y[p], yq = y[q];
            x[p] = c * xp + s * xq;
            x[q] = c * xq - s * xp;
            y[p] = c * yp + s * yq;
            y[q] = c * yq - s * yp;
        }
    }
    if (k < hi) {
        Extended* const x = v_.data() + k * n_;
        for (std::size_t b = 0; b < count; ++b) {
            const std::size_t p = batch[b].p, q = batch[b].q;
            const Extended c = batch[b].c, s = batch[b].s;
            const Extended xp = x[p], xq = x[q];
            x[p] = c * xp + s * xq;
            x[q] = c * xq - s * xp;
        }
    }
}

// Thread t's share of a rotation (of size shares): its rows, then its candidate pivot.
// RotateRows does the work on columns (and rows) lo .. hi - 1. The upper triangle: a(k, p) and a(k, q)
// for k < p, a(p, k) and a(k, q) for p < k < q, a(p, k) and a(q, k) for k > q. Rows k < q change in
// columns p and q only: their maxima are brought up to date from the new values; the new maxima of
// rows p and q over these columns are gathered on the way, then the largest row maximum of the
// share's rows other than p and q (whose maxima the caller sets).
void JacobiSolver::RotateShare(const Rotation& r, std::size_t t, std::size_t size, Share& share) {
    const std::size_t n = n_, lo = n * t / size, hi = n * (t + 1) / size;
    Share found;
    RotateRows(r, lo, hi, found);
    // The share's candidate pivot: first among the rounded maxima, then exactly among the ties.
    const std::size_t rows = std::min(hi, n - 1);
    float near = 0.0F;
    bool any = false;
    for (std::size_t k = lo; k < rows; ++k) {
        if (k == r.p || k == r.q) continue;
        const float v = rowMaxNear_[k];
        found.unordered = found.unordered || v != v;
        if (!any || v > near) {
            near = v;
            any = true;
        }
    }
    for (std::size_t k = lo; any && k < rows; ++k) {
        if (k == r.p || k == r.q || rowMaxNear_[k] != near) continue;
        if (!found.foundPivot || rowMax_[k] > found.pivotMax) {
            found.pivotMax = rowMax_[k];
            found.pivotRow = k;
            found.foundPivot = true;
        }
    }
    share = found;
}

void JacobiSolver::RotateRows(const Rotation& r, std::size_t lo, std::size_t hi, Share& found) {
    const std::size_t p = r.p, q = r.q;
    const Extended c = r.c, s = r.s;
    Extended* const a = a_.data();
    const std::size_t* const base = rowBase_.data();
    Extended* const rp = a + base[p];
    Extended* const rq = a + base[q];
    float* const m = magnitude_.data();
    float* const mp = m + base[p];
    float* const mq = m + base[q];
    const std::size_t end1 = std::min(hi, p);
    for (std::size_t k = lo; k < end1; ++k) {
        // The column elements lie a row apart: fetch them some rows ahead.
        if (k + kAhead < end1) {
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
        const float nearP = Near(vp), nearQ = Near(vq);
        m[base[k] + p] = nearP;
        m[base[k] + q] = nearQ;
        std::size_t col = rowCol_[k];
        // Rounded to float the order holds: most rows are left as they are without reading their
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
    const std::size_t end2 = std::min(hi, q);
    for (std::size_t k = std::max(lo, p + 1); k < end2; ++k) {
        if (k + kAhead < end2) {
            __builtin_prefetch(a + base[k + kAhead] + q, 1);
            __builtin_prefetch(m + base[k + kAhead] + q, 1);
        }
        Extended* const kq = a + base[k] + q;
        const Extended x = rp[k], y = *kq;
        const Extended np = c * x + s * y, nq = c * y - s * x;
        rp[k] = np;
        *kq = nq;
        const Extended vp = std::fabs(np), vq = std::fabs(nq);
        const float nearQ = Near(vq);
        mp[k] = Near(vp);
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
        found.unordered = found.unordered || vp != vp;
        if (!found.foundP || vp > found.maxP) {
            found.maxP = vp;
            found.colP = k;
            found.foundP = true;
        }
    }
    // a(p, q) becomes 0.
    if (lo <= q && q < hi && (!found.foundP || 0.0L > found.maxP)) {
        found.maxP = 0.0L;
        found.colP = q;
        found.foundP = true;
    }
    for (std::size_t k = std::max(lo, q + 1); k < hi; ++k) {
        const Extended x = rp[k], y = rq[k];
        const Extended np = c * x + s * y, nq = c * y - s * x;
        rp[k] = np;
        rq[k] = nq;
        const Extended vp = std::fabs(np), vq = std::fabs(nq);
        mp[k] = Near(vp);
        mq[k] = Near(vq);
        found.unordered = found.unordered || vp != vp || vq != vq;
        if (!found.foundP || vp > found.maxP) {
            found.maxP = vp;
            found.colP = k;
            found.foundP = true;
        }
        if (!found.foundQ || vq > found.maxQ) {
            found.maxQ = vq;
            found.colQ = k;
            found.foundQ = true;
        }
    }
}

// Completes a rotation from its shares (in row order): the diagonal, the maxima of rows p and q,
// and the next pivot.
std::size_t JacobiSolver::Finish(const Rotation& r, const Team& team) {
    const std::size_t count = team.Size();
    const std::size_t n = n_, p = r.p, q = r.q;
    const Extended c = r.c, s = r.s;
    Extended* const rp = a_.data() + rowBase_[p];
    Extended* const rq = a_.data() + rowBase_[q];
    // The first largest over the columns: the largest value, on ties the first column.
    Extended maxP = 0.0L, maxQ = 0.0L;
    std::size_t colP = p + 1, colQ = q + 1;
    bool foundP = false, foundQ = false, unordered = false;
    for (std::size_t t = 0; t < count; ++t) {
        const Share& share = team.ShareOf(t);
        unordered = unordered || share.unordered;
        if (share.foundP && (!foundP || share.maxP > maxP || (share.maxP == maxP && share.colP < colP))) {
            maxP = share.maxP;
            colP = share.colP;
            foundP = true;
        }
        if (share.foundQ && (!foundQ || share.maxQ > maxQ || (share.maxQ == maxQ && share.colQ < colQ))) {
            maxQ = share.maxQ;
            colQ = share.colQ;
            foundQ = true;
        }
    }
    if (unordered) {
        // A NaN breaks the order the shares rely on: the maxima as one pass over the row finds them
        // (starting from its first element, a(p, q) left out).
        const auto onePass = [n, q](const Extended* row, std::size_t first, Extended& best, std::size_t& col) {
            best = 0.0L;
            col = first;
            for (std::size_t k = first; k < n; ++k) {
                if (k == q) continue;
                const Extended v = std::fabs(row[k]);
                if (k == first) {
                    best = v;
                } else if (v > best) {
                    best = v;
                    col = k;
                }
            }
        };
        onePass(rp, p + 1, maxP, colP);
        onePass(rq, q + 1, maxQ, colQ);
    }
    magnitude_[rowBase_[p] + q] = 0.0F;
    const Extended apq = rp[q];
    sd_ = sd_ + 2.0L * (apq * apq);
    const Extended w = 2.0L * c * s * apq;
    const Extended app = rp[p], aqq = rq[q];
    rp[p] = c * c * app + s * s * aqq + w;
    rq[q] = s * s * app + c * c * aqq - w;
    rp[q] = 0.0L;
    if (p + 1 < n) SetRowMax(p, maxP, colP);
    if (q + 1 < n) SetRowMax(q, maxQ, colQ);

    if (unordered || rowMax_[p] != rowMax_[p] || (q + 1 < n && rowMax_[q] != rowMax_[q])) return Pivot();
    // The first row with the largest maximum: the shares' candidates and rows p and q.
    std::size_t pivot = p;
    Extended best = rowMax_[p];
    const auto consider = [&](std::size_t row, Extended v) {
        if (v > best || (v == best && row < pivot)) {
            best = v;
            pivot = row;
        }
    };
    if (q + 1 < n) consider(q, rowMax_[q]);
    for (std::size_t t = 0; t < count; ++t) {
        if (team.ShareOf(t).foundPivot) consider(team.ShareOf(t).pivotRow, team.ShareOf(t).pivotMax);
    }
    return pivot;
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
    const std::size_t n = n_;
    values.resize(n);
    for (std::size_t i = 0; i < n; ++i) values[i] = A(i, i);
    // Transposed, so that vector k is a row: sorted and signed by whole rows.
    AExt vt(n * n);
    constexpr std::size_t kTile = 32;
    for (std::size_t i0 = 0; i0 < n; i0 += kTile) {
        KeepAlive();
        for (std::size_t j0 = 0; j0 < n; j0 += kTile) {
            for (std::size_t i = i0; i < std::min(n, i0 + kTile); ++i) {
                for (std::size_t j = j0; j < std::min(n, j0 + kTile); ++j) vt[j * n + i] = v_[i * n + j];
            }
        }
    }
    v_.clear();
    for (std::size_t i = 0; i + 1 < n; ++i) {
        KeepAlive();
        std::size_t largest = i;
        for (std::size_t j = i + 1; j < n; ++j) {
            if (values[j] > values[largest]) largest = j;
        }
        if (largest == i) continue;
        std::swap(values[i], values[largest]);
        std::swap_ranges(vt.begin() + static_cast<std::ptrdiff_t>(i * n),
                         vt.begin() + static_cast<std::ptrdiff_t>(i * n + n),
                         vt.begin() + static_cast<std::ptrdiff_t>(largest * n));
    }
    for (std::size_t j = 0; j < n; ++j) {
        Extended* v = vt.data() + j * n;
        if (v[0] < 0.0L) {
            for (std::size_t k = 0; k < n; ++k) v[k] = -v[k];
        }
    }
    vectors = std::move(vt);
    a_.clear();
    magnitude_.clear();
}
