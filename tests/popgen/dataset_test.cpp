#include "popgen/data/dataset.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "popgen/data/codes.h"
#include "popgen/distance/distance_matrix.h"

namespace {

// A data set whose callbacks record what the engine reports.
struct RecordingDataSet : ::testing::Test {
    TPopGenDataSet ds;
    std::vector<std::string> errors;
    void SetUp() override {
        ds.OnError([this](const std::string& m) { errors.push_back(m); });
    }
};

TEST(DataSetLifeCycle, FreshDataSetHasDefaultsAndNoData) {
    TPopGenDataSet ds;
    EXPECT_FALSE(ds.HasData());
    EXPECT_EQ(ds.ErrorCount(), 0u);
    EXPECT_EQ(ds.CurLayer, kNoLayer);
    EXPECT_EQ(ds.ValueSize, 16);
    EXPECT_EQ(ds.NeiLiR, 6.0L);
    EXPECT_EQ(ds.AvgDraws, 100u);
    EXPECT_EQ(ds.OutputFileName, "output.txt");
    EXPECT_EQ(ds.PreParse, 1);
    EXPECT_EQ(ds.PreParseOpen, '<');
    EXPECT_EQ(ds.PreParseClose, '>');
    EXPECT_EQ(ds.AutoWorkingCopy, 1);
    for (const auto& row : ds.StateWeights)
        for (Extended w : row) EXPECT_EQ(w, 1.0L);
    for (const TDSLayer& l : ds.Layers) EXPECT_EQ(l.SourceLayer, kNoLayer);
    // Without a current layer the accessor still answers, with an empty layer.
    EXPECT_FALSE(ds.GetCurrLayer().HasMatrix());
    EXPECT_EQ(TPopGenDataSet(10).ValueSize, 10);
}

TEST(DataSetLifeCycle, FreshDataSetComputesStandardJaccard) {
    TPopGenDataSet ds;
    // Two individuals over three loci, locus-major: (1, 1), (1, 0), (0, 0).
    ASSERT_TRUE(ds.AllocLayerMatrix(1, 2, 3));
    ds.Layers[1].Matrix = {1, 1, 1, 0, 0, 0};
    ds.CurLayer = 1;
    EXPECT_EQ(KernelXF(ds, 1, 2, ProgramRandom()), 0.5L);  // d = 1 - s
}

TEST_F(RecordingDataSet, ReportErrorCountsAndCallsBack) {
    ds.ReportError("first");
    ds.ReportError("second");
    EXPECT_EQ(ds.ErrorCount(), 2u);
    EXPECT_EQ(errors, (std::vector<std::string>{"first", "second"}));
}

TEST(DataSetCallbacks, MissingCallbacksAreSafe) {
    TPopGenDataSet ds;
    ds.ReportError("nobody listens");
    ds.ReportWarning("nobody listens");
    EXPECT_EQ(ds.ErrorCount(), 1u);
    EXPECT_EQ(ds.Ask("Retry?", "Error", kQuestionYesNo), kAnswerNo);
    int asked = 0;
    ds.OnQuestion([&](const std::string&, const std::string& caption, std::uint32_t flags) {
        ++asked;
        EXPECT_EQ(caption, "Error");
        EXPECT_EQ(flags, kQuestionYesNo);
        return kAnswerYes;
    });
    EXPECT_EQ(ds.Ask("Retry?", "Error", kQuestionYesNo), kAnswerYes);
    EXPECT_EQ(asked, 1);
}

TEST_F(RecordingDataSet, ClearLayerFreesEverythingAndResetsTransform) {
    ASSERT_TRUE(ds.AllocLayerMatrix(2, 3, 4));
    TDSLayer& l = ds.Layers[2];
    EXPECT_EQ(l.NCells, 12u);
    EXPECT_EQ(l.Matrix.size(), 12u);
    l.IndNames = {"a", "b", "c"};
    l.RawMatrix.assign(PackedSize(3), 0.5L);
    l.DistMatrix = l.RawMatrix;  // the same values in both: each is still freed once
    l.VarMatrix = l.SDMatrix = l.RawMatrix;
    l.MatrixList.push_back({l.RawMatrix, "m"});
    l.KeepMatrixList = 1;
    l.SourceLayer = 1;
    ds.DistTransform = Transformation::D;
    ds.ClearLayer(2);
    EXPECT_FALSE(l.HasMatrix());
    EXPECT_EQ(l.NInd + l.NLoci + l.NCells, 0u);
    EXPECT_TRUE(l.IndNames.empty());
    EXPECT_TRUE(l.RawMatrix.empty());
    EXPECT_TRUE(l.DistMatrix.empty());
    EXPECT_TRUE(l.MatrixList.empty());
    EXPECT_EQ(l.KeepMatrixList, 0);
    EXPECT_EQ(l.SourceLayer, kNoLayer);
    EXPECT_EQ(ds.DistTransform, Transformation::OneMinusS);
}

TEST_F(RecordingDataSet, AllocLayerMatrixServesLayerFiveAndRefusesNoLayer) {
    // Layer 5 takes the bootstrap replicates of a group, so it gets a matrix like the others.
    ASSERT_TRUE(ds.AllocLayerMatrix(5, 2, 3));
    EXPECT_EQ(ds.Layers[5].NCells, 6u);
    EXPECT_EQ(ds.Layers[5].Matrix.size(), 6u);
    EXPECT_FALSE(ds.AllocLayerMatrix(kLayerCount, 2, 2));
    EXPECT_TRUE(errors.empty());
}

TEST_F(RecordingDataSet, AllocLayerMatrixRefusesAnImpossibleSize) {
    EXPECT_FALSE(ds.AllocLayerMatrix(0, std::size_t(1) << 40, std::size_t(1) << 40));
    EXPECT_EQ(errors, (std::vector<std::string>{"Out of memory"}));
    EXPECT_EQ(ds.Layers[0].NCells, 0u);
}

TEST_F(RecordingDataSet, HasDataNeedsLoadedFlagAndCurrentMatrix) {
    ds.AllocLayerMatrix(1, 2, 2);
    ds.CurLayer = 1;
    EXPECT_FALSE(ds.HasData());  // nothing loaded yet
    ds.DataLoaded = 1;
    EXPECT_TRUE(ds.HasData());
    ds.CurLayer = 3;
    EXPECT_FALSE(ds.HasData());
    ds.CurLayer = kNoLayer;
    EXPECT_FALSE(ds.HasData());
}

TEST_F(RecordingDataSet, ClearEmptiesLiveListsButKeepsEditCopies) {
    ds.AllocLayerMatrix(0, 2, 2);
    ds.DataLoaded = 1;
    ds.CurLayer = 1;
    ds.DataFileName = "x.txt";
    ds.Groups.push_back({"AllData", {"a", "b"}, 0, 2, {1, 1}});
    ds.CurGroup = 1;
    ds.EditGroups = ds.Groups;
    ds.Clear();
    EXPECT_EQ(ds.CurLayer, 0);
    EXPECT_EQ(ds.CurGroup, 0u);
    EXPECT_EQ(ds.DataLoaded, 0);
    EXPECT_TRUE(ds.DataFileName.empty());
    EXPECT_TRUE(ds.Groups.empty());
    EXPECT_EQ(ds.EditGroups.size(), 1u);
    EXPECT_FALSE(ds.Layers[0].HasMatrix());
    EXPECT_FALSE(ds.HasData());
}

TEST(DataSetNames, CurrentGroupAndLocusSetNamesAreTheirLowestLevel) {
    TPopGenDataSet ds;
    EXPECT_EQ(ds.CurrGroupName(), "");  // no groups yet
    ds.Groups = {{"AllData", {}, 0, 0, {}}, {"North/Lake/Pop1", {}, 0, 0, {}}};
    ds.LocusSets = {{"AllLoci", {}, 0, 0, {}}};
    ds.CurGroup = 1;
    EXPECT_EQ(ds.CurrGroupName(), "Pop1");
    EXPECT_EQ(ds.CurrLocusSetName(), "AllLoci");
}

TEST(DataSetCorrelation, CorrelationLayerCorrelatesTheMatrixList) {
    TPopGenDataSet ds;
    TDSLayer& s = ds.Layers[1];
    s.NInd = 2;  // three packed values per matrix
    s.MatrixList = {{{1, 2, 3}, "a"}, {{2, 4, 6}, "b"}, {{3, 2, 1}, "c"}};
    ds.DistTransform = Transformation::SqrtD;
    ds.CorrelationLayer(1, 3, false);
    const TDSLayer& t = ds.Layers[3];
    EXPECT_EQ(ds.CurLayer, 3);
    EXPECT_EQ(ds.DistTransform, Transformation::OneMinusS);
    EXPECT_EQ(t.NInd, 3u);
    EXPECT_EQ(t.IndNames, (AString{"a", "b", "c"}));
    ASSERT_EQ(t.RawMatrix.size(), 6u);
    EXPECT_NEAR(static_cast<double>(t.RawMatrix[PairIndex(2, 1)]), 1.0, 1e-15);
    EXPECT_NEAR(static_cast<double>(t.RawMatrix[PairIndex(3, 1)]), -1.0, 1e-15);
    ds.CorrelationLayer(1, 3, 1);
    EXPECT_EQ(ds.Layers[3].RawMatrix[PairIndex(3, 2)], 0.0L);
    // Layer 5 is out of its range.
    ds.CorrelationLayer(1, 5, 0);
    EXPECT_TRUE(ds.Layers[5].RawMatrix.empty());
}

TEST(DataSetFreeRoutines, MaskArrays) {
    AString out{"keep"};
    MaskStrArray({1, 0, 1}, {"a", "b", "c"}, out);
    EXPECT_EQ(out, (AString{"a", "c"}));
    MaskStrArray({1, 0}, {"a", "b", "c"}, out);  // lengths differ: unchanged
    EXPECT_EQ(out, (AString{"a", "c"}));
    AByte bytes;
    EXPECT_EQ(MaskByteArray({0, 1, 1, 0}, {5, 6, 7, 8}, bytes), 2u);
    EXPECT_EQ(bytes, (AByte{6, 7}));
    EXPECT_EQ(MaskByteArray({}, {}, bytes), 0u);
}

TEST(DataSetFreeRoutines, TransposeMakesRowsColumns) {
    // 2 rows x 3 columns, row-major.
    const AByte src{1, 2, 3, 4, 5, 6};
    AByte dst(6);
    ASSERT_TRUE(TransposeByteMatrix(src, dst, 3, 2));
    EXPECT_EQ(dst, (AByte{1, 4, 2, 5, 3, 6}));
    AByte small(5);
    EXPECT_FALSE(TransposeByteMatrix(src, small, 3, 2));
}

TEST(DataSetFreeRoutines, StringsAndPearson) {
    EXPECT_EQ(StrAfterLastSlash("a/b/c"), "c");
    EXPECT_EQ(StrAfterLastSlash("abc"), "abc");
    EXPECT_EQ(StrAfterLastSlash("abc/"), "");
    EXPECT_EQ(PearsonCorr({}, {}, 0), 0.0L);
    const AExt x{1, 2, 3, 4}, y{2, 1, 4, 3};
    EXPECT_NEAR(static_cast<double>(PearsonCorr(x, y, 4)), 0.6, 1e-15);
}

TEST(DataSetTextNames, EnumerationNames) {
    struct Case { std::string got, want; };
    const Case cases[] = {
        {CoeffToStr(CodeOf<Coefficient>(0)), "Jaccard"},
        {CoeffToStr(CodeOf<Coefficient>(5)), "SqEuclidean"},
        {CoeffToStr(CodeOf<Coefficient>(6)), "User-defined Similarity"},
        {CoeffToStr(CodeOf<Coefficient>(7)), "User-defined Distance"},
        {CoeffToStr(CodeOf<Coefficient>(8)), "Unknown"},
        {SimMethodToStr(false, CodeOf<Treatment>(0), CodeOf<Coefficient>(0)), "Standard"},
        {SimMethodToStr(true, CodeOf<Treatment>(0), CodeOf<Coefficient>(3)), "Std"},
        {SimMethodToStr(false, CodeOf<Treatment>(1), CodeOf<Coefficient>(0)), "Minimum"},
        {SimMethodToStr(false, CodeOf<Treatment>(1), CodeOf<Coefficient>(3)), "Maximum"},
        {SimMethodToStr(true, CodeOf<Treatment>(2), CodeOf<Coefficient>(0)), "Max"},
        {SimMethodToStr(true, CodeOf<Treatment>(2), CodeOf<Coefficient>(4)), "Min"},
        // An unknown coefficient counts as a distance.
        {SimMethodToStr(true, CodeOf<Treatment>(1), CodeOf<Coefficient>(9)), "Max"},
        {SimMethodToStr(false, CodeOf<Treatment>(3), CodeOf<Coefficient>(0)), "Average"},
        {SimMethodToStr(true, CodeOf<Treatment>(255), CodeOf<Coefficient>(0)), "Prf"},
        {SimMethodToStr(false, CodeOf<Treatment>(255), CodeOf<Coefficient>(0)), "Preference"},
        {SimMethodToStr(false, CodeOf<Treatment>(4), CodeOf<Coefficient>(0)), "Unknown"},
        {SimMethodToStr(true, CodeOf<Treatment>(4), CodeOf<Coefficient>(0)), "UNK"},
        {PopDistToStr(CodeOf<PopDistance>(0)), "Chord"},
        {PopDistToStr(CodeOf<PopDistance>(1)), "Unknown"},
        {WeightingToStr(CodeOf<Weighting>(4)), "Loci+Indiv"},
        {WeightingToStr(CodeOf<Weighting>(5)), "Unknown"},
        {DistXFToStr(CodeOf<Transformation>(0)), "d=1-s"},
        {DistXFToStr(CodeOf<Transformation>(5)), "d'=SQ(d)"},
        {DistXFToStr(CodeOf<Transformation>(6)), "Unknown Distance Transformation"},
        {AlleleFreqMethodToStr(CodeOf<FreqMethod>(1)), "Lynch and Milligan"},
        {AlleleFreqMethodToStr2(CodeOf<FreqMethod>(2), 0), "Bayesian (uniform prior)"},
        {AlleleFreqMethodToStr2(CodeOf<FreqMethod>(2), 2), "Bayesian (non-uniform prior from among-locus information)"},
        {AlleleFreqMethodToStr2(CodeOf<FreqMethod>(1), 2), "Lynch and Milligan"},
        {AlleleFreqMethodToStr2(CodeOf<FreqMethod>(5), 0), "Unknown"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.want);
    for (const std::uint8_t code : std::initializer_list<std::uint8_t>{0, 1, 2, 6})
        EXPECT_FALSE(IsDistanceCoeff(CodeOf<Coefficient>(code)));
    for (const std::uint8_t code : std::initializer_list<std::uint8_t>{3, 4, 5, 7, 9, 255})
        EXPECT_TRUE(IsDistanceCoeff(CodeOf<Coefficient>(code)));
}

}  // namespace
