#include "popgen/exports/matrix_exports.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "export_fixture.h"
#include "popgen/exports/export_support.h"
#include "popgen/exports/nexus_export.h"
#include "popgen/exports/popgen_exports.h"

namespace {

// Three individuals, three loci, one missing cell.
void SmallData(ExportFixture& f) { f.Set({"109", "001", "111"}); }

TEST(ExportSupport, DerivedNamesChangeOnlyTheLastPathComponent) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"data.txt", "data_indiv.txt"},
        {"out/run.v2/data", "out/run.v2/_indivdata"},
        {"out/run.v2/data.txt", "out/run.v2/data_indiv.txt"},
        {"a.b.c", "a.b_indiv.c"},
        {"noext", "_indivnoext"},
    };
    for (const auto& [name, derived] : cases) EXPECT_EQ(DerivedFileName(name, "_indiv"), derived) << name;
}

TEST(MatrixExports, SynTaxWritesDataAndTwoLabelFiles) {
    ExportFixture f;
    SmallData(f);
    ASSERT_TRUE(ExportSynTax(f.ds, f.Path("syntax.txt")));
    EXPECT_EQ(f.Read("syntax.txt"), Crlf({"TESK_Data", "3 3", "1 0 1 ", "0 0 1 ", "-1 1 1 ", ""}));
    EXPECT_EQ(f.Read("syntax_indivlabels.txt"), Crlf({"3", "I1", "I2", "I3"}));
    EXPECT_EQ(f.Read("syntax_rowlabels.txt"), Crlf({"3", "L1", "L2", "L3"}));
    EXPECT_TRUE(f.errors.empty());
}

TEST(MatrixExports, SynTaxWithoutIndividualNamesKeepsTheDataFileOnly) {
    ExportFixture f;
    SmallData(f);
    f.ds.Layers[1].IndNames.clear();
    EXPECT_FALSE(ExportSynTax(f.ds, f.Path("s.txt")));
    EXPECT_EQ(f.errors, std::vector<std::string>{"No individual names. Could not export indiv labels"});
    EXPECT_TRUE(std::filesystem::exists(f.Path("s.txt")));
    EXPECT_FALSE(std::filesystem::exists(f.Path("s_indivlabels.txt")));
    EXPECT_FALSE(std::filesystem::exists(f.Path("s_rowlabels.txt")));
}

TEST(MatrixExports, NtsysRTableAndOtuList) {
    ExportFixture f;
    SmallData(f);
    ASSERT_TRUE(ExportNTSYS(f.ds, f.Path("x.nts")));
    EXPECT_EQ(f.Read("x.nts"), Crlf({"\"TESK exported data", "1 3L 3L 1 -9", "L1 L2 L3 ", "I1 I2 I3 ", "1  0  1  ",
                                     "0  0  1  ", "-9 1  1  "}));
    ASSERT_TRUE(ExportRTable(f.ds, f.Path("x.tsv")));
    EXPECT_EQ(f.Read("x.tsv"), Crlf({"I1\tI2\tI3", "L1\t1\t0\t1", "L2\t0\t0\t1", "L3\tNA\t1\t1"}));
    ASSERT_TRUE(ExportOTUList(f.ds, f.Path("otu.txt")));
    EXPECT_EQ(f.Read("otu.txt"), Crlf({"I1", "I2", "I3"}));
    EXPECT_TRUE(f.errors.empty());
    EXPECT_TRUE(f.warnings.empty());
}

TEST(MatrixExports, AnInvalidCellStopsEveryBandWriterAndWritesNothing) {
    struct Case {
        const char* file;
        std::function<bool(TPopGenDataSet&, const std::string&)> writer;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"a", ExportSynTax, "Data Error. Could not complete saving of data file"},
        {"b", ExportNTSYS, "Data Error. Could not complete genepop export of data file"},
        {"c", ExportRTable, "Data Error. Could not complete export to R table file"},
        {"d", [](TPopGenDataSet& ds, const std::string& n) { return ExportGenePop(ds, n, false); },
         "Data Error. Could not complete genepop export of data file"},
        {"e", [](TPopGenDataSet& ds, const std::string& n) { return ExportAFLPDat(ds, n, false); },
         "Data Error. Could not complete export to AFLPDat data file"},
        {"f", [](TPopGenDataSet& ds, const std::string& n) { return ExportNexus(ds, n, '1', '?', '0'); },
         "Data Error. Could not complete saving of data file(2)"},
    };
    for (const Case& c : cases) {
        ExportFixture f;
        SmallData(f);
        f.ds.Layers[1].Matrix[4] = 2;
        EXPECT_FALSE(c.writer(f.ds, f.Path(c.file)));
        EXPECT_EQ(f.errors, std::vector<std::string>{c.error});
        EXPECT_FALSE(std::filesystem::exists(f.Path(c.file))) << c.file;
    }
}

