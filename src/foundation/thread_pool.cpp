#include "foundation/thread_pool.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace {

std::atomic<std::size_t> gRequested{0};  // 0: every core

std::size_t Cores() {
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : n;
}

// Workers that sleep between jobs; the caller of Run works on the job too.
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
        }
        wake_.notify_all();
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
            active_ = threads_.size();
            error_ = nullptr;
            ++generation_;
        }
        wake_.notify_all();
        Take(piece, pieces);
        std::unique_lock lock(mutex_);
        done_.wait(lock, [this] { return active_ == 0; });
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
            } catch (...) {
                std::lock_guard lock(mutex_);
                if (!error_) error_ = std::current_exception();
            }
        }
    }

    void Work() {
        std::uint64_t seen = 0;
        for (;;) {
            const std::function<void(std::size_t)>* job = nullptr;
            std::size_t pieces = 0;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [&] { return stop_ || generation_ != seen; });
                if (stop_) return;
                seen = generation_;
                job = job_;
                pieces = pieces_;
            }
            Take(*job, pieces);
            {
                std::lock_guard lock(mutex_);
                if (--active_ == 0) done_.notify_one();
            }
        }
    }

    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable wake_, done_;
    const std::function<void(std::size_t)>* job_ = nullptr;
    std::size_t pieces_ = 0;
    std::atomic<std::size_t> next_{0};
    std::size_t active_ = 0;
    std::uint64_t generation_ = 0;
    bool stop_ = false;
    std::exception_ptr error_;
};

// One job at a time: a second caller (another thread, or a piece asking for threads itself)
// runs its pieces on its own thread.
std::mutex gPoolMutex;
std::unique_ptr<Pool> gPool;

}  // namespace

std::size_t ThreadCount() {
    const std::size_t requested = gRequested.load(std::memory_order_relaxed);
    return requested == 0 ? Cores() : requested;
}

void SetThreadCount(std::size_t count) { gRequested.store(count, std::memory_order_relaxed); }

void ParallelPieces(std::size_t pieces, const std::function<void(std::size_t piece)>& piece) {
    const std::size_t threads = std::min(ThreadCount(), pieces);
    std::unique_lock lock(gPoolMutex, std::defer_lock);
    if (threads <= 1 || !lock.try_lock()) {
        for (std::size_t k = 0; k < pieces; ++k) piece(k);
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
