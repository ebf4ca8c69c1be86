#include "popgen/analyses/pop_alloc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "grouped_bands.h"
#include "popgen/data/dataset.h"

#define EXPECT_EXT_NEAR(a, b, tolerance) EXPECT_LE(std::fabs((a) - (b)), (tolerance)) << (a) << " vs " << (b)

namespace {

// States [locus][individual] from one string per individual ('0', '1', '9' per locus).
AAByte States(const std::vector<std::string>& individuals) {
    AAByte m(individuals.at(0).size(), AByte(individuals.size()));
    for (std::size_t i = 0; i < individuals.size(); ++i)
        for (std::size_t k = 0; k < individuals[i].size(); ++k)
            m[k][i] = static_cast<std::uint8_t>(individuals[i][k] - '0');
    return m;
}

struct Recorded {
    std::vector<std::string> errors;
    Reporter reporter{[this](const std::string& m) { errors.push_back(m); }};
};

}  // namespace

TEST(PopReAllocLogLik, NonMembersUseThePopulationFrequencies) {
    PopAllocPopulation pop{1, {0.8L, 0.25L, 0.6L}, {4, 1, 3}, 5, {0, 0, 0}};
    const AAByte states = States({"101", "019", "999"});
    Recorded rec;
    AExt row;
    const PopAllocOptions missingAbsent{2.0L, 0.0L, true, 1e-5L};
    ASSERT_TRUE(PopReAllocLogLik(rec.reporter, pop, states, missingAbsent, row));
    ASSERT_EQ(row.size(), 3u);
    EXPECT_EXT_NEAR(row[0], std::log10(0.8L) + std::log10(0.75L) + std::log10(0.6L), 1e-17L);
    // MissingProb 0: a missing cell counts as an absence.
    EXPECT_EXT_NEAR(row[1], std::log10(0.2L) + std::log10(0.25L) + std::log10(0.4L), 1e-17L);
    EXPECT_EXT_NEAR(row[2], std::log10(0.2L) + std::log10(0.75L) + std::log10(0.4L), 1e-17L);
    // Otherwise its probability is MissingProb times the band frequency alone.
    const PopAllocOptions missingHalf{2.0L, 0.5L, true, 1e-5L};
    ASSERT_TRUE(PopReAllocLogLik(rec.reporter, pop, states, missingHalf, row));
    EXPECT_EXT_NEAR(row[1], std::log10(0.2L) + std::log10(0.25L) + std::log10(0.5L * 0.6L), 1e-17L);
    EXPECT_EXT_NEAR(row[2], std::log10(0.4L) + std::log10(0.125L) + std::log10(0.3L), 1e-17L);
    EXPECT_TRUE(rec.errors.empty());
}

TEST(PopReAllocLogLik, MembersAreLeftOutOfTheirOwnPopulation) {
    // Members 1, 3, 4 of a population of 3 with presences 2, 3, 2; individual 2 is no member. The
    // non-members' frequencies were corrected by 1/4 (3/3 became 3/4), a member's own by 1/3.
    const AAByte states = States({"110", "001", "011", "111"});
    PopAllocPopulation pop{1, {2.0L / 3, 0.75L, 2.0L / 3}, {2, 3, 2}, 3, {1, 0, 1, 1}};
    Recorded rec;
    AExt row;
    ASSERT_TRUE(PopReAllocLogLik(rec.reporter, pop, states, {2.0L, 0.0L, true, 1e-5L}, row));
    const Extended third = 1.0L / 3, twoThirds = 2.0L / 3;
    // Member 1 (110): 1/2 of the others have locus 1; 2/2 have locus 2 and 3 (corrected to 2/3).
    EXPECT_EXT_NEAR(row[0], std::log10(0.5L) + std::log10(twoThirds) + std::log10(third), 1e-17L);
    EXPECT_EXT_NEAR(row[1], std::log10(third) + std::log10(0.25L) + std::log10(twoThirds), 1e-17L);
    EXPECT_EXT_NEAR(row[2], std::log10(third) + std::log10(twoThirds) + std::log10(0.5L), 1e-17L);
    EXPECT_EXT_NEAR(row[3], std::log10(0.5L) + std::log10(twoThirds) + std::log10(0.5L), 1e-17L);

    // With a fixed epsilon the members' frequencies are corrected by it too.
    ASSERT_TRUE(PopReAllocLogLik(rec.reporter, pop, states, {2.0L, 0.0L, false, 0.01L}, row));
    EXPECT_EXT_NEAR(row[0], std::log10(0.5L) + std::log10(0.99L) + std::log10(0.01L), 1e-17L);
    EXPECT_TRUE(rec.errors.empty());
}

