#include "shell/custom_analyses.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "command_fixture.h"
#include "popgen/distance/distance_matrix.h"
#include "shell/analysis_commands.h"

namespace {

using CustomAnalyses = CommandTest;

std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

TEST_F(CustomAnalyses, LeuShannonRunsEveryGroupAtEverySampleSize) {
    dir.Write("leu.txt",
              "<TESK:10?}{*:c+,i+,l-,d+,a+>\r\n"
              "A1 A2 A3 B1 B2 B3\r\n"
              "1 0 1 0 1 1\r\n"
              "0 1 1 1 0 0\r\n"
              "1 1 0 0 1 0\r\n"
              "0 0 1 1 1 1\r\n"
              "*\r\n"
              "[Groups]\r\n"
              "AllData/A=A1,A2,A3;\r\n"
              "AllData/B=B1,B2,B3;\r\n"
              "*\r\n");
    dir.Write("leu_shannon.txt", "left from an earlier run\r\n");
    SHReplicates = 2;
    OverwriteMode = 0;
    CustomAnalysisLeuShannon(dir.Root().string());
    EXPECT_TRUE(Errors().empty()) << Errors().front();
    EXPECT_EQ(LastLine(), "FINISHED CUSTOM ANALYSIS LEU SHANNON");
    EXPECT_EQ(BatchAnswer, 1);
    EXPECT_EQ(OverwriteMode, 1);
    EXPECT_EQ(AnalysisFileName, dir.Path("leu_shannon.txt"));

    const std::string out = File(dir.Path("leu_shannon.txt"));
    // The file starts afresh with the first heading, and no heading is lost to a rewrite.
    EXPECT_EQ(out.rfind("GROUP=\tAllData/A\tNInd=\t3\r\n", 0), 0u);
    EXPECT_EQ(Occurrences(out, "GROUP=\t"), 2u * 28u);
    EXPECT_EQ(Occurrences(out, "GROUP=\tAllData/B\tNInd=\t30\r\n"), 1u);
    EXPECT_EQ(Occurrences(out, "sampling from N= 30 individuals"), 2u);
}

TEST_F(CustomAnalyses, LeuShannonWithoutItsDataStopsAtOnce) {
    ui.AllowBoxes("Error");
    CustomAnalysisLeuShannon(dir.Path("no-such-folder"));
    EXPECT_EQ(Errors().size(), 1u);
    EXPECT_EQ(LastLine(), "CUSTOM ANALYSIS LEU SHANNON failed.");
    EXPECT_EQ(File(AnalysisFileName), "");
}

// The test file is read from the current folder.
class InFolder {
public:
    explicit InFolder(const std::filesystem::path& folder) : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~InFolder() { std::filesystem::current_path(previous_); }
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;

private:
    std::filesystem::path previous_;
};

TEST_F(CustomAnalyses, AmovaButtonRunsOnTheTestFileWithoutTheLociMostlyMissing) {
    // The last locus is missing in four individuals and present in one.
    dir.Write(kAmovaTestFile,
              "<TESK:10?}{*:c+,i+,l-,d+,a+>\r\n"
              "A1 A2 A3 B1 B2 B3\r\n"
              "1 0 1 0 1 1\r\n"
              "0 1 1 1 0 0\r\n"
              "1 1 0 0 1 0\r\n"
              "? ? 1 ? ? 0\r\n"
              "*\r\n"
              "[Groups]\r\n"
              "AllData/A=A1,A2,A3;\r\n"
              "AllData/B=B1,B2,B3;\r\n"
              "*\r\n");
    const InFolder here(dir.Root());
    ui.ExpectBox(kAnswerYes, "AMOVA");
    CustomAnalysisAmova();
    EXPECT_TRUE(Errors().empty()) << Errors().front();
    ASSERT_TRUE(DataSet);
    EXPECT_EQ(DataSet->DataFileName, kAmovaTestFile);
    EXPECT_EQ(DataSet->GetCurrLayer().NLoci, 3u);
    EXPECT_EQ(LastLine(), "Performing AMOVA (2 levels)...done.");
    EXPECT_EQ(File(AnalysisFileName).substr(0, 15), "AMOVA results\r\n");
}

TEST_F(CustomAnalyses, AmovaButtonWithoutItsFileAnswersWithTheLoadsError) {
    SetExampleData();
    const std::size_t loci = DataSet->GetCurrLayer().NLoci;
    ui.AllowBoxes("Error");
    const InFolder here(dir.Root());
    CustomAnalysisAmova();
    EXPECT_EQ(Errors(), std::vector<std::string>{"Input file does not exist"});
    // Nothing ran on the data set kept from before.
    EXPECT_EQ(DataSet->GetCurrLayer().NLoci, loci);
    EXPECT_EQ(File(AnalysisFileName), "");
}

TEST_F(CustomAnalyses, AvgInd2PopAveragesTheDistancesBetweenGroups) {
    SetExampleData();
    ui.AllowBoxes("Error");
    CmdAvgInd2Pop();  // no distance matrix yet
    EXPECT_EQ(Errors().size(), 1u);
    EXPECT_EQ(DataSet->CurLayer, 1u);

    CmdCalculateMatrix(Treatment::Standard, Coefficient::Jaccard, Transformation::OneMinusS, 6.0L, 100, false, false);
    Extended sum = 0.0L;
    for (std::size_t i = 1; i <= 4; ++i)
        for (std::size_t j = 5; j <= 8; ++j) sum += GetDist(*DataSet, i, j);
    CmdAvgInd2Pop();
    EXPECT_EQ(Errors().size(), 1u);
    EXPECT_EQ(DataSet->CurLayer, 3u);
    EXPECT_EQ(DataSet->GetCurrLayer().NInd, 2u);
    EXPECT_EQ(DistTransformation, 3);
    EXPECT_NEAR(static_cast<double>(GetDist(*DataSet, 2, 1)), static_cast<double>(sum / 16.0L), 1e-15);
    EXPECT_EQ(GetDist(*DataSet, 1, 1), 0.0L);
    const std::string out = File(AnalysisFileName);
    EXPECT_NE(out.find("North"), std::string::npos);
    EXPECT_NE(out.find("South"), std::string::npos);
    EXPECT_NE(LastLine().find("done."), std::string::npos);
}

}  // namespace
