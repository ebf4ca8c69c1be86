// Null-allele frequency estimates and the chord population distances built on them.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "foundation/number_text.h"
#include "foundation/text_file.h"
#include "grouped_bands.h"
#include "numeric/gamma.h"
#include "popgen/analyses/allele_freq.h"
#include "popgen/analyses/bi_allele.h"
#include "popgen/distance/distance_matrix.h"
#include "popgen/analyses/pop_distance.h"

namespace {

// A record of groups with N individuals and absence counts per locus.
TBiAlleleRec Record(const std::vector<std::size_t>& sizes, const std::vector<AExt>& absences) {
    TBiAlleleRec rec;
    rec.NGroups = sizes.size();
    rec.NLoci = absences.empty() ? 0 : absences[0].size();
    rec.GroupSizes = sizes;
    rec.AbsenceCounts = absences;
    for (std::size_t g = 0; g < sizes.size(); ++g) rec.GroupNames.push_back("AllData/G" + std::to_string(g + 1));
    return rec;
}

TEST(AlleleFreq, EveryMethodAtNoAndFullAbsence) {
    // One group of 8: a locus with every band present (x = 0) and one without any band (x = 8).
    const Extended n = 8.0L;
    struct Case {
        const char* label;
        std::uint8_t prior;  // 255: not Bayesian
        bool lynch;
        Extended atZero, atFull;
    };
    const std::vector<Case> cases = {
        {"square root", 255, false, 0.0L, 1.0L},
        {"Lynch-Milligan", 255, true, kNotEstimated, 1.0L},
        {"uniform", 0, false, Beta(n + 1.0L, 1.0L) / Beta(n + 1.0L, 0.5L), Beta(1.0L, n + 1.0L) / Beta(1.0L, n + 0.5L)},
    };
    for (const Case& c : cases) {
        TBiAlleleRec rec = Record({8}, {{0.0L, 8.0L}});
        Reporter reporter;
        if (c.prior == 255) {
            if (c.lynch) {
                LynchMilliganFreqs(rec);
            } else {
                SqrtAlleleFreqs(rec);
            }
        } else {
            ASSERT_TRUE(BayesAlleleFreqs(reporter, rec, c.prior, 0.01L)) << c.label;
        }
        EXPECT_EQ(rec.Freq[0][0], c.atZero) << c.label;
        EXPECT_NEAR(static_cast<double>(rec.Freq[0][1]), static_cast<double>(c.atFull), 1e-18) << c.label;
    }
    // The uniform prior at x = N is (N + 0.5) / (N + 1).
    TBiAlleleRec rec = Record({8}, {{8.0L}});
    Reporter reporter;
    ASSERT_TRUE(BayesAlleleFreqs(reporter, rec, 0, 0.01L));
    EXPECT_NEAR(static_cast<double>(rec.Freq[0][0]), 8.5 / 9.0, 1e-15);
}

TEST(AlleleFreq, PriorsCorrectAZeroVarianceAtNoAndFullAbsence) {
    // Every group fixed for the band at both loci: the variance among populations (prior 1) and
    // among loci (prior 2) is 0, and the correction is added to the first count.
    for (const Extended x : {0.0L, 6.0L}) {
        for (const std::uint8_t prior : {std::uint8_t{1}, std::uint8_t{2}}) {
            TBiAlleleRec rec = Record({6, 6}, {{x, x}, {x, x}});
            std::vector<std::string> errors, warnings;
            Reporter reporter([&](const std::string& m) { errors.push_back(m); },
                              [&](const std::string& m) { warnings.push_back(m); });
            ASSERT_TRUE(BayesAlleleFreqs(reporter, rec, prior, 0.01L)) << errors[0];
            EXPECT_EQ(rec.Method, 3);
            EXPECT_EQ(rec.Prior, prior);
            for (const AExt& row : rec.Freq)
                for (const Extended q : row) EXPECT_TRUE(q >= 0.0L && q <= 1.0L) << static_cast<double>(q);
            EXPECT_EQ(rec.AbsenceCounts[0][0], x);  // the count is restored
        }
    }
    // Without a correction the variance stays 0 and the estimate is refused, the record unchanged.
    TBiAlleleRec rec = Record({6, 6}, {{0.0L, 0.0L}, {0.0L, 0.0L}});
    std::vector<std::string> errors;
    Reporter reporter([&](const std::string& m) { errors.push_back(m); });
    EXPECT_FALSE(BayesAlleleFreqs(reporter, rec, 1, 0.0L));
    EXPECT_EQ(errors, std::vector<std::string>{"Variance correction failed for locus # 1."});
    EXPECT_EQ(rec.Method, 0);
    EXPECT_TRUE(rec.Freq.empty());
    errors.clear();
    EXPECT_FALSE(BayesAlleleFreqs(reporter, rec, 2, 0.0L));
    EXPECT_EQ(errors, std::vector<std::string>{"Variance correction failed at # 1."});
}

TEST(AlleleFreq, AmongPopulationsNeedsTwoGroupsBesidesAllData) {
    TBiAlleleRec rec = Record({5, 10}, {{1.0L}, {4.0L}});
    rec.IncludesAllData = true;
    rec.GroupNames[1] = "AllData";
    std::vector<std::string> errors;
    Reporter reporter([&](const std::string& m) { errors.push_back(m); });
    EXPECT_FALSE(BayesAlleleFreqs(reporter, rec, 1, 0.01L));
    EXPECT_EQ(errors,
              std::vector<std::string>{"Need to have multiple groups to use prior from among-population information"});
    EXPECT_EQ(rec.NGroups, 2u);  // unchanged
}

TEST(AlleleFreq, EstimateAndReportThroughTheDataSet) {
    GroupedBands g;
    g.Load({"0101", "0011", "0001", "0110", "1111", "0001"}, {{"AllData/A", {0, 1, 2}}, {"AllData/B", {3, 4, 5}}});
    ASSERT_TRUE(EstimateAlleleFreqs(
        g.ds, {.Method = FreqMethod::LynchMilligan, .Correction = 0.01L, .Fill = true, .MissingFraction = 0.5f}));
    const TBiAlleleRec& rec = *g.ds.GetCurrLayer().BiAllele;
    EXPECT_EQ(rec.NGroups, 3u);  // B, A, AllData
    const AString lines = AlleleFreqReportLines(g.ds, rec);
    ASSERT_EQ(lines.size(), 3u * (4u + 4u));
    EXPECT_EQ(lines[0], "Null allele frequencies for group AllData/B");
    EXPECT_EQ(lines[1], "Calculation method: Lynch and Milligan");
    EXPECT_EQ(lines[3], "L1 ignored");  // two absences in B
    // AllData: locus 1 has 5 absences of 6.
    const Extended p = 5.0L / 6.0L;
    EXPECT_EQ(lines[16 + 3], "L1 " + ExtToStr(std::sqrt(p) / (1.0L - (1.0L - p) / (8.0L * 6.0L * p))) +
                                 " Var= " + ExtToStr((1.0L - p) / 24.0L));

    // An unknown method and a refused estimate keep the previous estimate.
    EXPECT_FALSE(EstimateAlleleFreqs(
        g.ds, {.Method = CodeOf<FreqMethod>(7), .Correction = 0.01L, .Fill = true, .MissingFraction = 0.5f}));
    EXPECT_EQ(g.errors.back(), "unknown allele estimation method");
    EXPECT_EQ(g.ds.GetCurrLayer().BiAllele->Method, 2);

    ASSERT_TRUE(EstimateAlleleFreqs(
        g.ds, {.Method = FreqMethod::Bayesian, .Correction = 0.01L, .Fill = true, .MissingFraction = 0.5f}));
    const std::string file = ::testing::TempDir() + "allele_report.txt";
    ASSERT_EQ(OutputAlleleFreqs(g.ds, file, false), 0);
    Ttf back;
    back.LoadLines(file);
    EXPECT_EQ(back.Lines[1], "Calculation method: Bayesian (uniform prior)");
    EXPECT_NE(back.Lines[3].find(" SqSE= "), std::string::npos);
}

TEST(ChordDistance, KnownValues) {
    GroupedBands g;
    g.Load({"01", "10"}, {{"AllData/A", {0}}, {"AllData/B", {1}}});
    TBiAlleleRec rec = Record({4, 4, 4, 4}, {{0, 0}, {0, 0}, {0, 0}, {0, 0}});
    rec.Method = 2;
    rec.Freq = {{0.3L, 0.0L}, {0.3L, 0.0L}, {0.3L, 1.0L}, {0.3L, kNotEstimated}};
    g.ds.GetCurrLayer().BiAllele = std::make_shared<TBiAlleleRec>(rec);
    ASSERT_TRUE(PopDist(g.ds, PopDistance::Chord, 3));
    EXPECT_EQ(g.ds.CurLayer, 3);
    EXPECT_EQ(g.ds.DistTransform, Transformation::D);
    const TDSLayer& t = g.ds.Layers[3];
    ASSERT_EQ(t.DistMatrix.size(), 10u);
    EXPECT_EQ(t.IndNames, (AString{"G1", "G2", "G3", "G4"}));
    EXPECT_EQ(t.DistMatrix[PairIndex(2, 1)], 0.0L);  // identical frequencies
    // Groups 1 and 3 differ by q = 0 against 1 at one of two loci: sqrt(2) over 2 loci.
    EXPECT_NEAR(static_cast<double>(t.DistMatrix[PairIndex(3, 1)]), 2.0 * std::sqrt(2.0) / (2.0 * std::numbers::pi),
                1e-15);
    // The marker adds nothing but still counts as a locus.
    EXPECT_EQ(t.DistMatrix[PairIndex(4, 1)], 0.0L);
    EXPECT_EQ(t.DistMatrix[PairIndex(4, 4)], 0.0L);

    const std::string file = ::testing::TempDir() + "chord_report.txt";
    ASSERT_EQ(OutputPopDist2File(g.ds, PopDistance::Chord, FreqMethod::LynchMilligan, file, false), 0);
    Ttf back;
    back.LoadLines(file);
    EXPECT_EQ(back.Count(), 4u + 4u);  // title, empty, names, 4 rows, empty
    EXPECT_EQ(back.Lines[0],
              "Population-population distances: chord distance from allele frequency estimates based on the "
              "Lynch-Milligan method.");
}

TEST(ChordDistance, RefusesAMissingEstimateAndUnknownKinds) {
    GroupedBands g;
    g.Load({"01", "10"}, {{"AllData/A", {0}}, {"AllData/B", {1}}});
    g.ds.GetCurrLayer().BiAllele = std::make_shared<TBiAlleleRec>(Record({1, 1}, {{0, 0}, {0, 0}}));
    EXPECT_FALSE(PopDist(g.ds, PopDistance::Chord, 3));
    EXPECT_EQ(g.ds.CurLayer, 1);
    EXPECT_FALSE(PopDist(g.ds, CodeOf<PopDistance>(1), 3));
    EXPECT_EQ(g.errors.back(), "Unknown population distance");
}

TEST(PopLayer, DropsOnlyAllData) {
    GroupedBands g;
    g.Load({"01", "10"}, {{"AllData/A", {0}}, {"AllData/B", {1}}});
    TBiAlleleRec rec = Record({1, 1, 2}, {{0}, {0}, {0}});
    rec.GroupNames = {"AllData/B", "AllData/A", "AllData"};
    rec.IncludesAllData = true;
    g.ds.GetCurrLayer().BiAllele = std::make_shared<TBiAlleleRec>(rec);
    ASSERT_TRUE(MakePopLayer(g.ds, 3, {.Reversed = true, .DropLast = true}));
    EXPECT_EQ(g.ds.Layers[3].IndNames, (AString{"A", "B"}));
    rec.IncludesAllData = false;
    rec.GroupNames = {"AllData/C", "AllData/B", "AllData/A"};
    g.ds.GetCurrLayer().BiAllele = std::make_shared<TBiAlleleRec>(rec);
    ASSERT_TRUE(MakePopLayer(g.ds, 3, {.Reversed = true, .DropLast = true}));
    EXPECT_EQ(g.ds.Layers[3].IndNames, (AString{"A", "B", "C"}));
}

TEST(AvgInd2PopDist, MeanOverEveryPairOfTheTwoGroups) {
    GroupedBands g;
    g.Load({"0000", "0011", "1111", "0111"}, {{"AllData/A", {0, 1}}, {"AllData/B", {2, 3}}});
    ASSERT_TRUE(CalcDistMatrix(g.ds, DistRunOptions{Treatment::Standard, Coefficient::SqEuclidean, Transformation::D},
                               ProgramRandom()));
    const Transformation before = g.ds.DistTransform;
    ASSERT_TRUE(AvgInd2PopDist(g.ds, 3));
    EXPECT_EQ(g.ds.CurLayer, 1);
    EXPECT_EQ(g.ds.DistTransform, before);
    const TDSLayer& t = g.ds.Layers[3];
    EXPECT_EQ(t.IndNames, (AString{"AllData/A", "AllData/B"}));
    // Differences: 1-3 four, 1-4 three, 2-3 two, 2-4 one; in either layer order.
    EXPECT_EQ(t.DistMatrix[PairIndex(2, 1)], 10.0L / 4.0L);
    EXPECT_EQ(t.DistMatrix[PairIndex(1, 1)], 0.0L);
}

}  // namespace
