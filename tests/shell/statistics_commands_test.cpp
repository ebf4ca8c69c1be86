#include "shell/statistics_commands.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "command_fixture.h"
#include "foundation/number_text.h"
#include "shell/resample_commands.h"

namespace {

using StatisticsCommands = CommandTest;

TEST_F(StatisticsCommands, MeanBandsWithoutGroupsAsksBeforeWriting) {
    SetData({"1190", "1000", "1111"});
    ui.ExpectBox(kAnswerYes, "Bands per individual");
    CmdMeanBands();
    const std::string text = "Band presences per individual\r\nMean= " + ExtToStr(7.0L / 3.0L) +
                             "\r\nVariance= " + ExtToStr(7.0L / 3.0L) +
                             "\r\nStd.Dev.= " + ExtToStr(std::sqrt(7.0L / 3.0L)) +
                             "\r\n\r\nBand presences and missing data per individual\r\nMean= " + ExtToStr(8.0L / 3.0L);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text.substr(0, text.size()), text);
    EXPECT_TRUE(ui.boxes[0].text.ends_with("\r\n\r\nWrite to analysis file?"));
    EXPECT_EQ(LastLine(), "Displaying mean number of bands per individuals. Written to analysis file.");
    const std::string file = File(AnalysisFileName);
    EXPECT_EQ(file, ui.boxes[0].text.substr(0, ui.boxes[0].text.size() - 27) + "\r\n\r\n");
}

TEST_F(StatisticsCommands, PolymorphicCountAnsweredNoWritesNothing) {
    SetData({"1190", "1000", "1111"});
    ui.ExpectBox(kAnswerNo, "Polymorphic bands");
    CmdPolymorphicBands();
    EXPECT_EQ(ui.boxes[0].text, "Number of polymorphic bands found: 3\r\n\r\nWrite to analysis file?");
    EXPECT_EQ(LastLine(), "Displaying number of polymorphic bands");
    EXPECT_FALSE(std::filesystem::exists(AnalysisFileName));
    ui.ExpectBox(kAnswerYes, "Fixed bands");
    CmdFixedBands();
    EXPECT_EQ(File(AnalysisFileName), "Number of fixed bands found: 1\r\n\r\n");
}

TEST_F(StatisticsCommands, GroupsWriteOneBlockEachAndKeepTheSelection) {
    SetExampleData();
    ASSERT_TRUE(DataSet->SelectGroup(2));
    const AByte selection = DataSet->Layers[2].Matrix;
    CmdPolymorphicBands();  // no question
    EXPECT_EQ(LastLine(), "Writing number of polymorphic bands in groups to analysis output file");
    const std::string file = File(AnalysisFileName);
    EXPECT_NE(file.find("Number of polymorphic bands found in group AllData: "), std::string::npos);
    EXPECT_NE(file.find("\r\n\r\nNumber of polymorphic bands found in group North: "), std::string::npos);
    EXPECT_TRUE(file.ends_with("\r\n\r\n"));
    EXPECT_EQ(DataSet->CurLayer, 2);
    EXPECT_EQ(DataSet->CurGroup, 2u);
    EXPECT_EQ(DataSet->Layers[2].Matrix, selection);
    EXPECT_FALSE(DataSet->Layers[4].HasMatrix());

    CmdMeanBands();
    const std::string blocks = File(AnalysisFileName).substr(file.size());
    EXPECT_EQ(blocks.find("Band presences per individual in group AllData\r\nMean= "), 0u);
    EXPECT_NE(blocks.find("Band presences and missing data per individual in group South\r\nMean= "),
              std::string::npos);
    EXPECT_EQ(DataSet->CurGroup, 2u);
}

TEST_F(StatisticsCommands, GroupCountsKeepAResampledDataSetCurrent) {
    // The resampled data set lives in a temporary layer; counting the groups must not use it as scratch.
    SetExampleData();
    CmdResampleLoci();
    ASSERT_EQ(DataSet->CurLayer, 4);
    const AByte resampled = DataSet->Layers[4].Matrix;
    ASSERT_FALSE(resampled.empty());
    CmdPolymorphicBands();
    CmdMeanBands();
    EXPECT_EQ(LastLine(), "Writing mean number of bands per individuals in different groups to analysis output file");
    EXPECT_EQ(DataSet->CurLayer, 4);
    EXPECT_EQ(DataSet->Layers[4].Matrix, resampled);
    EXPECT_FALSE(DataSet->Layers[5].HasMatrix());
}

