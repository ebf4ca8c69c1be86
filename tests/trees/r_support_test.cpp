// R-support: the r list and its refinement, the reading and thinning of the clusters, and whole
// runs over scripted tree series.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "foundation/number_text.h"
#include "trees/r_support.h"
#include "trees/tree_reading.h"

namespace {

struct Recorder {
    std::vector<std::string> errors;
    std::vector<std::string> warnings;
    Reporter reporter{[this](const std::string& m) { errors.push_back(m); },
                      [this](const std::string& m) { warnings.push_back(m); }};
};

TEST(RSupportList, ValuesAreRecordedAndRefinedOnALogScale) {
    RList list;
    AddRValue(list, 1);
    AddRValue(list, 10000);
    EXPECT_EQ(NextRValue(1, 10000), 100u);
    AddRValue(list, NextRValue(1, 10000));
    ASSERT_EQ(list.size(), 3u);
    const std::vector<std::vector<std::uint32_t>> expected{{1, 100, 0}, {10000, 0, 0}, {100, 10000, 0}};
    for (std::size_t k = 0; k < 3; ++k)
        EXPECT_EQ((std::vector<std::uint32_t>{list[k].R, list[k].Next, list[k].Flag}), expected[k]) << k;

    for (const auto& [a, b, mean] : std::vector<std::tuple<std::uint32_t, std::uint32_t, std::uint32_t>>{
             {1, 2, 1}, {2, 3, 2}, {3, 5, 4}, {10, 1000, 100}, {1, 10000, 100}, {99999, 100001, 100000}})
        EXPECT_EQ(NextRValue(a, b), mean) << a << " " << b;

    struct Case {
        std::uint32_t a, b;
        std::uint8_t precision;
        bool refine;
    };
    for (const Case& c : std::vector<Case>{{1, 10, 0, false},
                                           {1, 11, 0, true},
                                           {1, 10, 1, true},
                                           {1, 2, 1, true},
                                           {100, 125, 1, false},
                                           {100, 126, 1, true},
                                           {100, 101, 2, false},
                                           {100, 103, 2, true}}) {
        RList l;
        AddRValue(l, c.a);
        AddRValue(l, c.b);
        std::uint32_t low = 7;
        std::uint32_t high = 7;
        EXPECT_EQ(RefineCheck(l, c.precision, low, high), c.refine) << c.a << "-" << c.b << " p" << +c.precision;
        EXPECT_EQ(low, c.refine ? c.a : 0u);
        EXPECT_EQ(high, c.refine ? c.b : 0u);
    }
}

TEST(RSupportList, ConsensusLinesReadBackAndThinToTheSmallestR) {
    const OTUList otus(AString{"A", "B", "C", "D"});
    ClusterList list(100);
    Recorder rec;
    ASSERT_TRUE(GetExtClusters(rec.reporter, "((A,B)<100>,C,D)<TreeID~1>;", otus, list));
    ASSERT_TRUE(GetExtClusters(rec.reporter, "((A,B)<100>,(C,D)<100>)<TreeID~50>;", otus, list));
    ASSERT_EQ(list.size(), 5u);
    ThinRClusters(rec.reporter, list);
    ASSERT_EQ(list.size(), 3u);  // (A,B) and the whole set at 1, (C,D) at 50
    EXPECT_EQ(ClusterRowR(list[0]), "1100 100x @r= 1");
    EXPECT_EQ(ClusterRowR(list[2]), "0011 100x @r= 50");
    EXPECT_TRUE(rec.warnings.empty());

    const std::size_t firstNew = list.size();
    ASSERT_TRUE(GetExtClusters(rec.reporter, "((A,B)<100>,(C,D)<100>)<TreeID~7>;", otus, list));
    ASSERT_TRUE(AddThinCLustersExt(rec.reporter, list, firstNew, 7));
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[2].RValue, 7u);  // found earlier than 50 now
    EXPECT_TRUE(rec.errors.empty());

    // A cluster found at a smaller r but not at a larger one is warned about.
    ClusterList lost(100);
    GetExtClusters(rec.reporter, "((A,B)<100>,C,D)<TreeID~1>;", otus, lost);
    GetExtClusters(rec.reporter, "(A,B,C,D)<TreeID~9>;", otus, lost);
    ThinRClusters(rec.reporter, lost);
    ASSERT_EQ(rec.warnings.size(), 1u);
    EXPECT_EQ(rec.warnings[0].rfind("Trees are inconsistent (cluster #1) d= 9 f= 1", 0), 0u) << rec.warnings[0];

    for (const auto& [line, error] : std::vector<std::pair<std::string, std::string>>{
             {"((A,B)<100>,C,D);", "GetExtClusters cannot find TreeID"},
             {"((A,B)<100>,C,D)<TreeID~x>;", "ERROR: Invalid TreeID"},
             {"((A,B),C,D)<TreeID~3>;", "Cannot parse private consensus"},
             {"((A,B)<1x>,C,D)<TreeID~3>;", "Converting cluster number failed"},
             {"((A,E)<100>,C,D)<TreeID~3>;", "GetExtClusters: E is not an OTU of the first consensus"}}) {
        Recorder bad;
        ClusterList l(100);
        EXPECT_FALSE(GetExtClusters(bad.reporter, line, otus, l)) << line;
        EXPECT_EQ(bad.errors, (std::vector<std::string>{error})) << line;
        EXPECT_TRUE(l.empty());
    }
}

