// Bootstrap series built on several threads give the trees of the sequential run.
#include <gtest/gtest.h>

#include "fast_paths_util.h"
#include "series_fixture.h"

namespace {

TEST(TreeSeriesThreads, BootstrapTreesAreTheSameForEveryThreadCount) {
    BandDataSet data, byHand;
    data.SetRows(RandomRows(40, 150, 8));
    byHand.SetRows(RandomRows(40, 150, 8));
    TreeSeriesOptions o;
    o.NTrees = 70;  // more than one batch
    for (const TreeKind kind : {TreeKind::UPGMA, TreeKind::NJ}) {
        o.Kind = kind;
        RandSeed = 31;
        const AString expected = BootstrapByHand(byHand, o, "BsStdJaccard");
        for (const std::size_t threads : {std::size_t{1}, std::size_t{2}, std::size_t{0}}) {
            const ThreadCountScope scope(threads);
            RandSeed = 31;
            AString trees;
            ASSERT_TRUE(BsTrees(data.ds, o, ProgramRandom(), trees));
            EXPECT_EQ(trees, expected) << TreeKindName(kind) << " threads " << threads;
        }
    }
    EXPECT_TRUE(data.errors.empty());
}

}  // namespace
