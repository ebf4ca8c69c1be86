// The AMOVA structure from the group hierarchy, the run on the current layer, and pairwise PhiST.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/text_file.h"
#include "grouped_bands.h"
#include "popgen/analyses/amova.h"
#include "popgen/analyses/bi_allele.h"
#include "popgen/analyses/pairwise_phist.h"

namespace {

const std::vector<std::string> kRows = {"000011", "000111", "001011", "100111", "111000",
                                        "110100", "111001", "011000", "101010", "010101"};

AmovaOptions Euclid(std::uint8_t level, std::size_t permutations = 0) {
    AmovaOptions o;
    o.Level = level;
    o.Coeff = Coefficient::Euclidean;
    o.Transform = Transformation::D;
    o.Permutations = permutations;
    return o;
}

TEST(AmovaStructure, HierarchyByNamePrefixAndSlash) {
    GroupedBands g;
    g.Load(kRows, {{"AllData/R1", {0, 1, 2, 3, 4}},
                   {"AllData/R10", {5, 6, 7, 8, 9}},
                   {"AllData/R1/P1", {0, 1}},
                   {"AllData/R10/P3", {5, 6}},
                   {"AllData/R1/P2", {2, 3, 4}},
                   {"AllData/R10/P4", {7, 8, 9}}});
    TAmovaRec rec;
    ASSERT_TRUE(SetupStruc4AMOVA(g.ds, 2, rec)) << (g.errors.empty() ? "" : g.errors[0]);
    ASSERT_EQ(rec.NTopUnits, 2u);
    EXPECT_EQ(rec.NNestedPops, 4u);
    ASSERT_EQ(rec.Structure[0].size(), 2u);  // "AllData/R1" holds P1 and P2, not R10's P3
    EXPECT_EQ(rec.Structure[0][0].GroupIndex, 3u);
    EXPECT_EQ(rec.Structure[0][1].GroupIndex, 5u);
    EXPECT_EQ(rec.Structure[1][0].GroupIndex, 4u);
    EXPECT_EQ(rec.Assignment, (std::vector<std::uint32_t>{0, 0, 1, 1, 1, 2, 2, 3, 3, 3}));

    ASSERT_TRUE(SetupStruc4AMOVA(g.ds, 1, rec));
    EXPECT_EQ(rec.NTopUnits, 2u);  // the level-2 groups are the populations
    EXPECT_EQ(rec.NNestedPops, 0u);
}

TEST(AmovaStructure, FilteredWorkingCopyIsCompactedThroughItsMask) {
    GroupedBands g;
    g.Load(kRows, {{"AllData/A", {0, 1, 2, 3, 4}}, {"AllData/B", {5, 6, 7, 8, 9}}, {"Kept", {1, 2, 3, 6, 7, 8}}});
    // Layer 1 holds individuals 2-4 and 7-9 of layer 0 only.
    ASSERT_TRUE(g.ds.MakeSubsetLayer(0, 1, 3, 0));
    g.ds.Groups.pop_back();
    TAmovaRec rec;
    ASSERT_TRUE(SetupStruc4AMOVA(g.ds, 1, rec));
    EXPECT_EQ(rec.NTotal, 6u);
    EXPECT_EQ(rec.Assignment, (std::vector<std::uint32_t>{0, 0, 0, 1, 1, 1}));
    EXPECT_EQ(rec.Structure[0][0].Count, 3u);
}

TEST(AmovaStructure, RefusedDesigns) {
    struct Case {
        const char* label;
        std::vector<std::pair<std::string, std::vector<std::size_t>>> groups;
        std::uint8_t level;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"overlap", {{"AllData/A", {0, 1, 2}}, {"AllData/B", {2, 3}}}, 1, "AMOVA structure invalid"},
        {"group without populations",
         {{"AllData/A", {0, 1}}, {"AllData/A/x", {0, 1}}, {"AllData/B", {2, 3}}},
         2,
         "AMOVA error: group AllData/B holds no populations"},
        {"one population per group",
         {{"AllData/A", {0, 1}}, {"AllData/A/x", {0, 1}}, {"AllData/B", {2, 3}}, {"AllData/B/y", {2, 3}}},
         2,
         "AMOVA error: n0"},
    };
    for (const Case& c : cases) {
        GroupedBands g;
        g.Load(kRows, c.groups);
        Transformation t = Transformation::D;
        EXPECT_FALSE(AMOVA(g.ds, Euclid(c.level), ProgramRandom(), t)) << c.label;
        ASSERT_FALSE(g.errors.empty()) << c.label;
        EXPECT_EQ(g.errors.back(), c.message) << c.label;
        EXPECT_FALSE(g.ds.GetCurrLayer().Amova) << c.label;
        // No matrix was allocated for the layer on the way.
        EXPECT_TRUE(g.ds.GetCurrLayer().DistMatrix.empty()) << c.label;
    }
}