TEST_F(StatisticsCommands, PrivateBands) {
    SetData({"10", "01"});
    ui.ExpectBox(kAnswerOk, "Error");
    CmdPrivateBands();
    EXPECT_EQ(Errors(), std::vector<std::string>{"You need to have several groups defined to use this feature"});

    SetData({"1100", "1010", "0011", "0001"}, {{"Pop/A", {1, 2}}, {"Pop/B", {3, 4}}});
    CmdPrivateBands();
    EXPECT_EQ(LastLine(), "Writing private bands to analysis output file");
    CmdFixedPrivateBands();
    EXPECT_EQ(LastLine(), "Writing fixed private bands to analysis output file");
    EXPECT_EQ(File(AnalysisFileName),
              "Number of private bands found in groups (only meaningful if groups are mutually exclusive)\r\n"
              "Pop/A: 2\r\nPop/B: 1\r\n\r\n"
              "Number of fixed private bands found in groups (only meaningful if groups are mutually exclusive)\r\n"
              "Pop/A: 1\r\nPop/B: 1\r\n\r\n");
}

TEST_F(StatisticsCommands, FrequencyReports) {
    SetData({"1190", "1000"});
    CmdFreqPerIndividual();
    EXPECT_EQ(LastLine(), "Writing frequencies (indiv) to analysis output file...done.");
    std::string expected = "Frequencies (band presences) in individuals:\r\n\r\nI1 " + ExtToStr(0.5L) + "\r\nI2 " +
                           ExtToStr(0.25L) + "\r\n\r\n";
    EXPECT_EQ(File(AnalysisFileName), expected);

    for (const int mode : {1, 0}) {
        ShannonFreqMode = static_cast<std::uint8_t>(mode);
        CmdFreqPerLocus();
        const std::string flag = mode == 1 ? "true" : "false";
        EXPECT_EQ(LastLine(), "Writing frequencies [Frq/Locus= " + flag + "] to analysis output file...done.");
        expected += "Frequencies (band presences) in loci (per-locus: " + flag + "):\r\n\r\n" + "L1 " +
                    ExtToStr(mode == 1 ? 1.0L : 2.0L / 3) + "\r\nL2 " + ExtToStr(mode == 1 ? 0.5L : 1.0L / 3) +
                    "\r\nL3 " + ExtToStr(0) + "\r\nL4 " + ExtToStr(0) + "\r\n\r\n";
    }
    EXPECT_EQ(File(AnalysisFileName), expected);
}

TEST_F(StatisticsCommands, MissingDataStatistics) {
    SetData({"19000000", "11111111"});
    CmdMissingDataStats();
    EXPECT_EQ(LastLine(), "Writing missing data statistics to analysis output file...done.");
    const std::string file = File(AnalysisFileName);
    EXPECT_TRUE(file.starts_with("Missing data in individuals\r\n\r\nI1 12.50 %\r\nI2  0.00 %\r\n")) << file;
    EXPECT_NE(file.find("\r\n\r\nMissing data in loci\r\n\r\nL1  0.00 %\r\nL2 50.00 %\r\n"), std::string::npos);
    EXPECT_TRUE(file.ends_with("L8  0.00 %\r\n\r\n"));
}

TEST_F(StatisticsCommands, AFailedWriteIsReportedWithTheFileName) {
    SetData({"10", "01"});
    AnalysisFileName = dir.Path("no/such/folder/analysis.txt");
    ui.ExpectBox(kAnswerOk, "Error");
    CmdFreqPerIndividual();
    EXPECT_EQ(LastLine(), "Writing frequencies (indiv) to analysis output file...failed.");
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_NE(Errors()[0].find(AnalysisFileName), std::string::npos);
}

TEST_F(StatisticsCommands, WithoutDataNothingRuns) {
    ui.ExpectBox(kAnswerOk, "Error");
    CmdMissingDataStats();
    EXPECT_EQ(Errors(), std::vector<std::string>{"No data loaded"});
    EXPECT_EQ(LastLine(), "Welcome");
}

}  // namespace
