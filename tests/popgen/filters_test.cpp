#include "popgen/data/filters.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "grouped_bands.h"

namespace {

struct Filters : GroupedBands, ::testing::Test {};

using Rows_ = std::vector<std::string>;

Rows_ FromColumns(const Rows_& columns) {
    Rows_ rows(columns[0].size());
    for (const std::string& col : columns)
        for (std::size_t i = 0; i < col.size(); ++i) rows[i] += col[i];
    return rows;
}

TEST_F(Filters, LocusRulesAreStrict) {
    // Loci of five individuals: 1 p5; 2 p4 m1 (20 % missing); 3 a5; 4 p1 a2 m2; 5 all missing;
    // 6 p2 a3.
    const Rows_ rows = FromColumns({"11111", "11119", "00000", "10099", "99999", "11000"});
    const struct {
        const char* name;
        std::function<std::size_t(TPopGenDataSet&)> filter;
        std::size_t removed;
        AByte kept;  // over the six loci
    } cases[] = {
        {"more missing than bands",
         [](TPopGenDataSet& d) { return RemoveLocMoreMDThanBands(d, 1); },
         2,
         {1, 1, 1, 0, 0, 1}},
        {"missing > 20 %", [](TPopGenDataSet& d) { return RemoveLocMD(d, 1, 0.2L); }, 2, {1, 1, 1, 0, 0, 1}},
        {"missing > 19 %", [](TPopGenDataSet& d) { return RemoveLocMD(d, 1, 0.19L); }, 3, {1, 0, 1, 0, 0, 1}},
        {"monomorphic", [](TPopGenDataSet& d) { return RemoveMonomorphicLoci(d, 1); }, 3, {0, 0, 0, 1, 1, 1}},
        {"monomorphic absences",
         [](TPopGenDataSet& d) { return RemoveMonomorphicAbsences(d, 1); },
         1,
         {1, 1, 0, 1, 1, 1}},
        {"monomorphic presences",
         [](TPopGenDataSet& d) { return RemoveMonomorphicPresences(d, 1); },
         2,
         {0, 0, 1, 1, 1, 1}},
        {"band frequency > 80 %",
         [](TPopGenDataSet& d) { return RemoveLocHighFreq(d, 1, 0.8L); },
         1,
         {0, 1, 1, 1, 1, 1}},
        {"band frequency < 40 %",
         [](TPopGenDataSet& d) { return RemoveLocLowFreq(d, 1, 0.4L); },
         3,
         {1, 1, 0, 0, 0, 1}},
    };
    for (const auto& c : cases) {
        Load(rows);
        EXPECT_EQ(c.filter(ds), c.removed) << c.name;
        EXPECT_EQ(ds.Layers[1].LocMask, c.kept) << c.name;
        EXPECT_EQ(ds.Layers[1].NLoci, 6 - c.removed) << c.name;
        EXPECT_TRUE(errors.empty()) << c.name;
    }
    // A locus of 5 presences and 5 missing cells is monomorphic; of 4 presences and 5 missing not.
    Load({"11", "11", "11", "11", "19", "99", "99", "99", "99", "99"});
    ASSERT_EQ(RemoveMonomorphicLoci(ds, 1), 1u);
    EXPECT_EQ(ds.Layers[1].LocNames, AString{"L2"});
    Load(rows);
    EXPECT_EQ(RemoveLocLowFreq(ds, 1, 0.0L), 0u);
}

TEST_F(Filters, IndividualRulesAndNames) {
    // Individuals of four loci: 25 % missing; 50 % bands; 100 % bands; no band.
    Load({"1900", "1100", "1111", "0000"});
    EXPECT_EQ(RemoveIndMD(ds, 1, 0.25L), 0u);
    EXPECT_EQ(RemoveIndMD(ds, 1, 0.2L), 1u);
    EXPECT_EQ(ds.Layers[1].IndNames, (AString{"I2", "I3", "I4"}));
    EXPECT_EQ(ds.Layers[1].IndMask, (AByte{0, 1, 1, 1}));
    EXPECT_EQ(RemoveIndHighFreq(ds, 1, 0.5L), 1u);
    EXPECT_EQ(ds.Layers[1].IndNames, (AString{"I2", "I4"}));
    EXPECT_EQ(RemoveIndLowFreq(ds, 1, 0.5L), 1u);
    EXPECT_EQ(ds.Layers[1].IndNames, AString{"I2"});
    EXPECT_EQ(ds.Layers[1].IndMask, (AByte{0, 1, 0, 0}));
    EXPECT_EQ(Rows(), Rows_{"1100"});
}

TEST_F(Filters, RemovingEverythingIsRefusedAndChangesNothing) {
    const struct {
        std::function<std::size_t(TPopGenDataSet&)> filter;
        const char* message;
    } cases[] = {
        {[](TPopGenDataSet& d) { return RemoveLocHighFreq(d, 1, 0.9L); },
         "The current setting would result in removal of ALL loci.\r\nOperation was aborted."},
        {[](TPopGenDataSet& d) { return RemoveMonomorphicPresences(d, 1); },
         "Removing monomorphic loci (presences) would result in removal of ALL loci.\r\nOperation was aborted."},
        {[](TPopGenDataSet& d) { return RemoveIndHighFreq(d, 1, 0.1L); },
         "The current setting would result in removal of ALL individuals.\r\nOperation was aborted."},
    };
    for (const auto& c : cases) {
        Load({"11", "11"});
        ds.Layers[1].DistMatrix = {1.0L};
        errors.clear();
        EXPECT_EQ(c.filter(ds), 0u);
        EXPECT_EQ(errors, Rows_{c.message});
        EXPECT_EQ(ds.Layers[1].NLoci, 2u);
        EXPECT_EQ(ds.Layers[1].DistMatrix.size(), 1u);
    }
    // Quiet mode: the monomorphic refusals only set QuietFailures.
    Load({"11", "11"});
    errors.clear();
    ds.QuietMode = 1;
    EXPECT_EQ(RemoveMonomorphicLoci(ds, 1), 0u);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(ds.QuietFailures, 1u);
    EXPECT_EQ(RemoveMonomorphicPresences(ds, 1), 0u);
    EXPECT_EQ(errors.size(), 1u);
}

TEST_F(Filters, InconsistentCountsAreReported) {
    Load({"12", "10"});
    EXPECT_EQ(RemoveMonomorphicLoci(ds, 1), 0u);
    EXPECT_EQ(RemoveLocMD(ds, 1, 0.5L), 0u);
    EXPECT_EQ(RemoveIndMD(ds, 1, 0.5L), 0u);
    EXPECT_EQ(errors, (Rows_{"Data matrix error.2 0 1 0 2", "Data matrix error.", "Data matrix error (RemoveIndMD)"}));
}

TEST_F(Filters, RemovalClearsTheOldDistanceResultsAndNothingRemovedKeepsThem) {
    Load({"119", "109", "110"});
    ds.Layers[1].DistMatrix = {0.5L, 0.5L, 0.5L};
    ds.Layers[1].RawMatrix = {0.5L, 0.5L, 0.5L};
    ds.Layers[1].Weights = {1, 1, 1};
    EXPECT_EQ(RemoveLocMD(ds, 1, 0.9L), 0u);
    EXPECT_EQ(ds.Layers[1].DistMatrix.size(), 3u);
    EXPECT_EQ(RemoveLocMD(ds, 1, 0.5L), 1u);
    EXPECT_TRUE(ds.Layers[1].DistMatrix.empty());
    EXPECT_TRUE(ds.Layers[1].RawMatrix.empty());
    EXPECT_TRUE(ds.Layers[1].Weights.empty());
    EXPECT_EQ(ds.Layers[1].SourceLayer, 0);
}

TEST_F(Filters, TheLoadedDataIsNeverFilteredInPlace) {
    Load({"119", "109", "110"});
    ds.CurLayer = 0;
    const AByte original = ds.Layers[0].Matrix;
    ASSERT_EQ(RemoveLocMD(ds, 0, 0.5L), 1u);
    EXPECT_EQ(ds.CurLayer, 1);
    EXPECT_EQ(ds.Layers[0].Matrix, original);
    EXPECT_EQ(ds.Layers[1].SourceLayer, 0);
    EXPECT_EQ(ds.Layers[1].MaskRefLayer, 0);
    EXPECT_EQ(ds.Layers[1].LocMask, (AByte{1, 1, 0}));
    EXPECT_EQ(Rows(), (Rows_{"11", "10", "11"}));
    // Replacing missing cells of the loaded data fills layer 3 with masks over the loaded data.
    ds.CurLayer = 0;
    RandomStream random(1);
    ASSERT_TRUE(ReplaceMissingData(ds, 3, 1.0L, random));
    EXPECT_EQ(ds.Layers[3].MaskRefLayer, 0);
    EXPECT_EQ(ds.Layers[0].Matrix, original);
    ds.CurLayer = 0;
    ASSERT_TRUE(ReplaceMissingData(ds, 0, 0.0L, random));  // never in place on the loaded data
    EXPECT_EQ(ds.CurLayer, 1);
    EXPECT_EQ(ds.Layers[0].Matrix, original);
}

TEST_F(Filters, AFilterAfterASelectionKeepsTheMasksOverTheLoadedData) {
    Load({"1190", "0090", "1101", "0000"}, {{"A", {0, 1, 2}}}, {{"Some", {1, 2, 3}}});
    ASSERT_TRUE(ds.Select(1, 1));             // individuals 1-3 by loci 2-4
    ASSERT_EQ(RemoveLocMD(ds, 2, 0.5L), 1u);  // locus 3: 2 of 3 missing
    EXPECT_EQ(ds.CurLayer, 2);
    EXPECT_EQ(ds.Layers[2].LocMask, (AByte{0, 1, 0, 1}));
    EXPECT_EQ(ds.Layers[2].IndMask, (AByte{1, 1, 1, 0}));
    EXPECT_EQ(ds.Layers[2].LocNames, (AString{"L2", "L4"}));
    ASSERT_EQ(RemoveIndLowFreq(ds, 2, 0.5L), 1u);  // individual 2: no band of the two
    EXPECT_EQ(ds.Layers[2].IndMask, (AByte{1, 0, 1, 0}));
    EXPECT_EQ(Rows(), (Rows_{"10", "11"}));
    // A selection taken from the filtered working copy leaves the removed locus out.
    Load({"1190", "1091", "1101", "0000"}, {{"A", {0, 1, 2}}});
    ASSERT_EQ(RemoveLocMD(ds, 1, 0.4L), 1u);
    ASSERT_TRUE(ds.Select(1, 0));
    EXPECT_EQ(ds.Layers[2].LocNames, (AString{"L1", "L2", "L4"}));
}

TEST_F(Filters, SubMask) {
    AByte result{7};
    ASSERT_TRUE(MakeNEwMaskFromSubMask(ds, {1, 0, 1, 1}, {0, 1, 1}, result));
    EXPECT_EQ(result, (AByte{0, 0, 1, 1}));
    EXPECT_FALSE(MakeNEwMaskFromSubMask(ds, {}, {}, result));
    EXPECT_EQ(errors, Rows_{"MakeNEwMaskFromSubMask ERROR: TemplateMask has not been assigned a length"});
}

TEST_F(Filters, ReplaceMissingDataDrawsOncePerMissingCellInLocusOrder) {
    Load({"1990", "9099", "0191"}, {{"A", {0, 2}}});
    ASSERT_TRUE(ds.Select(1, 0));
    const std::uint32_t seed = 4711;
    RandomStream random(seed);
    ASSERT_TRUE(ReplaceMissingData(ds, 3, 0.5L, random));
    EXPECT_EQ(ds.CurLayer, 3);
    const TDSLayer& t = ds.Layers[3];
    EXPECT_EQ(t.Name, "Missing Data Replaced");
    EXPECT_EQ(t.IndNames, (AString{"I1", "I3"}));
    EXPECT_EQ(t.IndMask, (AByte{1, 0, 1}));
    EXPECT_EQ(t.SourceLayer, 2);
    // Missing cells of the selection (I1 "1990", I3 "0191"), locus-major: (1,2), (1,3), (2,3).
    RandomStream expected(seed);
    std::string cells;
    for (int k = 0; k < 3; ++k) cells += 0.5L >= expected.RandomFloat() ? '1' : '0';
    EXPECT_EQ(Rows(), (Rows_{std::string("1") + cells[0] + cells[1] + "0", std::string("01") + cells[2] + "1"}));
    EXPECT_EQ(random.Seed, expected.Seed);

    // p = 0 and p = 1 draw nothing; the replaced layer can be filtered further.
    for (const Extended p : {1.0L, 0.0L}) {
        ds.CurLayer = 1;
        RandomStream none(seed);
        ASSERT_TRUE(ReplaceMissingData(ds, 3, p, none));
        EXPECT_EQ(none.Seed, seed);
        EXPECT_EQ(Rows(), p == 0 ? (Rows_{"1000", "0000", "0101"}) : (Rows_{"1110", "1011", "0111"}));
    }
    ASSERT_EQ(RemoveIndLowFreq(ds, 3, 0.2L), 1u);
    EXPECT_EQ(ds.Layers[3].IndNames, (AString{"I1", "I3"}));
    EXPECT_EQ(ds.Layers[3].IndMask, (AByte{1, 0, 1}));

    RandomStream unused(seed);
    EXPECT_FALSE(ReplaceMissingData(ds, 3, 1.5L, unused));
    EXPECT_EQ(errors.size(), 1u);
}

}  // namespace
