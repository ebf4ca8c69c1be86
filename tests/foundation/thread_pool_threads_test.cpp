// The pool and the waits between threads: every piece once, errors passed on, no wake-up lost when
// the waiter has gone to sleep.
#include "foundation/thread_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

class ThreadCountScope {
public:
    explicit ThreadCountScope(std::size_t n) { SetThreadCount(n); }
    ~ThreadCountScope() { SetThreadCount(0); }
};

TEST(ThreadPool, RunsEveryPieceOnceForEveryThreadCount) {
    for (const std::size_t threads : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{0}}) {
        const ThreadCountScope scope(threads);
        // Fewer pieces than threads, about as many, and many more; jobs one right after another.
        for (const std::size_t pieces : {std::size_t{1}, std::size_t{2}, std::size_t{5}, std::size_t{300}}) {
            for (int round = 0; round < 50; ++round) {
                std::vector<std::atomic<int>> ran(pieces);
                ParallelPieces(pieces, [&](std::size_t k) { ran[k].fetch_add(1, std::memory_order_relaxed); });
                for (std::size_t k = 0; k < pieces; ++k)
                    ASSERT_EQ(ran[k].load(), 1) << threads << " " << pieces << " " << k;
            }
        }
    }
}

TEST(ThreadPool, AnErrorIsPassedOnOnceEveryPieceHasFinished) {
    const ThreadCountScope scope(4);
    std::atomic<int> finished{0};
    EXPECT_THROW(ParallelPieces(40,
                                [&](std::size_t k) {
                                    if (k == 7) throw std::runtime_error("piece 7");
                                    std::this_thread::sleep_for(std::chrono::microseconds(200));
                                    finished.fetch_add(1);
                                }),
                 std::runtime_error);
    EXPECT_EQ(finished.load(), 39);
    // The pool is usable afterwards.
    std::atomic<int> ran{0};
    ParallelPieces(10, [&](std::size_t) { ran.fetch_add(1); });
    EXPECT_EQ(ran.load(), 10);
}

TEST(ThreadPool, APieceAskingForThreadsRunsItsPiecesItself) {
    const ThreadCountScope scope(3);
    std::vector<std::atomic<int>> ran(6 * 5);
    ParallelPieces(6, [&](std::size_t k) { ParallelPieces(5, [&](std::size_t m) { ran[k * 5 + m].fetch_add(1); }); });
    for (const auto& r : ran) EXPECT_EQ(r.load(), 1);
}

TEST(WaitWord, HandsOverBackAndForthWithAndWithoutSleeping) {
    // Quick turns (the waiter spins) and slow ones (the waiter is asleep when the value comes).
    for (const auto delay : {std::chrono::microseconds(0), std::chrono::microseconds(300)}) {
        const std::uint32_t rounds = delay.count() == 0 ? 20000 : 30;
        WaitWord ping, pong;
        std::vector<std::uint32_t> seen;
        std::thread other([&] {
            std::uint32_t last = 0;
            for (std::uint32_t r = 1; r <= rounds; ++r) {
                last = ping.WaitWhile(last);
                seen.push_back(last);
                if (delay.count() != 0) std::this_thread::sleep_for(delay);
                pong.Set(last);
            }
        });
        for (std::uint32_t r = 1; r <= rounds; ++r) {
            if (delay.count() != 0) std::this_thread::sleep_for(delay);
            ping.Set(r);
            pong.WaitFor(r);
        }
        other.join();
        ASSERT_EQ(seen.size(), rounds);
        for (std::uint32_t r = 1; r <= rounds; ++r) ASSERT_EQ(seen[r - 1], r);
    }
}

}  // namespace
