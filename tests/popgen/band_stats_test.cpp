#include "popgen/data/band_stats.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "grouped_bands.h"
#include "popgen/analyses/band_profiles.h"
#include "popgen/analyses/bi_allele.h"
#include "popgen/data/group_levels.h"

namespace {

struct BandStats : GroupedBands, ::testing::Test {};

TEST_F(BandStats, CountsPerIndividualAndLocus) {
    Load({"1109", "0191", "9100"});
    EXPECT_EQ(CountIndState(ds, 1, kPresent), 2u);
    EXPECT_EQ(CountIndState(ds, 1, kMissing), 1u);
    EXPECT_EQ(CountLocState(ds, 3, kMissing), 1u);
    EXPECT_EQ(CountLocState(ds, 1, kAbsent), 1u);
    EXPECT_EQ(CountLocStateInLayer(ds, 0, 2, kPresent), 3u);
    EXPECT_EQ(GetState(ds, 2, 3), kMissing);
    EXPECT_EQ(GetState(ds, 3, 2), kPresent);
    EXPECT_EQ(CountPresences(ds), 5u);
    // Out of range: nothing counted, no cell read.
    EXPECT_EQ(CountIndState(ds, 0, kPresent), 0u);
    EXPECT_EQ(CountIndState(ds, 4, kPresent), 0u);
    EXPECT_EQ(CountLocState(ds, 5, kPresent), 0u);
    EXPECT_EQ(CountLocStateInLayer(ds, 9, 1, kPresent), 0u);
}

TEST_F(BandStats, MissingFractions) {
    // Eight loci, one missing: one eighth.
    Load({"19000000", "11111111"});
    EXPECT_EQ(IndMissingFraction(ds, 1), 0.125L);
    EXPECT_EQ(IndMissingFraction(ds, 2), 0.0L);
    EXPECT_EQ(LocMissingFraction(ds, 2), 0.5L);
    EXPECT_EQ(PercentMissing(ds), 100.0L / 16.0L);
    TPopGenDataSet empty;
    EXPECT_EQ(PercentMissing(empty), 0.0L);
}

TEST_F(BandStats, LocusClassesWithMissingCells) {
    // Columns: 3 p + 3 m (fixed presence); 2 p + 4 m (polymorphic); all missing (polymorphic);
    // all absent (fixed absence); 1 p 5 a (polymorphic); 3 a 3 m (fixed absence).
    Load({"119010", "119000", "199000", "999009", "999009", "999009"});
    EXPECT_EQ(NumFixedBands(ds), 1u);
    EXPECT_TRUE(IsPolymorphicLocus(ds, 2));
    EXPECT_TRUE(IsPolymorphicLocus(ds, 3));
    EXPECT_FALSE(IsPolymorphicLocus(ds, 1));
    EXPECT_FALSE(IsPolymorphicLocus(ds, 6));
    EXPECT_EQ(NumPolymorphicLoci(ds), 3u);
    EXPECT_EQ(NumMonomorphicLoci(ds, {.FixedPresent = true, .FixedAbsent = true}), 3u);
    EXPECT_EQ(NumMonomorphicLoci(ds, {.FixedPresent = true}), 1u);
    EXPECT_EQ(NumMonomorphicLoci(ds, {.FixedAbsent = true}), 2u);
    EXPECT_TRUE(errors.empty());
}

TEST_F(BandStats, MonomorphicCountRefusesABrokenMatrix) {
    Load({"11", "12"});
    EXPECT_EQ(NumMonomorphicLoci(ds, {.FixedPresent = true, .FixedAbsent = true}), 0u);
    EXPECT_EQ(errors, std::vector<std::string>{"Data matrix error."});
}

TEST_F(BandStats, MeanBandsPerIndividual) {
    Load({"1190", "1000", "1111"});
    Extended mean, sd, var;
    MeanBandsPerInd(ds, mean, sd, var);
    EXPECT_EQ(mean, 7.0L / 3.0L);
    EXPECT_NEAR(static_cast<double>(var), 7.0 / 3.0, 1e-15);  // x = 2, 1, 4
    EXPECT_NEAR(static_cast<double>(sd * sd), 7.0 / 3.0, 1e-15);
    MeanBandsPerIndMD(ds, mean, sd, var);
    EXPECT_EQ(mean, 8.0L / 3.0L);  // x = 3, 1, 4

    Load({"1190"});
    MeanBandsPerInd(ds, mean, sd, var);
    EXPECT_EQ(mean, 2.0L);
    EXPECT_EQ(sd, -1.0L);
    EXPECT_EQ(var, -1.0L);
}

TEST_F(BandStats, BandFrequencies) {
    Load({"1190", "1000", "1111", "0000"});
    AExt ind;
    IndBandFreqs(ds, ind);
    EXPECT_EQ(ind, (AExt{0.5L, 0.25L, 1.0L, 0.0L}));
    AExt loc;
    ASSERT_TRUE(LocusBandFreqs(ds, true, loc));
    EXPECT_EQ(loc, (AExt{0.75L, 0.5L, 0.25L, 0.25L}));
    EXPECT_EQ(ds.GetCurrLayer().LocFreqDivisor, 4u);
    ASSERT_TRUE(LocusBandFreqs(ds, false, loc));
    EXPECT_EQ(loc, (AExt{3.0L / 7, 2.0L / 7, 1.0L / 7, 1.0L / 7}));
    EXPECT_EQ(ds.GetCurrLayer().LocFreqDivisor, 7u);
    Load({"00", "09"});
    ASSERT_TRUE(LocusBandFreqs(ds, false, loc));  // no presence at all: no division by zero
    EXPECT_EQ(loc, (AExt{0.0L, 0.0L}));
}

TEST_F(BandStats, GroupFrequenciesKeepTheSelectionAndSwitchFromASelection) {
    Load({"1100", "1000", "0110", "0011"}, {{"A", {0, 1}}, {"B", {2, 3}}}, {{"Odd", {0, 2}}});
    ASSERT_TRUE(ds.Select(1, 1));
    ASSERT_EQ(ds.CurLayer, 2);
    AAExt freqs;
    ASSERT_TRUE(GrpFreqPerLoc(ds, AByte{1, 0, 1}, true, freqs));
    EXPECT_EQ(warnings, std::vector<std::string>{"GrpFreqPerLoc: Switching to AllData"});
    EXPECT_EQ(ds.CurLayer, 1);
    EXPECT_EQ(ds.CurGroup, 1u);
    EXPECT_EQ(ds.CurLocusSet, 1u);
    // Locus set "Odd" = loci 1 and 3; AllData, then group B.
    ASSERT_EQ(freqs.size(), 2u);
    EXPECT_EQ(freqs[0], (AExt{0.5L, 0.5L}));
    EXPECT_EQ(freqs[1], (AExt{0.0L, 1.0L}));
    ASSERT_TRUE(GrpFreqPerLoc(ds, AByte{0, 1, 0}, false, freqs));
    EXPECT_EQ(freqs, (AAExt{{1.0L, 0.0L}}));

    const struct {
        AByte mask;
        const char* error;
    } refusals[] = {{{1, 1}, "GrpFreqPerLoc: Filter lengths do not match"},
                    {{0, 0, 0}, "GrpFreqPerLoc: Empty selection."}};
    for (const auto& r : refusals) {
        errors.clear();
        EXPECT_FALSE(GrpFreqPerLoc(ds, r.mask, true, freqs));
        EXPECT_EQ(errors, std::vector<std::string>{r.error});
    }
    Load({"10"});
    errors.clear();
    EXPECT_FALSE(GrpFreqPerLoc(ds, AByte{1}, true, freqs));
    EXPECT_EQ(errors, std::vector<std::string>{"GrpFreqPerLoc: No usable Groups defined!"});
}

TEST_F(BandStats, SmallHelpers) {
    AString target{"x"};
    EXPECT_FALSE(MaskStrs(target, {"a", "b"}, {1}));
    EXPECT_EQ(target, AString{"x"});
    EXPECT_TRUE(MaskStrs(target, {"a", "b", "c"}, {1, 0, 1}));
    EXPECT_EQ(target, (AString{"a", "c"}));
    CopyStrArray(target, {"q"});
    EXPECT_EQ(target, AString{"q"});
    Load({"10", "01"}, {{"A", {0}}});
    AByte mask;
    GroupMaskAll(ds, false, mask);
    EXPECT_EQ(mask, (AByte{0, 1}));
    GroupMaskAll(ds, true, mask);
    EXPECT_EQ(mask, (AByte{1, 1}));
    Load({"10"});
    GroupMaskAll(ds, false, mask);
    EXPECT_EQ(mask, AByte{1});
}

// ---- band profiles and private bands -----------------------------------------------------------

struct Profiles : GroupedBands, ::testing::Test {
    // Loci: 1 only in A, everyone of A (with a missing cell); 2 only in A, not fixed; 3 in A and
    // B; 4 only in B, fixed; 5 nowhere.
    void SetUp() override {
        Load({"11100", "10900", "91100", "00110", "00110"}, {{"Pop/A", {0, 1, 2}}, {"Pop/B", {3, 4}}});
    }
};

TEST_F(Profiles, AdditiveAndFixedProfileLayers) {
    ASSERT_TRUE(AdditiveBandProfile(ds));
    EXPECT_EQ(ds.CurLayer, 3);
    const TDSLayer& p = ds.Layers[3];
    EXPECT_EQ(p.Name, "Additive Band Profile");
    EXPECT_EQ(p.IndNames, (AString{"A", "B"}));
    EXPECT_EQ(p.LocNames, (AString{"L1", "L2", "L3", "L4", "L5"}));
    EXPECT_EQ(p.IndMask, (AByte{1, 1}));
    EXPECT_EQ(p.SourceLayer, kNoLayer);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"11100", "00110"}));
    ds.CurLayer = 1;
    ASSERT_TRUE(FixedBandProfile(ds));
    EXPECT_EQ(ds.Layers[3].Name, "Fixed Band Profile");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"10100", "00110"}));
}