TEST(PopReAllocLogLik, AMembersMissingCellIsNotInThePresenceCount) {
    // One of the 2 presences among 3 members is the other's: the missing member's frequency is 2/2
    // -> corrected 2/3, then the cell has probability 0.5 · 2/3.
    PopAllocPopulation pop{1, {2.0L / 3}, {2}, 3, {1}};
    Recorded rec;
    AExt row;
    ASSERT_TRUE(PopReAllocLogLik(rec.reporter, pop, States({"9"}), {2.0L, 0.5L, true, 1e-5L}, row));
    EXPECT_EXT_NEAR(row[0], std::log10(0.5L * 2.0L / 3), 1e-17L);
}

TEST(PopReAllocLogLik, RefusesBadCellsAndProbabilitiesOfZeroOrOne) {
    const struct {
        const char* what;
        std::string states;
        PopAllocOptions options;
        std::string error;
    } cases[] = {
        {"a cell that is no state", "12", {2.0L, 0.0L, true, 1e-5L}, "PopReAlloc: DataMatrix Error. Please submit a bug report!"},
        // Epsilon 0 passes its range test, but a fixed locus then has probability 0.
        {"epsilon 0", "10", {2.0L, 0.0L, false, 0.0L}, "PopReAlloc: Serious error. Please submit a bug report!"},
        {"epsilon 1", "10", {2.0L, 0.0L, false, 1.0L}, "PopReAlloc: Serious error. Please submit a bug report!"},
    };
    for (const auto& c : cases) {
        // A member at a locus where every other member has the band.
        PopAllocPopulation pop{1, {0.75L, 0.5L}, {3, 1}, 3, {1}};
        Recorded rec;
        AExt row{7.0L};
        EXPECT_FALSE(PopReAllocLogLik(rec.reporter, pop, States({c.states}), c.options, row)) << c.what;
        EXPECT_EQ(rec.errors, std::vector<std::string>{c.error}) << c.what;
        EXPECT_EQ(row, AExt{7.0L}) << c.what;
    }
}

TEST(AllocateBest, TiesDifferencesAndTheMinimum) {
    // Three populations (groups 1, 3, 4) and five individuals.
    const AAExt logLik = {
        {-10.0L, -5.0L, -7.0L, -3.0L, -4.0L},
        {-12.0L, -5.0L, -9.0L, -8.0L, -4.0L},
        {-20.0L, -9.0L, -8.5L, -5.0L, -1.0L},
    };
    ADWord best;
    AExt diff;
    AllocateBest(logLik, {1, 3, 4}, 2.0L, best, diff);
    // A difference of exactly the minimum allocates; a smaller one does not; a tie gives 0.
    EXPECT_EQ(best, (ADWord{1, kNoAllocation, kNoAllocation, 1, 4}));
    EXPECT_EQ(diff, (AExt{2.0L, 0.0L, 1.5L, 2.0L, 3.0L}));
    AllocateBest(logLik, {1, 3, 4}, 0.0L, best, diff);
    EXPECT_EQ(best, (ADWord{1, kNoAllocation, 1, 1, 4}));
}

namespace {

// Groups over individuals named A1.. : AllData, Region/Pop1 (A1, A2), Pop2 (A3), Pop3 (A4).
struct ReportDataSet {
    Recorded rec;
    TPopGenDataSet ds{rec.reporter};
    ReportDataSet() {
        ds.Groups = {{"AllData", {"A1", "A2", "A3", "A4", "A5"}, 0, 5, {}},
                     {"Region/Pop1", {"A1", "A2"}, 0, 2, {}},
                     {"Pop2", {"A3"}, 0, 1, {}},
                     {"Pop3", {"A4"}, 0, 1, {}}};
    }
};

}  // namespace

