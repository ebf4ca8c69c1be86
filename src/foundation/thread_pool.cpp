#include "foundation/thread_pool.h"

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include "foundation/keep_alive.h"

namespace {

std::atomic<std::size_t> gRequested{0};  // 0: every core

// How long a waiter spins before it sleeps: longer than a hand-over between running threads takes,
// far shorter than the time slice of a program that took the other side's core.
constexpr std::chrono::microseconds kSpinTime{40};

void Pause() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// Workers that sleep between jobs; the caller of Run works on the job too. A worker joins a job
// when it wakes while the job still has pieces to hand out; Run waits only for the workers that
// joined, so a worker that lost its core to another program holds nothing up.
class Pool {
public:
    explicit Pool(std::size_t workers) {
        threads_.reserve(workers);
        for (std::size_t w = 0; w < workers; ++w) threads_.emplace_back([this] { Work(); });
    }
    ~Pool() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
            generation_.Set(generation_.Load() + 1);
        }
        for (std::thread& t : threads_) t.join();
    }
    Pool(const Pool&) = delete;
    Pool& operator=(const Pool&) = delete;

    std::size_t Workers() const { return threads_.size(); }

    void Run(std::size_t pieces, const std::function<void(std::size_t)>& piece) {
        {
            std::lock_guard lock(mutex_);
            job_ = &piece;
            pieces_ = pieces;
            next_.store(0, std::memory_order_relaxed);
            open_ = true;
            error_ = nullptr;
            generation_.Set(generation_.Load() + 1);
        }
        Take(piece, pieces);
        std::unique_lock lock(mutex_);
        // Every piece is handed out: a worker that comes later finds nothing to join.
        open_ = false;
        left_.wait(lock, [this] { return joined_ == 0; });
        job_ = nullptr;
        if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
    }

private:
    void Take(const std::function<void(std::size_t)>& piece, std::size_t pieces) {
        for (;;) {
            const std::size_t k = next_.fetch_add(1, std::memory_order_relaxed);
            if (k >= pieces) return;
            try {
                piece(k);
                KeepAlive();  // the caller's windows; nothing on a worker
            } catch (...) {
                std::lock_guard lock(mutex_);
                if (!error_) error_ = std::current_exception();
            }
        }
    }

    void Work() {
        std::uint32_t seen = 0;
        for (;;) {
            seen = generation_.WaitWhile(seen);
            const std::function<void(std::size_t)>* job = nullptr;
            std::size_t pieces = 0;
            {
                std::lock_guard lock(mutex_);
                if (stop_) return;
                seen = generation_.Load();
                if (!open_) continue;
                job = job_;
                pieces = pieces_;
                ++joined_;
            }
            Take(*job, pieces);
            std::lock_guard lock(mutex_);
            if (--joined_ == 0 && !open_) left_.notify_one();
        }
    }

    std::vector<std::thread> threads_;
    WaitWord generation_;  // one more for every job (and for the stop)
    std::mutex mutex_;
    std::condition_variable left_;
    const std::function<void(std::size_t)>* job_ = nullptr;
    std::size_t pieces_ = 0;
    std::atomic<std::size_t> next_{0};
    std::size_t joined_ = 0;
    bool open_ = false;
    bool stop_ = false;
    std::exception_ptr error_;
};

// One job at a time: a second caller (another thread, or a piece asking for threads itself)
// runs its pieces on its own thread.
std::mutex gPoolMutex;
std::unique_ptr<Pool> gPool;

}  // namespace

std::size_t CoresAvailable() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0) {
        const int count = CPU_COUNT(&set);
        if (count > 0) return static_cast<std::size_t>(count);
    }
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : n;
}