TEST(AmovaRun, SelectionGivesWayAndLayerKeepsNoMatrix) {
    GroupedBands g;
    g.Load(kRows, {{"AllData/A", {0, 1, 2, 3, 4}}, {"AllData/B", {5, 6, 7, 8, 9}}});
    ASSERT_TRUE(g.ds.Select(1, 0));
    ASSERT_EQ(g.ds.CurLayer, 2);
    Transformation t = Transformation::OneMinusS;
    ASSERT_TRUE(AMOVA(g.ds, Euclid(1, 20), ProgramRandom(), t)) << g.errors[0];
    EXPECT_EQ(g.ds.CurLayer, 1);
    EXPECT_EQ(t, Transformation::D);
    const TDSLayer& layer = g.ds.GetCurrLayer();
    ASSERT_TRUE(layer.Amova);
    EXPECT_TRUE(layer.DistMatrix.empty());
    EXPECT_TRUE(layer.RawMatrix.empty());
    EXPECT_EQ(layer.Amova->Slots.size(), 20u);
    EXPECT_EQ(layer.Amova->Observed.DfT, 9);
}

TEST(AmovaRun, LocusByLocusUsesThePolymorphicLoci) {
    std::vector<std::string> rows = kRows;
    for (std::string& r : rows) r += '1';  // a seventh locus fixed for the band
    GroupedBands g;
    g.Load(rows, {{"AllData/A", {0, 1, 2, 3, 4}}, {"AllData/B", {5, 6, 7, 8, 9}}});
    AmovaOptions o = Euclid(1, 5);
    o.LocusByLocus = true;
    Transformation t = Transformation::D;
    ASSERT_TRUE(AMOVA(g.ds, o, ProgramRandom(), t));
    const TAmovaRec& rec = *g.ds.GetCurrLayer().Amova;
    ASSERT_EQ(rec.Slots.size(), 1u);
    ASSERT_EQ(rec.Slots[0].size(), 6u);
    Extended meanPhi = 0.0L;
    for (const TAmovaRes& r : rec.Slots[0]) {
        EXPECT_NEAR(static_cast<double>(r.SSDAmong + r.SSDWP), static_cast<double>(r.SSDT), 1e-15);
        meanPhi += r.PhiST;
    }
    EXPECT_EQ(rec.Observed.PhiST, meanPhi / 6.0L);
    const AString lines = AmovaReportLines(g.ds, rec, 1, Treatment::Standard, Coefficient::Euclidean, t, true, 5);
    ASSERT_EQ(lines.size(), 5u + 3u + 6u + 1u);
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(lines[5].substr(0, 67), "Mean AMOVA results from Locus-by-Locus analysis (N= 6 loci used)\r\nM");
    EXPECT_EQ(lines[7].substr(0, 36), "Locus-by-Locus AMOVA results\r\nLocus\t");
    EXPECT_EQ(lines[8].substr(0, 3), "L1\t");
}

TEST(PairwisePhiST, MatrixMatchesOneLevelAmovaOfEachPair) {
    const std::vector<std::pair<std::string, std::vector<std::size_t>>> groups = {
        {"AllData/R/A", {0, 1, 2}}, {"AllData/R/B", {3, 4, 5, 6}}, {"AllData/C", {7, 8, 9}}};
    GroupedBands g;
    g.Load(kRows, groups);
    Transformation t = Transformation::OneMinusS;
    ASSERT_TRUE(
        PwPhiST(g.ds, Treatment::Standard, Coefficient::Jaccard, true, 3, false, 0.5f, 100, 6.0L, ProgramRandom(), t))
        << g.errors[0];
    EXPECT_EQ(t, Transformation::D);
    EXPECT_EQ(g.ds.CurLayer, 3);
    EXPECT_EQ(g.ds.DistTransform, Transformation::D);
    const TDSLayer& phi = g.ds.Layers[3];
    EXPECT_EQ(phi.IndNames, (AString{"A", "B", "C"}));
    ASSERT_EQ(phi.DistMatrix.size(), 6u);
    EXPECT_EQ(phi.DistMatrix[0], 0.0L);
    EXPECT_EQ(phi.DistMatrix[2], 0.0L);
    EXPECT_FALSE(phi.HasMatrix());
    EXPECT_TRUE(g.ds.Layers[1].DistMatrix.empty());

    // Entry (C, A) is the PhiST of a one-level AMOVA of the individuals of A and C alone.
    GroupedBands pair;
    pair.Load({kRows[0], kRows[1], kRows[2], kRows[7], kRows[8], kRows[9]},
              {{"AllData/A", {0, 1, 2}}, {"AllData/C", {3, 4, 5}}});
    AmovaOptions o;
    o.Coeff = Coefficient::Jaccard;
    ASSERT_TRUE(AMOVA(pair.ds, o, ProgramRandom(), t));
    EXPECT_NEAR(static_cast<double>(phi.DistMatrix[3]),
                static_cast<double>(pair.ds.GetCurrLayer().Amova->Observed.PhiST), 1e-15);
}