TEST(PopReAllocReport, WritesTheTableOfTheChosenPopulations) {
    ReportDataSet data;
    TPopAllocResults r;
    r.IndNames = {"A1", "A3", "A5"};
    r.LogLik = {{-1.5L, -10.0L, -3.0L}, {-12.25L, -0.5L, -3.0L}};
    r.Diff = {10.75L, 9.5L, 0.0L};
    r.Best = {1, 3, kNoAllocation};
    Ttf report;
    ASSERT_TRUE(PopReAllocReport(data.ds, {0, 1, 0, 1}, r, {2.0L, 0.5L, true, 1e-5L}, report));
    const AString expected = {
        "Population reallocation results",
        "Frequency Correction: Duchesne & Bernatchez 2002; log-likelihood values and best allocation using minimum "
        "log-likelihood difference of 2.000000000; Missing data used by assigning probability of band of presences "
        "= 0.500000000",
        ".\tA1\tA3\tA5",
        "Pop1\t-1.500\t-10.000\t-3.000",
        "Pop3\t-12.250\t-0.500\t-3.000",
        "Log-Likelihood Difference:\t10.750\t9.500\t0.000",
        "Group_H0:\tPop1\tPop2\tAllData",
        "Allocation:\tPop1\tPop3\tNone",
        "",
    };
    EXPECT_EQ(report.Lines, expected);

    // An empty selection means every group.
    r.LogLik.insert(r.LogLik.begin() + 1, AExt{-2.0L, -2.0L, -2.0L});
    Ttf epsilon;
    ASSERT_TRUE(PopReAllocReport(data.ds, {}, r, {0.0L, 0.0L, false, 0.001L}, epsilon));
    EXPECT_EQ(epsilon.Lines[1].substr(0, 48), "Frequency Correction: epsilon = 0.001000000; log");
    EXPECT_EQ(epsilon.Lines[4], "Pop2\t-2.000\t-2.000\t-2.000");
    EXPECT_EQ(epsilon.Lines[5], "Pop3\t-12.250\t-0.500\t-3.000");
    EXPECT_TRUE(data.rec.errors.empty());
}

TEST(PopReAllocReport, RefusesASelectionThatDoesNotFitTheGroups) {
    ReportDataSet data;
    Ttf report;
    EXPECT_FALSE(PopReAllocReport(data.ds, {0, 1, 1}, {}, {}, report));
    EXPECT_EQ(data.rec.errors, std::vector<std::string>{"Population selection array is invalid"});
    EXPECT_EQ(report.Count(), 0u);
}

namespace {

// Populations A (I1-I3) and B (I4-I6), C with the members of B, and an outsider I7.
struct Populations : GroupedBands {
    Populations() {
        Load({"11", "10", "11", "00", "01", "00", "19"}, {{"Region/A", {0, 1, 2}}, {"B", {3, 4, 5}}, {"C", {3, 4, 5}}});
    }
};

}  // namespace

TEST(PopAlloc, AllocatesByTheLeaveOneOutLikelihood) {
    Populations data;
    TPopAllocResults r;
    ASSERT_TRUE(PopAlloc(data.ds, {}, {0.5L, 0.0L, true, 1e-5L}, r));
    ASSERT_EQ(r.LogLik.size(), 3u);
    // A's frequencies 3/3 and 2/3 become 3/4 and 2/3 (correction 1/4); B's 0/3 and 1/3 become 1/4, 1/3.
    // I1 leaves 2/2 (made 2/3 by the correction 1/3) and 1/2 of A.
    EXPECT_EXT_NEAR(r.LogLik[0][0], std::log10(2.0L / 3 * 0.5L), 1e-17L);
    EXPECT_EXT_NEAR(r.LogLik[1][0], std::log10(0.25L / 3), 1e-17L);
    // I4 leaves 0/2 (made 1/3) and 1/2 of B, and of C alike.
    EXPECT_EXT_NEAR(r.LogLik[1][3], std::log10(2.0L / 3 * 0.5L), 1e-17L);
    EXPECT_EQ(r.LogLik[1][3], r.LogLik[2][3]);
    // The outsider's missing cell counts as an absence.
    EXPECT_EXT_NEAR(r.LogLik[0][6], std::log10(0.75L / 3), 1e-17L);
    EXPECT_EXT_NEAR(r.LogLik[1][6], std::log10(0.25L * 2 / 3), 1e-17L);
    EXPECT_EXT_NEAR(r.Diff[0], std::log10(4.0L), 1e-17L);
    EXPECT_EQ(r.Best[0], 1u);
    EXPECT_EQ(r.Diff[3], 0.0L);  // B and C tie
    EXPECT_EQ(r.Best[3], kNoAllocation);
    EXPECT_EXT_NEAR(r.Diff[6], std::log10(1.5L), 1e-17L);  // below the minimum
    EXPECT_EQ(r.Best[6], kNoAllocation);
    EXPECT_EQ(r.IndNames, (AString{"I1", "I2", "I3", "I4", "I5", "I6", "I7"}));

    // Without C, I4 goes to B.
    ASSERT_TRUE(PopAlloc(data.ds, {0, 1, 1, 0}, {0.5L, 0.0L, true, 1e-5L}, r));
    EXPECT_EQ(r.LogLik.size(), 2u);
    EXPECT_EQ(r.Best[3], 2u);
    EXPECT_TRUE(data.errors.empty());
}

