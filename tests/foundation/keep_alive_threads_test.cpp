// A keep-alive hook belongs to the thread that installed it: the pool's workers and other threads
// calling KeepAlive in the same loops never reach it.
#include "foundation/keep_alive.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <thread>
#include <vector>

#include "foundation/thread_pool.h"

namespace {

TEST(KeepAliveThreads, OnlyTheInstallingThreadCallsTheHook) {
    const std::chrono::nanoseconds previous = SetKeepAliveInterval(std::chrono::nanoseconds(0));
    const std::thread::id installer = std::this_thread::get_id();
    std::vector<std::thread::id> callers;  // written by the hook alone: a call elsewhere is a race too
    {
        const KeepAliveScope scope([&] { callers.push_back(std::this_thread::get_id()); });
        for (const std::size_t threads : {std::size_t{1}, std::size_t{4}}) {
            SetThreadCount(threads);
            std::atomic<std::size_t> done{0};
            // Pieces that are steps themselves, and the pool's own call after each piece.
            ParallelPieces(200, [&](std::size_t k) {
                if (k % 2 == 0)
                    for (int i = 0; i < 100; ++i) KeepAlive();
                done.fetch_add(1, std::memory_order_relaxed);
            });
            EXPECT_EQ(done.load(), 200u);
        }
        SetThreadCount(0);
        std::thread other([] {
            for (int i = 0; i < 10000; ++i) KeepAlive();
        });
        other.join();
    }
    SetKeepAliveInterval(previous);
    ASSERT_FALSE(callers.empty());  // one thread: every piece ran on the installer
    for (const std::thread::id id : callers) EXPECT_EQ(id, installer);
}

}  // namespace
