#include <gtest/gtest.h>

#include <filesystem>

#include "export_fixture.h"
#include "popgen/exports/count_exports.h"
#include "popgen/exports/nexus_export.h"
#include "popgen/exports/popgen_exports.h"

namespace {

// Four individuals in two populations; I4 is in none.
void TwoPopulations(ExportFixture& f) {
    f.Set({"109", "001", "111", "000"}, {{"AllData/Pop1", {1, 2}}, {"AllData/Pop2", {3}}});
}

TEST(HickoryExport, PopulationsWithTheirMembers) {
    ExportFixture f;
    TwoPopulations(f);
    ASSERT_TRUE(ExportHickory(f.ds, f.Path("h.nex"), '?'));
    EXPECT_EQ(f.Read("h.nex"), Crlf({"#NEXUS",
                                     "[TESK exported data]",
                                     "BEGIN TAXA;",
                                     "DIMENSIONS NTAX= 4;",
                                     "TAXLABELS",
                                     "I1",
                                     "I2",
                                     "I3",
                                     "I4",
                                     ";",
                                     "END;",
                                     "",
                                     "BEGIN ALLELES;",
                                     "DIMENSIONS NEWPOPS NLOCI= 3 NPOPS= 2;",
                                     "DOMINANT;",
                                     "FORMAT LABELS MISSING=?;",
                                     "MATRIX",
                                     "Pop1:",
                                     "I1 1 0 ? ",
                                     "I2 0 0 1 ,",
                                     "Pop2:",
                                     "I3 1 1 1 ;",
                                     "END;"}));
    EXPECT_TRUE(f.questions.empty());
}

TEST(HickoryExport, SkipsMembersOutsideTheLayerAndWarnsOnce) {
    ExportFixture f;
    f.Set({"10", "01", "11"}, {{"AllData/A", {1, 2}}, {"AllData/A/x", {1}}, {"AllData/B", {}}});
    ASSERT_TRUE(f.ds.MakeSubsetLayer(1, 2, 0, 0));
    f.ds.Groups[0].Mask = {1, 0, 1};  // a selection without I2
    ASSERT_TRUE(f.ds.MakeSubsetLayer(1, 2, 0, 0));
    ASSERT_TRUE(ExportHickory(f.ds, f.Path("h.nex"), '-'));
    const std::string text = f.Read("h.nex");
    EXPECT_NE(
        text.find(
            "NPOPS= 2;\r\nDOMINANT;\r\nFORMAT LABELS MISSING=-;\r\nMATRIX\r\nA:\r\nI1 1 0 ,\r\nB:\r\n;\r\nEND;\r\n"),
        std::string::npos)
        << text;
    EXPECT_EQ(f.questions, std::vector<std::string>{"Export to Nexus for Hickory"});
    EXPECT_EQ(f.warnings, std::vector<std::string>{
                              "Group members not in the current data were left out of the Hickory file:\r\nI2"});
}

TEST(HickoryExport, RefusesDataWithoutPopulations) {
    ExportFixture f;
    f.Set({"10", "01"});
    EXPECT_FALSE(ExportHickory(f.ds, f.Path("h.nex"), '?'));
    EXPECT_EQ(f.errors, std::vector<std::string>{"You need to have groups (i.e., populations) defined."});
    EXPECT_FALSE(std::filesystem::exists(f.Path("h.nex")));
}

TEST(ArlequinExport, OneLevelNeverAsks) {
    ExportFixture f;
    TwoPopulations(f);
    ASSERT_TRUE(ExportArlequin(f.ds, f.Path("a.arp"), '?'));
    EXPECT_EQ(f.Read("a.arp"), Crlf({"[Profile]",
                                     " Title=\"TESK Data\"",
                                     " NbSamples=2",
                                     " GenotypicData=0",
                                     " DataType=RFLP",
                                     " LocusSeparator=NONE",
                                     " MissingData=\"?\"",
                                     " CompDistMatrix=1",
                                     "",
                                     "[Data]",
                                     " [[HaplotypeDefinition]]",
                                     "  HaplListName=\"List of fingerprint phenotypes\"",
                                     "  HaplList={",
                                     "  I1 1 0 ? ",
                                     "  I2 0 0 1 ",
                                     "  I3 1 1 1 ",
                                     "  I4 0 0 0 ",
                                     "  }",
                                     "",
                                     " [[Samples]]",
                                     "",
                                     "  SampleName=\"Pop1\"",
                                     "  SampleSize=2",
                                     "  SampleData={",
                                     "  I1 1",
                                     "  I2 1",
                                     "  }",
                                     "",
                                     "  SampleName=\"Pop2\"",
                                     "  SampleSize=1",
                                     "  SampleData={",
                                     "  I3 1",
                                     "  }",
                                     "",
                                     " [[Structure]]",
                                     "  StructureName=\"AllData\"",
                                     "  NbGroups=1",
                                     "  Group={",
                                     "  \"Pop1\"",
                                     "  \"Pop2\"",
                                     "  }",
                                     ""}));
    EXPECT_TRUE(f.questions.empty());
}

TEST(ArlequinExport, TwoLevelsNestSamplesByPathPrefix) {
    ExportFixture f;
    f.Set({"10", "01", "11"},
          {{"AllData/A", {1}}, {"AllData/AB", {2, 3}}, {"AllData/AB/x", {2}}, {"AllData/A/y", {1}}});
    f.answers = {kAnswerNo};
    ASSERT_TRUE(ExportArlequin(f.ds, f.Path("a.arp"), '?'));
    const std::string text = f.Read("a.arp");
    EXPECT_NE(text.find(" NbSamples=2\r\n"), std::string::npos);
    EXPECT_NE(text.find("  NbGroups=2\r\n  Group={\r\n  \"y\"\r\n  }\r\n\r\n  Group={\r\n  \"x\"\r\n  }\r\n\r\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(f.questions, std::vector<std::string>{"Export to Arlequin"});
}

TEST(ArlequinExport, RefusalsWriteNothing) {
    ExportFixture f;
    f.Set({"10", "01"});
    EXPECT_FALSE(ExportArlequin(f.ds, f.Path("a.arp"), '?'));
    EXPECT_EQ(f.errors, std::vector<std::string>{"To export an Arlequin Project, you need to have groups defined!"});
    ExportFixture g;
    TwoPopulations(g);
    g.ds.Layers[1].IndNames.clear();
    EXPECT_FALSE(ExportArlequin(g.ds, g.Path("a.arp"), '?'));
    EXPECT_EQ(g.questions, std::vector<std::string>{"Error"});
    EXPECT_FALSE(std::filesystem::exists(g.Path("a.arp")));
}

TEST(StructureExport, PloidyLinesAndPopulationNumbers) {
    ExportFixture f;
    TwoPopulations(f);
    ASSERT_TRUE(ExportStructure(f.ds, f.Path("s.txt"), true, 2));
    EXPECT_EQ(f.Read("s.txt"), Crlf({"L1 L2 L3 ", "0 0 0 ", "I1 1 1 0 -9 ", "I1 1 1 0 -9 ", "I2 1 0 0 1 ",
                                     "I2 1 0 0 1 ", "I3 2 1 1 1 ", "I3 2 1 1 1 ", "I4 0 0 0 0 ", "I4 0 0 0 0 "}));
    ASSERT_TRUE(ExportStructure(f.ds, f.Path("s.txt"), false, 0));  // ploidy 0 counts as 1
    EXPECT_EQ(f.Read("s.txt"), Crlf({"L1 L2 L3 ", "0 0 0 ", "I1 1 0 -9 ", "I2 0 0 1 ", "I3 1 1 1 ", "I4 0 0 0 "}));
}

TEST(StructureExport, PopulationsAskedForWithoutGroupsAreIgnoredWithAWarning) {
    ExportFixture f;
    f.Set({"1"}, {}, {"a b"});
    ASSERT_TRUE(ExportStructure(f.ds, f.Path("s.txt"), true, 1));
    EXPECT_EQ(f.Read("s.txt"), Crlf({"L1 ", "0 ", "a_b 1 "}));
    ASSERT_EQ(f.warnings.size(), 2u);
    EXPECT_EQ(f.warnings[0], "Cannot find population information to export. Ignoring requested parameter.");
}

TEST(CountExports, ExpectedPresencesRoundExactly) {
    struct Case {
        std::size_t p, m;
        float fraction;
        std::uint8_t mode;
        std::size_t expected;
    };
    const std::vector<Case> cases = {
        {3, 3, 0.5f, 2, 5},  {3, 3, 0.5f, 0, 4},  {5, 3, 0.5f, 0, 6}, {3, 3, 0.5f, 1, 4},
        {3, 3, 0.5f, 3, 4},  {0, 10, 0.1f, 2, 1},  // 10 % of 10 is exactly 1, not a little more
        {0, 10, 0.3f, 2, 3}, {2, 7, 0.0f, 2, 2},  {2, 7, 1.0f, 1, 9}, {0, 3, 0.25f, 0, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExpectedPresences(c.p, c.m, c.fraction, c.mode), c.expected)
            << c.p << " " << c.m << " " << c.fraction << " mode " << int{c.mode};
}

// Two groups of three: at locus 1 group A has a missing cell.
void CountData(ExportFixture& f) {
    f.Set({"91", "11", "01", "10", "00", "11"}, {{"AllData/A", {1, 2, 3}}, {"AllData/B", {4, 5, 6}}});
}

TEST(CountExports, DfdistWithAndWithoutMissingCells) {
    ExportFixture f;
    CountData(f);
    const AByte selection = {0, 1, 1};
    ASSERT_TRUE(ExportDfDist(f.ds, f.Path("d.txt"), selection, false, 0.5f, 2));
    EXPECT_EQ(f.Read("d.txt"), Crlf({"0", "2", "2", "", "2", "1 1", "1 2", "", "2", "0 3", "2 1", ""}));
    ASSERT_TRUE(ExportDfDist(f.ds, f.Path("d.txt"), selection, true, 0.5f, 2));
    EXPECT_EQ(f.Read("d.txt"), Crlf({"0", "2", "2", "", "2", "1 2", "1 2", "", "2", "0 3", "2 1", ""}));
    EXPECT_EQ(f.ds.CurLayer, 1);
    EXPECT_EQ(f.ds.CurGroup, 0u);
}

TEST(CountExports, BayeScanBlocksPerPopulation) {
    ExportFixture f;
    CountData(f);
    const AByte selection = {1, 0, 1};
    ASSERT_TRUE(ExportBayeScan(f.ds, f.Path("b.txt"), selection, false, 0.5f, 2));
    EXPECT_EQ(f.Read("b.txt"), Crlf({"[loci]=2", "", "[populations]=2", "", "[pop]=1", " 1\t5\t3", " 2\t6\t4", "",
                                     "[pop]=2", " 1\t3\t2", " 2\t3\t1", ""}));
    ASSERT_TRUE(ExportBayeScan(f.ds, f.Path("b.txt"), selection, true, 0.5f, 0));
    EXPECT_NE(f.Read("b.txt").find("[pop]=1\r\n 1\t6\t4\r\n"), std::string::npos);  // 3 + 0.5 rounded to even
}

TEST(CountExports, RefusalsWriteNothing) {
    ExportFixture f;
    CountData(f);
    EXPECT_FALSE(ExportDfDist(f.ds, f.Path("d.txt"), {0, 1, 0}, false, 0.5f, 2));
    EXPECT_FALSE(ExportBayeScan(f.ds, f.Path("d.txt"), {0, 1}, false, 0.5f, 2));
    f.ds.CurLayer = 5;
    EXPECT_FALSE(ExportDfDist(f.ds, f.Path("d.txt"), {0, 1, 1}, false, 0.5f, 2));
    EXPECT_EQ(f.errors, (std::vector<std::string>{"Cannot export file: Less than 2 groups selected!",
                                                  "Cannot export BayeScan file: Less than 2 groups selected!",
                                                  "Cannot perform ExportDfDist on current data layer!"}));
    EXPECT_FALSE(std::filesystem::exists(f.Path("d.txt")));
}

TEST(CountExports, AGroupWithoutIndividualsInTheLayerIsRefused) {
    ExportFixture f;
    CountData(f);
    f.ds.Groups.push_back({"AllData/Empty", {}, 0, 0, AByte(6, 0)});
    EXPECT_FALSE(ExportDfDist(f.ds, f.Path("d.txt"), {0, 1, 0, 1}, false, 0.5f, 2));
    EXPECT_EQ(f.errors, std::vector<std::string>{"Selection of group failed: empty selection"});
    EXPECT_EQ(f.ds.CurLayer, 1);
    EXPECT_FALSE(std::filesystem::exists(f.Path("d.txt")));
}

}  // namespace

namespace {

TEST(AFLPOPExport, OneFilePerGroupWithMissingCellsReplacedAside) {
    ExportFixture f;
    f.Set({"19", "01", "10"}, {{"AllData/P1", {1, 2}}, {"AllData/P2", {3}}});
    RandomStream random(1);
    ASSERT_TRUE(ExportAFLPOP(f.ds, f.Path("aflpop_.txt"), 1.0L, random));  // fraction 1: missing -> present
    EXPECT_EQ(f.Read("aflpop_P1.txt"), Crlf({"Num\tLoc ID\tI1\tI2", "1\tL1\t1\t0", "2\tL2\t1\t1"}));
    EXPECT_EQ(f.Read("aflpop_P2.txt"), Crlf({"Num\tLoc ID\tI3", "1\tL1\t1", "2\tL2\t0"}));
    EXPECT_EQ(f.ds.Layers[1].Cell(1, 2), kMissing);  // the data keep their missing cells
    EXPECT_EQ(f.ds.CurLayer, 1);
    EXPECT_TRUE(f.errors.empty());
}

TEST(AFLPOPExport, FileNamesStayApart) {
    ExportFixture f;
    f.Set({"1", "0", "1"}, {{"AllData/A/x", {1}}, {"AllData/B/x", {2}}, {"AllData/C", {3}}});
    EXPECT_EQ(AFLPOPFileNames(f.ds, "out.d/base"),
              (AString{"out.d/baseAllData_A_x", "out.d/baseAllData_B_x", "out.d/baseC"}));
    EXPECT_EQ(AFLPOPFileNames(f.ds, "out.d/base.txt"),
              (AString{"out.d/baseAllData_A_x.txt", "out.d/baseAllData_B_x.txt", "out.d/baseC.txt"}));
}

TEST(AFLPOPExport, RefusesDataWithoutGroupsAndSkipsEmptyGroups) {
    ExportFixture f;
    f.Set({"1", "0"});
    RandomStream random(1);
    EXPECT_FALSE(ExportAFLPOP(f.ds, f.Path("a.txt"), 0.5L, random));
    EXPECT_EQ(f.errors, std::vector<std::string>{"No groups defined"});
    ExportFixture g;
    g.Set({"1", "0"}, {{"AllData/E", {}}, {"AllData/F", {2}}});
    ASSERT_TRUE(ExportAFLPOP(g.ds, g.Path("a.txt"), 0.5L, random));
    EXPECT_FALSE(std::filesystem::exists(g.Path("aE.txt")));
    EXPECT_TRUE(std::filesystem::exists(g.Path("aF.txt")));
    EXPECT_EQ(g.warnings,
              std::vector<std::string>{"Groups without individuals were not exported to AFLPOP files:\r\nAllData/E"});
}

TEST(HindexExport, IndividualsAndParentalFrequencies) {
    ExportFixture f;
    f.Set({"10", "11", "00", "01", "91"}, {{"AllData/P1", {1, 2}}, {"AllData/P2", {3, 4}}, {"AllData/T", {5, 1}}});
    ASSERT_TRUE(f.ds.Select(1, 0));  // a selection is current: the whole data are used
    RandomStream random(7);
    ASSERT_TRUE(ExportHINDEX(f.ds, f.Path("data.txt"), 1, 2, 3, 0.5f, random));
    EXPECT_EQ(f.Read("data_indiv.txt"), Crlf({"Individual", "AllData/T # I1 I5 ", "L1 # 1 NA ", "L2 # 0 1 "}));
    EXPECT_EQ(f.Read("data_parents.txt"), Crlf({"Parental", "AllData/P1 AllData/P2 #", "L1 # D 1.000000000 0.000000000",
                                                "L2 # D 0.500000000 0.500000000"}));
    EXPECT_EQ(f.warnings, std::vector<std::string>{"ExportHINDEX: switching to AllData x Current Locus Selection"});
    EXPECT_EQ(f.ds.CurLayer, 1);
    EXPECT_EQ(f.ds.CurGroup, 1u);
}

TEST(HindexExport, AnInvalidCellWritesNeitherFile) {
    ExportFixture f;
    f.Set({"10", "11", "00"}, {{"AllData/P1", {1}}, {"AllData/P2", {2}}, {"AllData/T", {3}}});
    f.ds.Layers[1].Matrix[2] = 3;
    RandomStream random(7);
    EXPECT_FALSE(ExportHINDEX(f.ds, f.Path("h.txt"), 1, 2, 3, 0.5f, random));
    EXPECT_EQ(f.errors, std::vector<std::string>{"Data Error. Could not complete hindex export of data file"});
    EXPECT_FALSE(std::filesystem::exists(f.Path("h_indiv.txt")));
    EXPECT_FALSE(std::filesystem::exists(f.Path("h_parents.txt")));
}

}  // namespace