TEST_F(Profiles, ProfilesFollowTheLocusSetAndRefuseASelection) {
    Load({"11100", "10900", "91100", "00110", "00110"}, {{"Pop/A", {0, 1, 2}}, {"Pop/B", {3, 4}}}, {{"Some", {1, 3}}});
    ds.CurLocusSet = 1;
    ASSERT_TRUE(AdditiveBandProfile(ds));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"10", "01"}));
    EXPECT_EQ(ds.Layers[3].LocNames, (AString{"L2", "L4"}));
    // A selection is current: refused with a report, not a silent success.
    ASSERT_TRUE(ds.Select(1, 0));
    errors.clear();
    EXPECT_FALSE(FixedBandProfile(ds));
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_EQ(ds.CurLayer, 2);
}

TEST_F(Profiles, OnlyAllDataDoesNothing) {
    Load({"10", "01"});
    EXPECT_FALSE(AdditiveBandProfile(ds));
    EXPECT_EQ(ds.CurLayer, 1);
    EXPECT_FALSE(ds.Layers[3].HasMatrix());
    EXPECT_TRUE(errors.empty());
    std::vector<std::size_t> counts;
    EXPECT_FALSE(PrivateBands(ds, counts));
    EXPECT_FALSE(FixedPrivateBands(ds, counts));
    EXPECT_EQ(errors,
              (std::vector<std::string>{"privatebands error: indfilter", "fixedprivatebands error: indfilter"}));
}

