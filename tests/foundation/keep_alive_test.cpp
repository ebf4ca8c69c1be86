#include "foundation/keep_alive.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <stdexcept>

#include "foundation/thread_pool.h"

namespace {

using std::chrono::nanoseconds;

// Every look at the clock calls the hook while it lives.
class EveryLook {
public:
    EveryLook() : previous_(SetKeepAliveInterval(nanoseconds(0))) {}
    ~EveryLook() { SetKeepAliveInterval(previous_); }
    EveryLook(const EveryLook&) = delete;
    EveryLook& operator=(const EveryLook&) = delete;

private:
    nanoseconds previous_;
};

TEST(KeepAlive, CallsTheHookOnlyWhileItsScopeLives) {
    const EveryLook everyLook;
    int calls = 0;
    KeepAlive();
    {
        const KeepAliveScope scope([&] { ++calls; });
        KeepAlive();  // the first call looks at the clock
        EXPECT_EQ(calls, 1);
        for (int i = 0; i < 1000; ++i) KeepAlive();
        EXPECT_GE(calls, 2);
    }
    const int after = calls;
    for (int i = 0; i < 1000; ++i) KeepAlive();
    EXPECT_EQ(calls, after);
}

TEST(KeepAlive, WaitsForItsIntervalBeforeTheFirstCall) {
    const nanoseconds previous = SetKeepAliveInterval(std::chrono::hours(1));
    int calls = 0;
    {
        const KeepAliveScope scope([&] { ++calls; });
        for (int i = 0; i < 100000; ++i) KeepAlive();
    }
    SetKeepAliveInterval(previous);
    EXPECT_EQ(calls, 0);
}

TEST(KeepAlive, AHookIsNotEnteredAgainFromInside) {
    const EveryLook everyLook;
    int calls = 0, nested = 0;
    bool servingInside = false;
    const KeepAliveScope scope([&] {
        ++calls;
        servingInside = KeepAliveServing();
        // An event handler running a loop of its own while the hook runs.
        for (int i = 0; i < 100; ++i) KeepAlive();
        nested = calls;
    });
    EXPECT_FALSE(KeepAliveServing());
    KeepAlive();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(nested, 1);
    EXPECT_TRUE(servingInside);
    EXPECT_FALSE(KeepAliveServing());
}

TEST(KeepAlive, AnInnerScopeTakesOverUntilItEnds) {
    const EveryLook everyLook;
    int outer = 0, inner = 0;
    const KeepAliveScope outerScope([&] { ++outer; });
    {
        const KeepAliveScope innerScope([&] { ++inner; });
        KeepAlive();
    }
    EXPECT_EQ(inner, 1);
    EXPECT_EQ(outer, 0);
    KeepAlive();
    EXPECT_EQ(outer, 1);
}

TEST(KeepAlive, AnExceptionFromTheHookLeavesTheScopeWorking) {
    const EveryLook everyLook;
    int calls = 0;
    const KeepAliveScope scope([&] {
        if (++calls == 1) throw std::runtime_error("hook failed");
    });
    EXPECT_THROW(KeepAlive(), std::runtime_error);
    EXPECT_FALSE(KeepAliveServing());
    for (int i = 0; i < 1000 && calls < 2; ++i) KeepAlive();
    EXPECT_EQ(calls, 2);
}

// A parallel run's pieces keep the caller's windows alive as they finish.
TEST(KeepAlive, APieceOfAParallelRunIsAStep) {
    const EveryLook everyLook;
    SetThreadCount(1);
    int calls = 0;
    {
        const KeepAliveScope scope([&] { ++calls; });
        ParallelPieces(3, [](std::size_t) {});
    }
    SetThreadCount(0);
    EXPECT_GE(calls, 1);
}

}  // namespace
