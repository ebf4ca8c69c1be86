#include "popgen/exports/popgen_exports.h"

#include <gtest/gtest.h>

#include "export_fixture.h"
#include "popgen/exports/nexus_export.h"

namespace {

TEST(NexusExport, CharactersBlockStandardTypeAndDistances) {
    ExportFixture f;
    f.Set({"109", "001"}, {}, {"ind one", "I2"});
    f.ds.Layers[1].DistMatrix = {0.0L, 0.75L, 0.0L};
    f.answers = {kAnswerYes, kAnswerYes, kAnswerYes};
    ASSERT_TRUE(ExportNexus(f.ds, f.Path("x.nex"), '1', '?', '0'));
    EXPECT_EQ(f.Read("x.nex"), Crlf({"#NEXUS",
                                     "BEGIN TAXA;",
                                     "DIMENSIONS NTAX= 2;",
                                     "TAXLABELS",
                                     "ind_one",
                                     "I2",
                                     ";",
                                     "END;",
                                     "",
                                     "BEGIN CHARACTERS;",
                                     "DIMENSIONS NCHAR= 3;",
                                     "FORMAT DATATYPE= STANDARD MISSING= ? INTERLEAVE;",
                                     "MATRIX",
                                     "ind_one 10?",
                                     "I2 001",
                                     ";",
                                     "END;",
                                     "",
                                     "BEGIN DISTANCES;",
                                     "DIMENSIONS NTAX=2;",
                                     "FORMAT TRIANGLE=LOWER DIAGONAL NOLABELS;",
                                     "MATRIX",
                                     "0.0000000000 ",
                                     "0.7500000000 0.0000000000 ",
                                     ";",
                                     "END;",
                                     ""}));
    EXPECT_EQ(f.questions, (std::vector<std::string>{"Data export", "DataType", "Nexus Data Export"}));
    EXPECT_EQ(f.warnings, std::vector<std::string>{"Names changed for the NEXUS file:\r\n\"ind one\" -> \"ind_one\""});
}

TEST(NexusExport, DataBlockRestrictionAndNoDistanceQuestionWithoutAMatrix) {
    ExportFixture f;
    f.Set({"10", "01"});
    ASSERT_TRUE(ExportNexus(f.ds, f.Path("x.nex"), '+', '-', 'o'));
    const std::string text = f.Read("x.nex");
    EXPECT_NE(
        text.find(
            "BEGIN DATA;\r\nDIMENSIONS NTAX= 2 NCHAR= 2;\r\n"
            "FORMAT DATATYPE= RESTRICTION MISSING= - INTERLEAVE;\r\nMATRIX\r\nI1 +o\r\nI2 o+\r\n;\r\nEND;\r\n\r\n"),
        std::string::npos)
        << text;
    EXPECT_EQ(f.questions, (std::vector<std::string>{"Data export", "DataType"}));
    f.ds.Layers[1].IndNames.clear();
    EXPECT_FALSE(ExportNexus(f.ds, f.Path("y.nex"), '1', '?', '0'));
    EXPECT_EQ(f.errors, std::vector<std::string>{"No individual names. Could not export to .nex"});
}

// Readers take equal taxon names for one taxon: distinct names that become equal are named.
TEST(NexusExport, NamesThatBecomeTheSameAreWarnedAbout) {
    ExportFixture f;
    f.Set({"1", "0", "1", "0"}, {}, {"a b", "a_b", "c(d)", "c d"});
    ASSERT_TRUE(ExportNexus(f.ds, f.Path("x.nex"), '1', '?', '0'));
    EXPECT_EQ(f.warnings, std::vector<std::string>{
                              "Names changed for the NEXUS file:\r\n\"a b\" -> \"a_b\"\r\n\"c(d)\" -> \"c_d_\"\r\n"
                              "\"c d\" -> \"c_d\"\r\nDifferent names became the same; rename them before "
                              "exporting:\r\n\"a_b\""});
}

TEST(GenePopExport, DiploidCodesForBothAbsenceForms) {
    ExportFixture f;
    f.Set({"109", "001"}, {}, {}, {"A,1", "B", "C"});
    ASSERT_TRUE(ExportGenePop(f.ds, f.Path("g.txt"), true));
    EXPECT_EQ(f.Read("g.txt"),
              Crlf({"TESK exported data", "A_1, B, C", "POP", "I1, 0100 0202 0000 ", "I2, 0202 0202 0100 "}));
    ASSERT_TRUE(ExportGenePop(f.ds, f.Path("g.txt"), false));
    EXPECT_NE(f.Read("g.txt").find("I2, 0200 0200 0100 \r\n"), std::string::npos);
    f.ds.Layers[1].IndNames.clear();
    ASSERT_TRUE(ExportGenePop(f.ds, f.Path("g.txt"), false));
    EXPECT_NE(f.Read("g.txt").find("POP\r\n0100 0200 0000 \r\n"), std::string::npos);
}

TEST(AFLPDatExport, PopulationColumnNamesTheGroupOrAllData) {
    ExportFixture f;
    f.Set({"19", "01", "11"}, {{"AllData/P1", {1}}, {"AllData/P2", {2}}});
    ASSERT_TRUE(ExportAFLPDat(f.ds, f.Path("a.txt"), true));
    EXPECT_EQ(f.Read("a.txt"),
              Crlf({"x\tpop\tL1\tL2", "I1\tAllData/P1\t1\tNA", "I2\tAllData/P2\t0\t1", "I3\tAllData\t1\t1"}));
    ASSERT_TRUE(ExportAFLPDat(f.ds, f.Path("a.txt"), false));
    EXPECT_EQ(f.Read("a.txt"), Crlf({"x\tL1\tL2", "I1\t1\tNA", "I2\t0\t1", "I3\t1\t1"}));
}

}  // namespace
