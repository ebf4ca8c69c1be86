#include "trees/dist_analysis.h"

#include <gtest/gtest.h>

#include "popgen/dataset.h"
#include "tree_test_util.h"

TEST(MakeDistAnalysis, CopiesTheCurrentLayerAndReplacesItsAnalysis) {
    TPopGenDataSet ds;
    ds.CurLayer = 1;
    TDSLayer& layer = ds.Layers[1];
    layer.NInd = 3;
    layer.IndNames = {"a", "b", "c"};
    layer.DistMatrix = {0, 1, 0, 2, 3, 0};

    TDistAnalysis& first = MakeDistAnalysis(ds);
    EXPECT_EQ(layer.Analysis.get(), &first);
    EXPECT_EQ(first.NOTU, 3u);
    EXPECT_EQ(first.OTUNames, layer.IndNames);
    EXPECT_EQ(first.Dist, layer.DistMatrix);
    EXPECT_EQ(first.ValueSize, ds.ValueSize);
    ASSERT_TRUE(first.BuildTree(kTreeUPGMA, "T"));

    // The analysis owns its copies: the layer may change under it.
    layer.DistMatrix[1] = 9;
    EXPECT_EQ(first.PairDist(2, 1), 1.0L);

    TDistAnalysis& second = MakeDistAnalysis(ds);
    EXPECT_EQ(layer.Analysis.get(), &second);
    EXPECT_EQ(second.PairDist(1, 2), 9.0L);
    EXPECT_TRUE(second.StoredTree.empty());

    layer.DistMatrix.clear();  // no matrix: zeros of the right size
    EXPECT_EQ(MakeDistAnalysis(ds).Dist, PackedMatrix(6, 0.0L));
}
