#include "shell/settings.h"

#include <gtest/gtest.h>

namespace {

class Settings : public ::testing::Test {
protected:
    void TearDown() override { RestoreDefaultSettings(); }
};

TEST_F(Settings, RestoreGivesTheCompiledInDefaultsBack) {
    SimCoefficient = 4;
    NeiLiR = 1.0L;
    Delimiters = ",";
    AnalysisFileName = "other.txt";
    ErrorCounter = 12;
    GrpManGroup = 7;
    MDReplaceFraction = 0.1f;
    RestoreDefaultSettings();
    EXPECT_EQ(SimCoefficient, 0);
    EXPECT_EQ(NeiLiR, 6.0L);
    EXPECT_EQ(Delimiters, std::string(" \0\t\r\n", 5));
    EXPECT_EQ(Delimiters.size(), 5u);
    EXPECT_EQ(AnalysisFileName, "analysis.txt");
    EXPECT_EQ(ErrorCounter, 0);
    EXPECT_EQ(GrpManGroup, 0);
    EXPECT_EQ(MDReplaceFraction, 0.5f);
    EXPECT_EQ(PCoAPrecision, 2.426994E-8L);
    EXPECT_EQ(RStopFraction, 0.5);
}

TEST_F(Settings, CombineDistTransformKeepsTheBaseAndFollowsTheCoefficientKind) {
    struct Case {
        int transformation, distanceCoefficient, expected;
    };
    const Case cases[] = {{4, 0, 1}, {1, 1, 4}, {0, 0, 0}, {2, 1, 5}, {5, 1, 5}, {3, 0, 0}};
    for (const Case& c : cases) {
        DistTransformation = static_cast<std::uint8_t>(c.transformation);
        DistanceCoefficient = static_cast<std::uint8_t>(c.distanceCoefficient);
        CombineDistTransform();
        EXPECT_EQ(DistTransformation, c.expected) << c.transformation << " with " << c.distanceCoefficient;
    }
}

TEST_F(Settings, TreatmentNamesSwapMinimumAndMaximumForDistanceCoefficients) {
    struct Case {
        int method, coefficient;
        const char* longName;
        const char* shortName;
    };
    const Case cases[] = {
        {1, 0, "Minimum", "Min"},  {1, 4, "Maximum", "Max"},    {2, 0, "Maximum", "Max"},
        {2, 3, "Minimum", "Min"},  {0, 5, "Standard", "Std"},   {3, 4, "Average", "Avg"},
        {255, 0, "Preference", "Prf"}, {4, 0, "Unknown", "UNK"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TreatmentName(c.method, c.coefficient), c.longName) << c.method << "/" << c.coefficient;
        EXPECT_EQ(TreatmentName(c.method, c.coefficient, true), c.shortName) << c.method << "/" << c.coefficient;
    }
    AmovaSimMethod = 1;
    SimCoefficient = 4;
    EXPECT_EQ(TreatmentName(), "Maximum");  // reads the current settings by default
}

TEST_F(Settings, NamesOfCodesAndTheirUnknowns) {
    EXPECT_EQ(CoefficientNameOf(3), "NeiLi");
    EXPECT_EQ(CoefficientNameOf(7), "User-defined Distance");
    EXPECT_EQ(CoefficientNameOf(8), "Unknown");
    SimCoefficient = 5;
    EXPECT_EQ(CoefficientName(), "SqEuclidean");
    EXPECT_EQ(DistTransformName(4), "d'=SQRT(d)");
    EXPECT_EQ(DistTransformName(6), "Unknown Distance Transformation");
    EXPECT_EQ(AlleleFreqMethodName(), "Bayesian (uniform)");
    EXPECT_EQ(AlleleFreqMethodName(5), "");
    EXPECT_EQ(TreeMethodName(1), "NJ");
    EXPECT_EQ(TreeMethodName(2), "");
    EXPECT_EQ(PopDistName(1), "unknown");
    EXPECT_EQ(OutputKindName(1), "distance");
    EXPECT_EQ(OutputKindName(2), "similarity");  // a flag is on only when it is 1
    EXPECT_EQ(OnOffText(2), "off");
    EXPECT_EQ(BoolToText(1), "true");
    EXPECT_EQ(DistTransformBase(5), 2);
}

TEST(PercentText, FractionTimesHundredInWidthFiveWithTwoDecimals) {
    EXPECT_EQ(PercentText(0.5L), "50.00 %");
    EXPECT_EQ(PercentText(0.0123L), " 1.23 %");
    EXPECT_EQ(PercentText(1.0L), "100.00 %");  // the width is a minimum
    EXPECT_EQ(PercentText(0.0L), " 0.00 %");
}

}  // namespace