std::chrono::nanoseconds QueuedTime() {
    // Linux: run time, queue time (nanoseconds) and time slices of the thread.
    const int fd = open("/proc/thread-self/schedstat", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    char text[96];
    const ssize_t got = read(fd, text, sizeof text - 1);
    close(fd);
    if (got <= 0) return {};
    text[got] = '\0';
    unsigned long long run = 0, queued = 0;
    if (std::sscanf(text, "%llu %llu", &run, &queued) != 2) return {};
    return std::chrono::nanoseconds(static_cast<std::chrono::nanoseconds::rep>(queued));
}

std::size_t ThreadCount() {
    const std::size_t requested = gRequested.load(std::memory_order_relaxed);
    if (requested != 0) return requested;
    static const std::size_t cores = CoresAvailable();
    return cores;
}

void SetThreadCount(std::size_t count) { gRequested.store(count, std::memory_order_relaxed); }

void ParallelPieces(std::size_t pieces, const std::function<void(std::size_t piece)>& piece) {
    const std::size_t threads = std::min(ThreadCount(), pieces);
    std::unique_lock lock(gPoolMutex, std::defer_lock);
    if (threads <= 1 || !lock.try_lock()) {
        for (std::size_t k = 0; k < pieces; ++k) {
            piece(k);
            KeepAlive();
        }
        return;
    }
    const std::size_t workers = ThreadCount() - 1;
    if (!gPool || gPool->Workers() != workers) {
        gPool.reset();
        gPool = std::make_unique<Pool>(workers);
    }
    gPool->Run(pieces, piece);
}

PieceRange PieceOf(std::size_t count, std::size_t pieces, std::size_t k) {
    const std::size_t base = count / pieces, extra = count % pieces;
    const std::size_t begin = k * base + std::min(k, extra);
    return {begin, begin + base + (k < extra ? 1 : 0)};
}

void WaitWord::Set(std::uint32_t value) {
    value_.store(value, std::memory_order_seq_cst);
    // A waiter counts itself before it looks at the value a last time, so one of the two sees the other.
    if (sleepers_.load(std::memory_order_seq_cst) != 0) value_.notify_all();
}

template <class Done>
void WaitWord::Wait(Done done) {
    std::uint32_t v = value_.load(std::memory_order_acquire);
    if (done(v)) return;
    const auto until = std::chrono::steady_clock::now() + kSpinTime;
    for (unsigned spins = 1;; ++spins) {
        Pause();
        v = value_.load(std::memory_order_acquire);
        if (done(v)) return;
        if (spins % 64 == 0 && std::chrono::steady_clock::now() >= until) break;
    }
    sleepers_.fetch_add(1, std::memory_order_seq_cst);
    for (;;) {
        v = value_.load(std::memory_order_seq_cst);
        if (done(v)) break;
        value_.wait(v, std::memory_order_acquire);
    }
    sleepers_.fetch_sub(1, std::memory_order_relaxed);
}

std::uint32_t WaitWord::WaitWhile(std::uint32_t old) {
    std::uint32_t seen = old;
    Wait([&](std::uint32_t v) {
        seen = v;
        return v != old;
    });
    return seen;
}

void WaitWord::WaitFor(std::uint32_t wanted) {
    Wait([wanted](std::uint32_t v) { return v == wanted; });
}

namespace {

// A smaller team wins a tie (it leaves cores to others); a larger one must be clearly faster.
constexpr double kSmallerWins = 0.98, kLargerWins = 1.1;
// The longest wait, in stretches, before a size that lost is tried again.
constexpr std::size_t kLongestWait = 256;
// A change of speed by this factor at the same size starts a new comparison at once.
constexpr double kChanged = 2.0;

}  // namespace

TeamSizer::TeamSizer(std::size_t most) {
    most = std::max<std::size_t>(most, 1);
    for (std::size_t s = 1; s < most; s *= 2) sizes_.push_back(s);
    sizes_.push_back(most);
    index_ = sizes_.size() - 1;
}

void TeamSizer::Measured(double speed) {
    const bool tried = trying_;
    if (trying_) {
        trying_ = false;
        const int side = index_ < from_ ? 0 : 1;
        if (speed >= speed_ * (side == 0 ? kSmallerWins : kLargerWins)) {
            // Go on the same way at once. A smaller size left behind is tried again soon: a larger
            // team that won by chance costs much more than a smaller one.
            speed_ = speed;
            after_[side] = 1;
            wait_[side] = 0;
            after_[1 - side] = side == 0 ? std::min(2 * after_[1 - side], kLongestWait) : 1;
            wait_[1 - side] = after_[1 - side];
        } else {
            index_ = from_;
            after_[side] = std::min(2 * after_[side], kLongestWait);
            wait_[side] = after_[side];
        }
        reference_ = speed_;
    } else {
        speed_ = speed;
        if (reference_ == 0.0) reference_ = speed;
        if (speed < reference_ / kChanged || speed > reference_ * kChanged) {
            // The machine is not what it was when the sizes were compared: compare them again.
            reference_ = speed;
            after_[0] = after_[1] = 1;
            wait_[0] = wait_[1] = 1;
        }
    }
    if (!tried) {
        for (std::size_t& w : wait_) w = w > 0 ? w - 1 : 0;
    }
    const bool smaller = index_ > 0 && wait_[0] == 0;
    const bool larger = index_ + 1 < sizes_.size() && wait_[1] == 0;
    if (!smaller && !larger) return;
    int side = smaller ? 0 : 1;
    if (smaller && larger) {
        side = next_;
        next_ = 1 - next_;
    }
    from_ = index_;
    index_ = side == 0 ? index_ - 1 : index_ + 1;
    trying_ = true;
}
