#include "foundation/block_move.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "foundation/primitives.h"
#include "foundation/random.h"

namespace {

using MoveVariant = void (*)(const void*, void*, std::size_t);

std::vector<std::pair<const char*, MoveVariant>> Variants() {
    std::vector<std::pair<const char*, MoveVariant>> v = {{"plain", prims::MoveFastPlain},
                                                          {"SSE2", prims::MoveFastSSE2}};
    if (__builtin_cpu_supports("ssse3")) v.push_back({"SSSE3", prims::MoveFastSSSE3});
    v.push_back({"dispatched", MoveFast});
    return v;
}

// 16-aligned start inside v plus the misalignment.
std::uint8_t* At(std::vector<std::uint8_t>& v, std::size_t misalignment) {
    std::uint8_t* p = v.data() + 32;
    return p + (16 - reinterpret_cast<std::uintptr_t>(p) % 16) % 16 + misalignment;
}

TEST(MoveFastTest, EveryCountAndAlignmentCopiesExactlyTheBlock) {
    RandSeed = 5;
    std::vector<std::uint8_t> source(300), destination(300), expected(300);
    for (const auto& [name, move] : Variants()) {
        for (std::size_t srcMis = 0; srcMis < 16; ++srcMis) {
            for (std::size_t dstMis = 0; dstMis < 16; ++dstMis) {
                for (std::size_t count = 0; count <= 200; ++count) {
                    for (auto& b : source) b = static_cast<std::uint8_t>(Random(256));
                    for (auto& b : destination) b = static_cast<std::uint8_t>(Random(256));
                    expected = destination;
                    std::memcpy(At(expected, dstMis), At(source, srcMis), count);
                    move(At(source, srcMis), At(destination, dstMis), count);
                    ASSERT_EQ(destination, expected)
                        << name << " count " << count << " source " << srcMis << " destination " << dstMis;
                }
            }
        }
    }
}

TEST(MoveFastTest, CachedAndStreamingMainPartsGiveTheSameCopy) {
    // With an aligned destination the main part is the count rounded down to 32: exactly the
    // threshold stays cached, one 32-byte step more streams.
    for (const std::size_t count : {kMoveStreamThreshold + 7, kMoveStreamThreshold + 32 + 7}) {
        for (const std::size_t srcMis : {0u, 3u, 8u}) {
            std::vector<std::uint8_t> source(count + 64), destination(count + 64, 0xEE);
            for (std::size_t k = 0; k < source.size(); ++k) source[k] = static_cast<std::uint8_t>(k * 31 + k / 251);
            for (const auto& [name, move] : Variants()) {
                std::fill(destination.begin(), destination.end(), 0xEE);
                move(At(source, srcMis), At(destination, 0), count);
                EXPECT_EQ(std::memcmp(At(source, srcMis), At(destination, 0), count), 0) << name << " " << count;
                EXPECT_EQ(At(destination, 0)[count], 0xEE) << name;
                EXPECT_EQ(At(destination, 0)[-1], 0xEE) << name;
            }
        }
    }
}

TEST(MoveFastTest, StandardMoveHandlesOverlap) {
    std::vector<std::uint8_t> v = {1, 2, 3, 4, 5, 6, 7, 8};
    MoveStd(v.data(), v.data() + 2, 6);
    EXPECT_EQ(v, (std::vector<std::uint8_t>{1, 2, 1, 2, 3, 4, 5, 6}));
    MoveStd(v.data() + 2, v.data(), 6);
    EXPECT_EQ(v, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 5, 6}));
}

}  // namespace
