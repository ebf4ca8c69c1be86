// A shortage of memory inside a tree or ordination run passes through it without leaving a half
// result; the one wrapper of the engine's entry points reports it.
#include <gtest/gtest.h>
#include <malloc.h>

#include <cstdint>

#include "support/allocation_limit.h"
#include "tree_test_util.h"

namespace {

// n OTUs at distinct distances, so that every build has work to do.
TDistAnalysis LargeAnalysis(Reporter& reporter, std::size_t n) {
    std::vector<std::vector<Extended>> d(n, std::vector<Extended>(n, 0.0L));
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < i; ++j) d[i][j] = d[j][i] = static_cast<Extended>(i * n + j);
    return MakeAnalysis(reporter, Names(n), d);
}

// n OTUs in pairs: OTUs 2k and 2k+1 are the closest pairs, in order, so that n / 2 clusters are
// made before any of them merges and UPGMA keeps n / 2 cluster rows at once.
TDistAnalysis PairedAnalysis(Reporter& reporter, std::size_t n) {
    std::vector<std::vector<Extended>> d(n, std::vector<Extended>(n, 0.0L));
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < i; ++j)
            d[i][j] = d[j][i] = j / 2 == i / 2 ? static_cast<Extended>(i) : static_cast<Extended>(n * n + i * n + j);
    return MakeAnalysis(reporter, Names(n), d);
}

}  // namespace

TESK_DEFINE_ALLOCATION_LIMIT()

TEST(TreeOutOfMemory, BuildersAndPCoALeaveNoHalfResult) {
    struct Case {
        const char* name;
        bool (*run)(TDistAnalysis&);
        std::size_t refused;  // allocations of this size or more fail
    };
    const Case cases[] = {
        // UPGMA copies no matrix: its node buffer (about 20 KB) is refused.
        {"UPGMA", [](TDistAnalysis& a) { return a.BuildTree(TreeKind::UPGMA, "T"); }, 16 * 1024},
        {"NJ", [](TDistAnalysis& a) { return a.BuildTree(TreeKind::NJ, "T"); }, 64 * 1024},
        {"PCoA", [](TDistAnalysis& a) { return a.PCoA(); }, 64 * 1024},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TreeHookRecorder hooks;
        TDistAnalysis analysis = LargeAnalysis(hooks.reporter, 120);  // matrix copies of about 116 KB
        bool built = true;
        {
            const RefuseLargeAllocations refuse(c.refused);
            EXPECT_NO_THROW(built = ReportShortage(hooks.reporter, [&] { return c.run(analysis); }));
        }
        EXPECT_FALSE(built);
        EXPECT_EQ(hooks.errors, (std::vector<std::string>{"Out of memory"}));
        EXPECT_TRUE(analysis.StoredTree.empty());
        EXPECT_TRUE(analysis.Tree.Nodes.empty());
        EXPECT_TRUE(analysis.Coords.empty());

        // With memory back the same analysis succeeds.
        hooks.errors.clear();
        EXPECT_TRUE(c.run(analysis));
        EXPECT_TRUE(hooks.errors.empty());
    }
}

// A shortage while UPGMA's list of cluster rows grows leaves no row behind: with 1000 OTUs a row is
// 16000 bytes and the list's growth to 256 entries asks for 2048 bytes, which is refused. What the
// heap holds afterwards (glibc's count of bytes in use) shows a row that was lost.
TEST(TreeOutOfMemory, UPGMAFreesAClusterRowWhenItsListCannotGrow) {
    TreeHookRecorder hooks;
    TDistAnalysis analysis = PairedAnalysis(hooks.reporter, 1000);
    hooks.errors.reserve(4);
    bool built = true;
    const std::size_t before = mallinfo2().uordblks;
    {
        const RefuseAllocationsOfSize refuse(256 * sizeof(void*));
        built = ReportShortage(hooks.reporter, [&] { return analysis.BuildTree(TreeKind::UPGMA, "T"); });
    }
    const std::size_t after = mallinfo2().uordblks;
    EXPECT_FALSE(built);
    EXPECT_EQ(hooks.errors, (std::vector<std::string>{"Out of memory"}));
    EXPECT_TRUE(analysis.StoredTree.empty());
    EXPECT_LT(static_cast<std::int64_t>(after) - static_cast<std::int64_t>(before), 1000 * 16 / 2);
}