TEST(MatrixExports, AFailedWriteNamesTheFileAndTheReason) {
    ExportFixture f;
    SmallData(f);
    const std::string name = f.Path("missing folder/x.tsv");
    EXPECT_FALSE(ExportRTable(f.ds, name));
    EXPECT_EQ(f.errors,
              std::vector<std::string>{"Could not write the file:\r\n" + name + "\r\nNo such file or directory"});
    f.errors.clear();
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_FALSE(ExportOTUList(f.ds, "/dev/full"));
        ASSERT_EQ(f.errors.size(), 1u);
        EXPECT_EQ(f.errors[0], "Could not write the file:\r\n/dev/full\r\nNo space left on device");
    }
}

TEST(MatrixExports, PhylipWritesASquareMatrixWithTenCharacterNames) {
    ExportFixture f;
    f.Set({"10", "01", "11"}, {}, {"a", "a long name 1", "a long name 2"});
    TDSLayer& layer = f.ds.Layers[1];
    layer.DistMatrix = {0.0L, 0.5L, 0.0L, 0.25L, 0.125L, 0.0L};
    ASSERT_TRUE(ExportPhylipDistMatrix(f.ds, f.Path("dist.txt")));
    EXPECT_EQ(f.Read("dist.txt"), Crlf({"3", "a          0.0000000000 0.5000000000 0.2500000000",
                                        "a_long_nam 0.5000000000 0.0000000000 0.1250000000",
                                        "a_long_nam 0.2500000000 0.1250000000 0.0000000000"}));
    ASSERT_EQ(f.warnings.size(), 2u);
    EXPECT_EQ(f.warnings[0],
              "Names changed for the PHYLIP file:\r\n\"a long name 1\" -> \"a_long_nam\"\r\n"
              "\"a long name 2\" -> \"a_long_nam\"");
    EXPECT_EQ(f.warnings[1],
              "These names are the same in the first 10 characters that PHYLIP reads:\r\n\"a_long_nam\"");
}

TEST(MatrixExports, PhylipAndOtuListRefuseWhatTheyCannotWrite) {
    ExportFixture f;
    SmallData(f);
    EXPECT_FALSE(ExportPhylipDistMatrix(f.ds, f.Path("d.txt")));
    f.ds.Layers[1].IndNames.clear();
    f.ds.Layers[1].DistMatrix.assign(6, 0.0L);
    EXPECT_FALSE(ExportPhylipDistMatrix(f.ds, f.Path("d.txt")));
    EXPECT_FALSE(ExportOTUList(f.ds, f.Path("o.txt")));
    EXPECT_EQ(f.errors, (std::vector<std::string>{"No distance matrix in memory. Could not export phylip matrix",
                                                  "No individual names. Could not export phylip matrix",
                                                  "No individual names. Could not export OTU list"}));
    EXPECT_FALSE(std::filesystem::exists(f.Path("d.txt")));
}

TEST(MatrixExports, RTableOfALayerWithoutIndividualsHasAnEmptyHeader) {
    ExportFixture f;
    SmallData(f);
    TDSLayer& layer = f.ds.Layers[1];
    layer.NInd = 0;
    layer.NCells = 0;
    layer.Matrix.clear();
    layer.IndNames.clear();
    ASSERT_TRUE(ExportRTable(f.ds, f.Path("r.tsv")));
    EXPECT_EQ(f.Read("r.tsv"), Crlf({"", "L1", "L2", "L3"}));
}

}  // namespace
