#include "popgen/analyses/shannon.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/random.h"
#include "grouped_bands.h"
#include "popgen/data/filters.h"
#include "popgen/data/resampling.h"

namespace {

bool SameBits(Extended a, Extended b) { return std::memcmp(&a, &b, 10) == 0; }

// Four individuals; loci with 2, 1, 1 and 0 presences: frequencies 1/2, 1/4, 1/4, 0 of all presences.
const std::vector<std::string> kFourLoci = {"1110", "1000", "0000", "0000"};

// Eight individuals over twelve loci in two groups; North (0-3) has polymorphic loci, Mono (4, 5)
// is identical across every locus.
const std::vector<std::string> kGroups = {"110100111010", "110110101910", "100101111011", "110101111010",
                                          "011011010101", "011011010101", "011111010191", "111011010100"};

class Shannon : public ::testing::Test {
protected:
    GroupedBands data;
    TPopGenDataSet& ds = data.ds;
    void LoadGroups() { data.Load(kGroups, {{"North", {0, 1, 2, 3}}, {"Mono", {4, 5}}, {"South", {4, 5, 6, 7}}}); }
};

TEST_F(Shannon, IndexAndBowmanVarianceInEveryBase) {
    data.Load(kFourLoci);
    ShannonValue v;
    ASSERT_TRUE(ShannonVarSD(ds, {}, true, v));
    // H2 = 1.5 bits; V2 = (2.5 - 2.25) / 4 + 3 / 32.
    EXPECT_EQ(v.H, 1.5L);
    EXPECT_EQ(v.Variance, 0.15625L);
    EXPECT_EQ(v.SD, std::sqrt(0.15625L));
    ShannonValue nats, ten, base10, base4;
    ASSERT_TRUE(ShannonVarSD(ds, {ShannonScale::Nats}, true, nats));
    EXPECT_NEAR(static_cast<double>(nats.H), 1.5 * std::log(2.0), 1e-15);
    EXPECT_NEAR(static_cast<double>(nats.Variance), 0.15625 * std::log(2.0) * std::log(2.0), 1e-15);
    ASSERT_TRUE(ShannonVarSD(ds, {ShannonScale::Decimal}, true, ten));
    ASSERT_TRUE(ShannonVarSD(ds, {ShannonScale::Base, 10.0L}, true, base10));
    EXPECT_TRUE(SameBits(ten.H, base10.H));
    EXPECT_TRUE(SameBits(ten.Variance, base10.Variance));
    ASSERT_TRUE(ShannonVarSD(ds, {ShannonScale::Base, 4.0L}, true, base4));
    EXPECT_EQ(base4.H, 0.75L);
    // Per individual: 1/2, 1/4, 1/4 again (four individuals), so the same index.
    ShannonValue perInd;
    ASSERT_TRUE(ShannonVarSD(ds, {ShannonScale::Bits, 2.0L, true}, true, perInd));
    EXPECT_EQ(perInd.H, 1.5L);
    EXPECT_TRUE(data.errors.empty());
}

TEST_F(Shannon, NoPresencesGiveZeroIndexAndTheLociTerm) {
    data.Load({"000", "000"});
    ShannonValue v;
    ASSERT_TRUE(ShannonVarSD(ds, {}, true, v));
    EXPECT_EQ(v.H, 0.0L);
    EXPECT_EQ(v.Variance, 2.0L / 8.0L);  // (S - 1) / (2 N^2)
}

TEST_F(Shannon, UnusableScalesAndLayersAreRefused) {
    data.Load(kFourLoci);
    ShannonValue v;
    EXPECT_FALSE(ShannonVarSD(ds, {CodeOf<ShannonScale>(7)}, true, v));
    for (const Extended base : {1.0L, 0.0L, -2.0L, std::numeric_limits<Extended>::infinity()})
        EXPECT_FALSE(ShannonVarSD(ds, {ShannonScale::Base, base}, true, v));
    ds.CurLayer = 3;
    EXPECT_FALSE(ShannonVarSD(ds, {}, true, v));
    ASSERT_EQ(data.errors.size(), 6u);
    EXPECT_EQ(data.errors[0], ".ShannonVarSD - Unknown ShannonScaleMode");
    EXPECT_EQ(ds.ErrorCount(), 6u);
}

TEST_F(Shannon, GroupIndexWorksOnTheGroupAndRestoresTheLayer) {
    LoadGroups();
    ShannonValue group, selected;
    ASSERT_TRUE(GrpShannonVarSD(ds, 1, {}, true, ProgramRandom(), group));
    EXPECT_EQ(ds.CurLayer, 1);
    // The same as the group selected and its monomorphic loci removed by hand.
    ASSERT_TRUE(ds.SelectGroup(1));
    RemoveMonomorphicLoci(ds, 3);
    ASSERT_TRUE(ShannonVarSD(ds, {}, true, selected));
    EXPECT_TRUE(SameBits(group.H, selected.H));
    EXPECT_TRUE(SameBits(group.Variance, selected.Variance));
    // From a selection the group is cut from the working copy, which stays current.
    ds.CurLayer = 2;
    ASSERT_TRUE(GrpShannonVarSD(ds, 1, {}, true, ProgramRandom(), group));
    EXPECT_EQ(ds.CurLayer, 1);
    // A group without polymorphic loci is refused; quiet mode is over.
    EXPECT_FALSE(GrpShannonVarSD(ds, 2, {}, true, ProgramRandom(), group));
    EXPECT_EQ(data.errors.back(), "GrpShannonVarSD Error: (Grp2): no loci to work on. Aborting rountine.");
    EXPECT_EQ(ds.CurLayer, 1);
    EXPECT_EQ(ds.QuietMode, 0);
    EXPECT_EQ(ds.QuietFailures, 0u);
}

TEST_F(Shannon, BootstrapIsTheReplicatesBuiltByHandAndComesFromTheSeed) {
    LoadGroups();
    const ShannonOptions options{ShannonScale::Bits, 2.0L, false, true, 0.5L};
    const ShannonBootstrap bootstrap{5, false, true};
    RandSeed = 2024;
    ShannonValue v;
    AExt values;
    ASSERT_TRUE(BsShannonVarSD(ds, options, bootstrap, ProgramRandom(), v, values));
    ASSERT_EQ(values.size(), 5u);
    EXPECT_EQ(ds.CurLayer, 1);
    RandSeed = 2024;
    GroupedBands other;
    other.Load(kGroups);
    AExt expected;
    while (expected.size() < 5) {
        TPopGenDataSet& o = other.ds;
        o.CurLayer = 1;
        ASSERT_TRUE(InitLayerLikeCurrent(o, 4, false));
        ASSERT_TRUE(BootstrapLoci(o, 4, {}, ProgramRandom()));
        o.CurLayer = 4;
        ASSERT_TRUE(ReplaceMissingData(o, 4, 0.5L, ProgramRandom()));
        o.Layers[4].IndMask.assign(8, 1);
        o.Layers[4].LocMask.assign(12, 1);
        o.Layers[4].MaskRefLayer = 4;
        RemoveMonomorphicLoci(o, 4);
        ShannonValue r;
        ASSERT_TRUE(ShannonVarSD(o, {}, true, r));
        if (r.H > 0.0L) expected.push_back(r.H);
    }
    EXPECT_EQ(values, expected);
    Extended mean = 0.0L, ss = 0.0L;
    for (const Extended h : values) mean += h / 5.0L;
    for (const Extended h : values) ss += (h - mean) * (h - mean);
    EXPECT_NEAR(static_cast<double>(v.H), static_cast<double>(mean), 1e-15);
    EXPECT_NEAR(static_cast<double>(v.Variance), static_cast<double>(ss / 4.0L), 1e-15);
}

TEST_F(Shannon, GroupBootstrapEqualsTheBootstrapOfTheSelectedGroup) {
    LoadGroups();
    const ShannonOptions options{ShannonScale::Nats, 2.0L, true, false, 0.5L};
    const ShannonBootstrap bootstrap{20, true, true};
    RandSeed = 77;
    ShannonValue group, selected;
    AExt groupValues, selectedValues;
    ASSERT_TRUE(GrpBsShannonVarSD(ds, 3, options, bootstrap, ProgramRandom(), group, groupValues));
    EXPECT_EQ(ds.CurLayer, 1);
    RandSeed = 77;
    ASSERT_TRUE(ds.SelectGroup(3));
    ASSERT_TRUE(BsShannonVarSD(ds, options, bootstrap, ProgramRandom(), selected, selectedValues));
    EXPECT_EQ(ds.CurLayer, 2);
    EXPECT_EQ(groupValues, selectedValues);
    EXPECT_TRUE(SameBits(group.Variance, selected.Variance));
}

TEST_F(Shannon, BootstrapEndsWhereNoReplicateCanCount) {
    ShannonValue v;
    AExt values;
    // Every locus monomorphic: every replicate is discarded, nReps attempts in all.
    data.Load({"1100", "1100", "1100"});
    EXPECT_FALSE(BsShannonVarSD(ds, {}, {4}, ProgramRandom(), v, values));
    EXPECT_EQ(data.errors.back(),
              "BsShannon: Could not get bootstrap replictes with >0 loci after removal of monomorphic bands");
    // One polymorphic locus: its frequency among all presences is 1, so H = 0 in every replicate.
    data.Load({"1", "0", "1"});
    EXPECT_FALSE(BsShannonVarSD(ds, {}, {6}, ProgramRandom(), v, values));
    EXPECT_EQ(data.errors.back(), "BsShannon: Could not get bootstrap replicates with a Shannon index above 0");
    // Counted when zeros are included.
    ASSERT_TRUE(BsShannonVarSD(ds, {}, {6, true}, ProgramRandom(), v, values));
    EXPECT_EQ(v.H, 0.0L);
    EXPECT_EQ(v.Variance, 0.0L);
    EXPECT_FALSE(BsShannonVarSD(ds, {}, {1}, ProgramRandom(), v, values));
    EXPECT_EQ(data.errors.back(), "BsShannonVarSD: only a single replicate selected");
    EXPECT_FALSE(GrpBsShannonVarSD(ds, 0, {}, {1}, ProgramRandom(), v, values));
    EXPECT_EQ(data.errors.back(), "GrpBsShannonVarSD: only a single replicate selected");
    EXPECT_EQ(ds.CurLayer, 1);
    EXPECT_EQ(ds.QuietMode, 0);
}

TEST_F(Shannon, BootstrapFromATemporaryLayerSwitchesToAllData) {
    LoadGroups();
    ASSERT_TRUE(ReplaceMissingData(ds, 3, 0.5L, ProgramRandom()));
    ASSERT_EQ(ds.CurLayer, 3);
    ShannonValue v;
    AExt values;
    ASSERT_TRUE(BsShannonVarSD(ds, {}, {3}, ProgramRandom(), v, values));
    EXPECT_TRUE(values.empty());  // not kept
    EXPECT_EQ(ds.CurLayer, 1);
    EXPECT_EQ(
        data.warnings,
        (std::vector<std::string>{"BsShannonVarSD: cannot perform routine in this data layer. Switching to AllData"}));
}

TEST_F(Shannon, BootstrapAtNDrawsNIndividualsPerReplicate) {
    LoadGroups();
    const ShannonBootstrap bootstrap{8, true, true};
    ShannonValue a, b;
    AExt va, vb;
    RandSeed = 5;
    ASSERT_TRUE(BsShannonVarSDAtN(ds, 3, {ShannonScale::Bits, 2.0L, true}, bootstrap, ProgramRandom(), a, va));
    RandSeed = 5;
    ASSERT_TRUE(BsShannonVarSDAtN(ds, 3, {ShannonScale::Bits, 2.0L, true}, bootstrap, ProgramRandom(), b, vb));
    EXPECT_EQ(va, vb);
    EXPECT_EQ(ds.Layers[4].NInd, 3u);
    // One individual has no polymorphic locus at all.
    EXPECT_FALSE(BsShannonVarSDAtN(ds, 1, {}, bootstrap, ProgramRandom(), a, va));
    EXPECT_FALSE(BsShannonVarSDAtN(ds, 0, {}, bootstrap, ProgramRandom(), a, va));
    EXPECT_EQ(ds.CurLayer, 1);
}

}  // namespace