TEST_F(Profiles, PrivateAndFixedPrivateBands) {
    std::vector<std::size_t> counts;
    ASSERT_TRUE(PrivateBands(ds, counts));
    EXPECT_EQ(counts, (std::vector<std::size_t>{2, 1}));
    ASSERT_TRUE(FixedPrivateBands(ds, counts));
    EXPECT_EQ(counts, (std::vector<std::size_t>{1, 1}));
    EXPECT_EQ(ds.CurLayer, 1);
    EXPECT_FALSE(ds.Layers[3].HasMatrix());
}

TEST_F(Profiles, PrivateBandsKeepAFilteredWorkingCopy) {
    // The working copy without locus 1 (as a filter leaves it), then a group selected.
    ASSERT_TRUE(ds.MakeSubsetLayer(0, 1, 0, 0));
    TDSLayer& w = ds.Layers[1];
    AByte keep{0, 1, 1, 1, 1};
    AByte cells;
    for (std::size_t l = 1; l < 5; ++l)
        for (std::size_t i = 0; i < 5; ++i) cells.push_back(w.Matrix[l * 5 + i]);
    w.Matrix = cells;
    w.NLoci = 4;
    w.NCells = 20;
    w.LocMask = keep;
    w.LocNames.erase(w.LocNames.begin());
    ASSERT_TRUE(ds.Select(2, 0));
    std::vector<std::size_t> counts;
    ASSERT_TRUE(PrivateBands(ds, counts));
    EXPECT_EQ(counts, (std::vector<std::size_t>{1, 1}));
    EXPECT_EQ(ds.CurLayer, 2);
    EXPECT_EQ(ds.CurGroup, 2u);
    EXPECT_EQ(ds.Layers[1].NLoci, 4u);
}