TEST(PopAlloc, RefusalsLeaveNoResult) {
    const struct {
        const char* what;
        ABool selection;
        PopAllocOptions options;
        std::string error;
    } cases[] = {
        {"negative minimum", {}, {-0.1L, 0.0L, true, 1e-5L}, "Erroneous minimum likelihood difference"},
        {"selection too short", {1, 1}, {2.0L, 0.0L, true, 1e-5L}, "Population selection array is invalid"},
        {"one population", {1, 1, 0, 0}, {2.0L, 0.0L, true, 1e-5L},
         "At least two populations must be selected for this function."},
        {"epsilon below 0", {}, {2.0L, 0.0L, false, -1e-9L}, "PopAlloc: Invalid epsilon!"},
        {"epsilon above 1", {}, {2.0L, 0.0L, false, 1.5L}, "PopAlloc: Invalid epsilon!"},
        {"epsilon 0 at a fixed locus", {}, {2.0L, 0.0L, false, 0.0L},
         "PopReAlloc: Serious error. Please submit a bug report!"},
    };
    for (const auto& c : cases) {
        Populations data;
        TPopAllocResults r;
        r.Best = {1};
        EXPECT_FALSE(PopAlloc(data.ds, c.selection, c.options, r)) << c.what;
        EXPECT_EQ(data.errors, std::vector<std::string>{c.error}) << c.what;
        EXPECT_TRUE(r.Best.empty() && r.LogLik.empty()) << c.what;
    }
    // An epsilon inside (0, 1) is used.
    Populations data;
    TPopAllocResults r;
    EXPECT_TRUE(PopAlloc(data.ds, {}, {2.0L, 0.0L, false, 0.01L}, r));
    EXPECT_EXT_NEAR(r.LogLik[0][6], std::log10(0.99L / 3), 1e-17L);

    GroupedBands none;
    none.Load({"10", "01", "11"});
    EXPECT_FALSE(PopAlloc(none.ds, {}, {}, r));
    EXPECT_EQ(none.errors, std::vector<std::string>{"PopAlloc: No groups defined"});

    GroupedBands small;
    small.Load({"10", "01", "11", "00", "10"}, {{"A", {0, 1, 2}}, {"B", {3, 4}}});
    EXPECT_FALSE(PopAlloc(small.ds, {}, {}, r));
    EXPECT_EQ(small.errors,
              std::vector<std::string>{"Cannot do population re-allocation procedure if groups have < 3 individuals!"});
}

TEST(PopAlloc, ASelectionGivesWayToTheWorkingCopyAndIsCurrentAgain) {
    Populations data;
    ASSERT_TRUE(data.ds.Select(2, 0));  // B
    TPopAllocResults r;
    ASSERT_TRUE(PopAlloc(data.ds, {}, {0.5L, 0.0L, true, 1e-5L}, r));
    EXPECT_EQ(data.warnings, std::vector<std::string>{"GrpFreqPerLoc: Switching to AllData"});
    EXPECT_EQ(r.IndNames.size(), 7u);
    EXPECT_EQ(data.ds.CurLayer, 2);
    EXPECT_EQ(data.ds.CurGroup, 2u);
    EXPECT_EQ(data.ds.GetCurrLayer().NInd, 3u);
}

TEST(PopAlloc, TheStatesAreTakenAtTheLociOfTheLocusSet) {
    // The second locus set holds the loci of Populations; a third locus is left out.
    GroupedBands wide;
    wide.Load({"110", "100", "111", "000", "011", "000", "199"}, {{"Region/A", {0, 1, 2}}, {"B", {3, 4, 5}}},
              {{"Two", {0, 1}}});
    wide.ds.CurLocusSet = 1;
    GroupedBands narrow;
    narrow.Load({"11", "10", "11", "00", "01", "00", "19"}, {{"Region/A", {0, 1, 2}}, {"B", {3, 4, 5}}});
    TPopAllocResults a, b;
    ASSERT_TRUE(PopAlloc(wide.ds, {}, {0.5L, 0.0L, true, 1e-5L}, a));
    ASSERT_TRUE(PopAlloc(narrow.ds, {}, {0.5L, 0.0L, true, 1e-5L}, b));
    EXPECT_EQ(a.LogLik, b.LogLik);
    EXPECT_EQ(a.Best, b.Best);
}