// Trees of four OTUs where (A,B) holds from r = 12 on and (C,D) from r = 300 on.
bool Series(std::uint32_t r, AString& trees) {
    const std::string ab = r >= 12 ? "(A,B)" : "A,B";
    const std::string cd = r >= 300 ? "(C,D)" : "C,D";
    trees.assign(5, "(" + ab + "," + cd + ")Avg;");
    return true;
}

TEST(RSupportRun, EachClusterKeepsTheSmallestEvaluatedRAndItsLogLabel) {
    Recorder rec;
    RSupportOptions o;
    o.RFrom = 1;
    o.RTo = 1000;
    RSupportResult result;
    ASSERT_TRUE(RSupport(rec.reporter, o, Series, result)) << (rec.errors.empty() ? "" : rec.errors[0]);
    EXPECT_TRUE(rec.errors.empty());
    ASSERT_GE(result.Evaluated.size(), 3u);
    EXPECT_EQ(result.Evaluated[0], 1u);
    EXPECT_EQ(result.Evaluated[1], 1000u);
    EXPECT_EQ(result.Evaluated[2], 32u);  // round(sqrt(1000))
    std::uint32_t ab = 0;
    std::uint32_t cd = 0;
    for (std::uint32_t r : result.Evaluated) {
        if (r >= 12 && (ab == 0 || r < ab)) ab = r;
        if (r >= 300 && (cd == 0 || r < cd)) cd = r;
    }
    std::map<std::string, std::uint32_t> found;
    for (const TTrSetCluster& c : result.Clusters) found[ClusterRow(c).substr(0, 4)] = c.RValue;
    EXPECT_EQ(found, (std::map<std::string, std::uint32_t>{{"1100", ab}, {"0011", cd}, {"1111", 1}}));
    const auto label = [](std::uint32_t r) { return "R" + ExtToStrF(Log10(static_cast<Extended>(r)), 1, 1); };
    EXPECT_EQ(result.Line, "((A,B)" + label(ab) + ",(C,D)" + label(cd) + ")R0.0;");
    EXPECT_EQ(result.Report.front(), "Clusters found during Rx-consensus construction:");
    EXPECT_EQ(result.ConsensusAtR.size(), result.Evaluated.size());

    // Only clusters found up to RxThreshold make the Rx-consensus.
    o.RxThreshold = ab;
    ASSERT_TRUE(RSupport(rec.reporter, o, Series, result));
    EXPECT_EQ(result.Line, "((A,B)" + label(ab) + ",C,D)R0.0;");
}

// 999 also marks a closed interval; an r of 999 itself must still bound an interval that is refined.
TEST(RSupportRun, ARangeEndingAt999IsRefinedLikeAnyOther) {
    Recorder rec;
    RSupportOptions o;
    o.RFrom = 1;
    o.RTo = 999;
    RSupportResult result;
    ASSERT_TRUE(RSupport(rec.reporter, o, Series, result)) << (rec.errors.empty() ? "" : rec.errors[0]);
    std::uint32_t cd = 0;
    for (std::uint32_t r : result.Evaluated)
        if (r >= 300 && (cd == 0 || r < cd)) cd = r;
    ASSERT_GT(cd, 0u);
    EXPECT_LT(cd, 999u);  // the interval 32 .. 999 was refined towards 300
    for (const TTrSetCluster& c : result.Clusters) {
        if (c.Mask == OTUSet(AByte{0, 0, 1, 1})) {
            EXPECT_EQ(c.RValue, cd);
        }
    }
}

TEST(RSupportRun, RefusalsAndFailuresLeaveTheFailureLine) {
    struct Case {
        std::uint32_t from, to, threshold;
    };
    for (const Case& c :
         std::vector<Case>{{0, 100, 100}, {100, 100, 100}, {200, 100, 100}, {1, 100, 49}, {1, 100, 101}}) {
        Recorder rec;
        RSupportOptions o;
        o.RFrom = c.from;
        o.RTo = c.to;
        o.RMRThreshold = c.threshold;
        int calls = 0;
        RSupportResult result;
        EXPECT_FALSE(RSupport(
            rec.reporter, o,
            [&](std::uint32_t r, AString& t) {
                ++calls;
                return Series(r, t);
            },
            result));
        EXPECT_EQ(calls, 0);
        EXPECT_EQ(result.Line, "R-support failure");
        EXPECT_EQ(rec.errors.size(), 1u);
    }

    Recorder rec;
    RSupportOptions o;
    o.RTo = 1000;
    RSupportResult result;
    EXPECT_FALSE(RSupport(
        rec.reporter, o, [](std::uint32_t r, AString& t) { return r != 32 && Series(r, t); }, result));
    EXPECT_EQ(result.Line, "R-support failure");
    EXPECT_EQ(rec.errors.back(), "R-support analysis failed (w/i loop)");

    // Clusters found at different r that no tree can hold together.
    Recorder overlap;
    EXPECT_FALSE(RSupport(
        overlap.reporter, o,
        [](std::uint32_t r, AString& t) {
            t.assign(3, r < 100 ? "((A,B),C,D);" : "((B,C),A,D);");
            return true;
        },
        result));
    EXPECT_EQ(result.Line, "R-support failure");
    ASSERT_FALSE(overlap.errors.empty());
}

}  // namespace
