// The choice of a team's size from measured speeds, on made-up machines.
#include "foundation/thread_pool.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <map>
#include <string>

namespace {

// Runs `stretches` stretches on a machine where `speed(size, stretch)` is the speed a team of that
// size reaches; returns how many stretches ran at each size.
std::map<std::size_t, std::size_t> Drive(TeamSizer& sizer, std::size_t from, std::size_t to,
                                         const std::function<double(std::size_t, std::size_t)>& speed) {
    std::map<std::size_t, std::size_t> at;
    for (std::size_t s = from; s < to; ++s) {
        const std::size_t size = sizer.Size();
        ++at[size];
        sizer.Measured(speed(size, s));
    }
    return at;
}

double Idle(std::size_t size, std::size_t) { return static_cast<double>(size); }
// Every core held by another program: each member more slows the team down.
double Busy(std::size_t size, std::size_t) { return 1.0 / static_cast<double>(size * size); }
// Four cores free of eight: a team of four is fastest.
double HalfBusy(std::size_t size, std::size_t) { return size <= 4 ? static_cast<double>(size) : 4.0 / static_cast<double>(size); }

TEST(TeamSizer, SettlesOnTheFastestSizeAndRarelyTriesOthers) {
    struct Case {
        std::string name;
        std::size_t most;
        double (*speed)(std::size_t, std::size_t);
        std::size_t best;
    };
    for (const Case& c :
         {Case{"idle", 8, Idle, 8}, Case{"busy", 8, Busy, 1}, Case{"half busy", 8, HalfBusy, 4},
          Case{"idle, 6 threads", 6, Idle, 6}, Case{"busy, 6 threads", 6, Busy, 1}, Case{"one thread", 1, Busy, 1}}) {
        TeamSizer sizer(c.most);
        EXPECT_EQ(sizer.Size(), c.most) << c.name;
        // Found within a few stretches: one try per step of the ladder 1, 2, 4, ...
        Drive(sizer, 0, 10, c.speed);
        const auto at = Drive(sizer, 10, 2010, c.speed);
        EXPECT_GE(at.count(c.best) ? at.at(c.best) : 0, 1950u) << c.name;
    }
}

TEST(TeamSizer, FollowsTheLoadWhenItChanges) {
    TeamSizer sizer(8);
    // Idle, then busy from stretch 500 on, then idle again from stretch 1500 on.
    const auto speed = [](std::size_t size, std::size_t s) {
        return s >= 500 && s < 1500 ? Busy(size, s) : Idle(size, s);
    };
    Drive(sizer, 0, 500, speed);
    EXPECT_EQ(sizer.Size(), 8u);
    const auto busy = Drive(sizer, 500, 1500, speed);
    EXPECT_EQ(sizer.Size(), 1u);
    // The drop in speed is noticed at once.
    EXPECT_GE(busy.at(1), 950u);
    // Sizes that lost wait at most 256 stretches before they are tried again.
    const auto idle = Drive(sizer, 1500, 3000, speed);
    EXPECT_EQ(sizer.Size(), 8u);
    EXPECT_GE(idle.at(8), 1000u);
}

TEST(TeamSizer, ASmallerTeamWinsATie) {
    TeamSizer sizer(4);
    Drive(sizer, 0, 100, [](std::size_t, std::size_t) { return 1.0; });
    EXPECT_EQ(sizer.Size(), 1u);
}

TEST(Threads, CoresAvailableIsAtLeastOneAndDefaultsTheThreadCount) {
    EXPECT_GE(CoresAvailable(), 1u);
    SetThreadCount(0);
    EXPECT_EQ(ThreadCount(), CoresAvailable());
    SetThreadCount(3);
    EXPECT_EQ(ThreadCount(), 3u);
    SetThreadCount(0);
}

}  // namespace
