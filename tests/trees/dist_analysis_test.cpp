#include "trees/dist_analysis.h"

#include <gtest/gtest.h>

#include "popgen/data/dataset.h"
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
    ASSERT_TRUE(first.BuildTree(TreeKind::UPGMA, "T"));

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

TEST(MakeDistAnalysis, AMatrixWithUndefinedPairsIsRefusedByTreesAndOrdination) {
    TreeHookRecorder hooks;
    Reporter reporter([&hooks](const std::string& m) { hooks.errors.push_back(m); });
    TPopGenDataSet ds(reporter);
    ds.CurLayer = 1;
    TDSLayer& layer = ds.Layers[1];
    layer.NInd = 4;
    layer.IndNames = {"a", "b", "c", "d"};
    layer.DistMatrix = {0, 1, 0, -1, 2, 0, 3, 4, 5, 0};
    layer.UndefinedPairs = 1;
    TDistAnalysis& a = MakeDistAnalysis(ds);
    EXPECT_EQ(a.UndefinedPairs, 1u);
    EXPECT_EQ(&a.Reporting(), &reporter);  // the data set's reporter, not the tree code's
    EXPECT_FALSE(a.BuildTree(TreeKind::UPGMA, "T"));
    EXPECT_FALSE(a.BuildTree(TreeKind::NJ, "T"));
    EXPECT_FALSE(a.PCoA());
    EXPECT_TRUE(a.StoredTree.empty());
    const std::string tail =
        ": 1 pair of individuals has no defined NeiLi distance (-1.0 in the matrix).\r\n"
        "Choose another coefficient, or another r for NeiLi.";
    EXPECT_EQ(hooks.errors, (std::vector<std::string>{"UPGMA" + tail, "NJ" + tail, "PCoA" + tail}));

    // The same values from an import (no undefined pair counted) are built as they stand.
    layer.UndefinedPairs = 0;
    EXPECT_TRUE(MakeDistAnalysis(ds).BuildTree(TreeKind::UPGMA, "T"));
}
