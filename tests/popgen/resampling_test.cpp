#include "popgen/data/resampling.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "band_fixture.h"

namespace {

class Resampling : public ::testing::Test {
protected:
    BandDataSet data;
    TPopGenDataSet& ds = data.ds;

    void SetUp() override {
        // Five individuals, four loci that differ column by column.
        data.SetRows({"1001", "1101", "0111", "1091", "0011"});
        ds.Layers[1].LocNames = {"A", "B", "C", "D"};
    }
    // The cells of a locus of a layer, individual by individual.
    static std::string Column(const TDSLayer& l, std::size_t locus) {
        std::string s;
        for (std::size_t i = 1; i <= l.NInd; ++i) s += static_cast<char>('0' + l.Cell(i, locus));
        return s;
    }
};

TEST_F(Resampling, BootstrapLociCopiesDrawnLociInDrawOrderWithPositionSuffixes) {
    RandomStream expected(77);
    const std::vector<std::size_t> drawn = DrawLoci(expected, 4, 4);
    RandomStream random(77);
    ASSERT_TRUE(InitLayerLikeCurrent(ds, 4, true));
    ASSERT_TRUE(BootstrapLoci(ds, 4, {.CopyNames = true, .Suffix = true}, random));
    EXPECT_EQ(random.Seed, expected.Seed);  // one draw per locus
    const TDSLayer& src = ds.Layers[1];
    const TDSLayer& t = ds.Layers[4];
    EXPECT_EQ(t.IndNames, src.IndNames);
    EXPECT_EQ(t.SourceLayer, 1);
    EXPECT_EQ(ds.CurLayer, 1);
    for (std::size_t k = 1; k <= 4; ++k) {
        EXPECT_EQ(Column(t, k), Column(src, drawn[k - 1])) << k;
        EXPECT_EQ(t.LocNames[k - 1], src.LocNames[drawn[k - 1] - 1] + "_" + std::to_string(k));
    }
    // A locus drawn twice carries two names.
    std::set<std::string> names(t.LocNames.begin(), t.LocNames.end());
    EXPECT_EQ(names.size(), 4u);
}

TEST_F(Resampling, DrawnLociCoverTheRangeAndComeFromTheSeed) {
    RandomStream a(5), b(5);
    const std::vector<std::size_t> x = DrawLoci(a, 7, 2000);
    EXPECT_EQ(x, DrawLoci(b, 7, 2000));
    EXPECT_EQ(*std::min_element(x.begin(), x.end()), 1u);
    EXPECT_EQ(*std::max_element(x.begin(), x.end()), 7u);
    // Random(n) + 1 of the program's generator, in order.
    RandomStream c(5);
    for (std::size_t k = 0; k < 10; ++k) EXPECT_EQ(x[k], c.Random(7) + 1u);
}

TEST_F(Resampling, WeightsTravelWithTheirLoci) {
    ds.Layers[1].Weights = {0.5L, 1.0L, 2.0L, 4.0L};
    TDSLayer out;
    const std::vector<std::size_t> loci = {4, 4, 1};
    ResampledLoci(ds.Layers[1], loci, out);
    EXPECT_EQ(out.Weights, (AExt{4.0L, 4.0L, 0.5L}));
    EXPECT_EQ(out.NLoci, 3u);
    EXPECT_EQ(Column(out, 3), Column(ds.Layers[1], 1));
}

TEST_F(Resampling, RefusesWhatItCannotResample) {
    EXPECT_FALSE(InitLayerLikeCurrent(ds, 1, false));  // the current layer itself
    EXPECT_FALSE(InitLayerLikeCurrent(ds, kLayerCount, false));
    ASSERT_TRUE(InitLayerWithIndCount(ds, 3, 4));
    EXPECT_FALSE(BootstrapLoci(ds, 4, {}, ProgramRandom()));  // not shaped like the current layer
    ds.CurLayer = 3;                                   // no band data
    EXPECT_FALSE(InitLayerLikeCurrent(ds, 4, false));
    EXPECT_EQ(data.errors.size(), 4u);
}

TEST_F(Resampling, IndividualSubsetsHaveNoRepeatsAndReachEveryIndividual) {
    std::set<std::size_t> seen;
    RandomStream random(3);
    for (int run = 0; run < 50; ++run) {
        const std::vector<std::size_t> list = RandomIndSubset(ds, 2, random);
        ASSERT_EQ(list.size(), 2u);
        EXPECT_NE(list[0], list[1]);
        seen.insert(list.begin(), list.end());
    }
    EXPECT_EQ(seen, (std::set<std::size_t>{1, 2, 3, 4, 5}));  // not only individuals 1 and 2
    const std::vector<std::size_t> all = RandomIndSubset(ds, 5, random);
    EXPECT_EQ(std::set<std::size_t>(all.begin(), all.end()).size(), 5u);
    const std::vector<std::size_t> more = RandomIndSubset(ds, 8, random);  // beyond NInd: with repeats
    EXPECT_EQ(more.size(), 8u);
    EXPECT_EQ(std::set<std::size_t>(more.begin(), more.end()), (std::set<std::size_t>{1, 2, 3, 4, 5}));
}

TEST_F(Resampling, BootstrapIndivLociTakesListedIndividualsFromDrawnLoci) {
    for (const bool withReplacement : {true, false}) {
        RandomStream expected(11);
        const std::vector<std::size_t> inds =
            withReplacement ? RandomIndList(ds, 3, expected) : RandomIndSubset(ds, 3, expected);
        const std::vector<std::size_t> loci = DrawLoci(expected, 4, 4);
        RandomStream random(11);
        ASSERT_TRUE(InitLayerWithIndCount(ds, 3, 4));
        ASSERT_TRUE(BootstrapIndivLoci(ds, withReplacement, 4, random));
        EXPECT_EQ(random.Seed, expected.Seed);
        const TDSLayer& t = ds.Layers[4];
        ASSERT_EQ(t.NInd, 3u);
        EXPECT_TRUE(t.IndNames.empty());
        for (std::size_t k = 1; k <= 4; ++k)
            for (std::size_t c = 1; c <= 3; ++c)
                EXPECT_EQ(t.Cell(c, k), ds.Layers[1].Cell(inds[c - 1], loci[k - 1])) << k << " " << c;
    }
}

TEST_F(Resampling, TemporaryLayerScopeRestoresLayerAndTransformation) {
    {
        const TemporaryLayerScope scope(ds);
        ds.CurLayer = 4;
        ds.DistTransform = Transformation::D;
    }
    EXPECT_EQ(ds.CurLayer, 1);
    EXPECT_EQ(ds.DistTransform, Transformation::OneMinusS);
}

}  // namespace