// ---- allele-frequency input --------------------------------------------------------------------

TEST_F(Profiles, BiAlleleRecordCountsAbsencesAndKeepsTheGroupChoice) {
    ASSERT_TRUE(FillBiAlleleRec(ds, {.UseMissing = true, .WithoutAllData = true, .MissingFraction = 0.5f}));
    const TBiAlleleRec& r = *ds.Layers[1].BiAllele;
    EXPECT_EQ(r.NGroups, 2u);
    EXPECT_EQ(r.NLoci, 5u);
    EXPECT_FALSE(r.IncludesAllData);
    EXPECT_EQ(r.GroupNames, (AString{"Pop/B", "Pop/A"}));  // last group first
    EXPECT_EQ(r.GroupSizes, (std::vector<std::size_t>{2, 3}));
    EXPECT_EQ(r.AbsenceCounts[0], (AExt{2, 2, 0, 0, 2}));
    EXPECT_EQ(r.AbsenceCounts[1], (AExt{0.5L, 1.0L, 0.5L, 3, 3}));  // a missing cell counts half
    EXPECT_EQ(r.Method, 0);
    // The exclusion was this run's only.
    EXPECT_TRUE(ds.GroupSelMask.empty());
    ASSERT_TRUE(FillBiAlleleRec(ds, {.MissingFraction = 0.5f}));
    const TBiAlleleRec& all = *ds.Layers[1].BiAllele;
    EXPECT_EQ(all.NGroups, 3u);
    EXPECT_TRUE(all.IncludesAllData);
    EXPECT_EQ(all.GroupNames.back(), "AllData");
    EXPECT_EQ(all.AbsenceCounts[1], (AExt{0, 1, 0, 3, 3}));

    ds.Layers[1].LocMask.clear();
    EXPECT_FALSE(FillBiAlleleRec(ds, {.MissingFraction = 0.5f}));
    EXPECT_EQ(errors, std::vector<std::string>{"pLM nil"});
}

// ---- group levels ------------------------------------------------------------------------------

TEST_F(BandStats, GroupLevels) {
    TPopGenDataSet none;
    EXPECT_EQ(GroupLevels(none), 0u);
    Load({"1", "0", "1"});
    EXPECT_EQ(GroupLevels(ds), 1u);
    EXPECT_EQ(CountGroupsAtLevel(ds, 0), 1u);
    EXPECT_EQ(CountGroupsAtLevel(ds, 1), 0u);
    Load({"1", "0", "1"}, {{"AllData/A", {0, 1}}, {"AllData/A/x", {0}}});
    EXPECT_EQ(GroupLevels(ds), 3u);
    EXPECT_EQ(GroupLevel(ds, 0), 1);
    EXPECT_EQ(GroupLevel(ds, 2), 3);
    EXPECT_EQ(GroupLevel(ds, 3), 0);
    EXPECT_EQ(CountGroupsAtLevel(ds, 2), 1u);
    AString names;
    GroupNamesAtLevel(ds, 3, names);
    EXPECT_EQ(names, AString{"AllData/A/x"});
    // An index past 255 is its own group, not an alias of a small one.
    TFilterArray many(300);
    many[300 - 1].Name = "a/b/c/d";
    EXPECT_EQ(GroupLevelOf(many, 299), 4);
    EXPECT_EQ(GroupLevelOf(many, 299 - 256), 1);
    EXPECT_EQ(GroupLevelOf(many, 300), 0);
}

TEST_F(BandStats, IndividualByName) {
    Load({"1", "0", "1"});
    EXPECT_EQ(IndIndexByName(ds, "I2"), 2u);
    EXPECT_EQ(IndIndexByName(ds, "I9"), 0u);
    EXPECT_EQ(IndIndexByName(ds, "i2"), 0u);
    ds.Layers[1].IndNames.clear();
    EXPECT_EQ(IndIndexByName(ds, "I2"), 0u);
}

}  // namespace