// The run leaves the working copy's allele-frequency record as the population distances would
// fill it, "AllData" included; a missing cell counts as 1 - share of an absence when asked for.
// A failed run gives the working copy its previous record back.
TEST(PairwisePhiST, FillsTheAlleleRecordOfTheWorkingCopy) {
    const std::vector<std::string> rows = {"090011", "000111", "001091", "100111", "111000", "110100"};
    GroupedBands g;
    g.Load(rows, {{"AllData/A", {0, 1, 2}}, {"AllData/B", {3, 4, 5}}});
    for (const bool useMissing : {false, true}) {
        SCOPED_TRACE(useMissing);
        Transformation t = Transformation::OneMinusS;
        ASSERT_TRUE(PwPhiST(g.ds, Treatment::Standard, Coefficient::Jaccard, true, 3, useMissing, 0.25f, 100, 6.0L,
                            ProgramRandom(), t));
        const std::shared_ptr<TBiAlleleRec>& rec = g.ds.Layers[1].BiAllele;
        ASSERT_TRUE(rec);
        EXPECT_EQ(rec->GroupNames, (AString{"AllData/B", "AllData/A", "AllData"}));
        // Group A at the second locus: two absences and one missing cell.
        EXPECT_EQ(rec->AbsenceCounts[1][1], useMissing ? 2.75L : 2.0L);
        EXPECT_EQ(rec->AbsenceCounts[2][1], useMissing ? 3.75L : 3.0L);
    }

    GroupedBands single;
    single.Load(rows, {{"AllData/A", {0}}, {"AllData/B", {1}}});
    const auto kept = std::make_shared<TBiAlleleRec>();
    single.ds.Layers[1].BiAllele = kept;
    Transformation t = Transformation::OneMinusS;
    EXPECT_FALSE(PwPhiST(single.ds, Treatment::Standard, Coefficient::Jaccard, true, 3, true, 0.25f, 100, 6.0L,
                         ProgramRandom(), t));
    EXPECT_EQ(single.ds.Layers[1].BiAllele, kept);
}

TEST(PairwisePhiST, DfWPZeroRestoresThePreviousLayer) {
    GroupedBands g;
    g.Load(kRows, {{"AllData/A", {0}}, {"AllData/B", {1}}, {"AllData/C", {2, 3, 4}}});
    g.ds.Layers[3].NInd = 7;  // something in the target before the run
    Transformation t = Transformation::OneMinusS;
    EXPECT_FALSE(
        PwPhiST(g.ds, Treatment::Standard, Coefficient::Jaccard, true, 3, false, 0.5f, 100, 6.0L, ProgramRandom(), t));
    ASSERT_EQ(g.errors.size(), 1u);
    EXPECT_EQ(g.errors[0].substr(0, 25), "PwPhiST fails with dfWP=0");
    EXPECT_EQ(g.ds.CurLayer, 1);
    EXPECT_EQ(g.ds.Layers[3].NInd, 0u);
    EXPECT_TRUE(g.ds.Layers[3].DistMatrix.empty());
    EXPECT_TRUE(g.ds.Layers[1].HasMatrix());
}

TEST(PairwisePhiST, TwoGroupsOfOneProfileHaveNoPhiST) {
    GroupedBands g;
    g.Load({"000011", "000011", "000011", "000011", "111000", "110100"},
           {{"AllData/A", {0, 1}}, {"AllData/B", {2, 3}}, {"AllData/C", {4, 5}}});
    Transformation t = Transformation::OneMinusS;
    EXPECT_FALSE(
        PwPhiST(g.ds, Treatment::Standard, Coefficient::Jaccard, true, 3, false, 0.5f, 100, 6.0L, ProgramRandom(), t));
    ASSERT_EQ(g.errors.size(), 1u);
    EXPECT_EQ(g.errors[0],
              "PwPhiST fails: PhiST of groups AllData/A and AllData/B is undefined (no variance within or between "
              "them)");
    EXPECT_EQ(g.ds.CurLayer, 1);
    EXPECT_TRUE(g.ds.Layers[3].DistMatrix.empty());
}

TEST(PairwisePhiST, ReportHasOneRowPerGroup) {
    GroupedBands g;
    g.Load(kRows, {{"AllData/A", {0, 1, 2}}, {"AllData/B", {3, 4, 5, 6}}, {"AllData/C", {7, 8, 9}}});
    Transformation t = Transformation::OneMinusS;
    ASSERT_TRUE(
        PwPhiST(g.ds, Treatment::Standard, Coefficient::Jaccard, true, 3, false, 0.5f, 100, 6.0L, ProgramRandom(), t));
    const std::string file = ::testing::TempDir() + "phist_report.txt";
    ASSERT_EQ(
        OutputPwPhiST2File(g.ds, Treatment::Standard, Coefficient::Jaccard, Transformation::OneMinusS, file, false), 0);
    Ttf back;
    back.LoadLines(file);
    ASSERT_EQ(back.Count(), 3u + 4u);
    EXPECT_EQ(back.Lines[0], "Pairwise PhiST values (Coefficient: Standard Jaccard. Distance Transformation: d=1-s)");
    EXPECT_EQ(back.Lines[2], "A            B            C            ");
    EXPECT_EQ(back.Lines[3], "0.0000000000 ");
}

}  // namespace
