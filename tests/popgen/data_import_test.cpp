#include "popgen/data/data_import.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "foundation/packed_matrix.h"
#include "foundation/text_file.h"
#include "popgen/data/data_loader.h"
#include "popgen/data/data_saver.h"
#include "popgen/distance/distance_report.h"
#include "popgen/loader_fixture.h"

namespace {

using namespace std::string_literals;

class CountImportTest : public ::testing::Test, public LoaderFixture {};

TEST_F(CountImportTest, ExampleFileImports) {
    ASSERT_TRUE(ImportCountData(ds, ExamplePath("counts.tsv"), 1, 10, "NA", DefaultParams())) << LastError();
    const TDSLayer& base = ds.Layers[0];
    EXPECT_EQ(base.NInd, 12u);
    EXPECT_EQ(base.NLoci, 30u);
    EXPECT_EQ(base.IndNames.front(), "Ind01");
    EXPECT_EQ(base.LocNames.back(), "L30");
    // First line: L01 NA 0 NA 40 40 0 40 25 0 1 40 80.
    std::string first;
    for (std::size_t i = 1; i <= base.NInd; ++i) first += static_cast<char>('0' + base.Cell(i, 1));
    EXPECT_EQ(first, "909110110011");
    EXPECT_EQ(ds.CurLayer, 1);
    EXPECT_TRUE(ds.HasData());
    ASSERT_EQ(ds.Groups.size(), 1u);
    EXPECT_EQ(ds.LocusSets[0].Count, 30u);
}

TEST_F(CountImportTest, ThresholdsAndMissingToken) {
    const std::string file = dir.Write("c.tsv", "\ta\tb\tc\td\te\tf\tg\th\r\nL1\t0\t1\t2\t9\t10\t11\tNA\t+4\r\n");
    ASSERT_TRUE(ImportCountData(ds, file, 1, 10, "NA", DefaultParams())) << LastError();
    EXPECT_EQ(RowsOf(ds.Layers[0]), (std::vector<std::string>{"0", "0", "9", "9", "1", "1", "9", "9"}));

    // Overlapping thresholds: the presence test wins.
    LoaderFixture f;
    ASSERT_TRUE(ImportCountData(f.ds, file, 5, 3, "NA", DefaultParams()));
    EXPECT_EQ(RowsOf(f.ds.Layers[0]), (std::vector<std::string>{"0", "0", "0", "1", "1", "1", "9", "1"}));
}

TEST_F(CountImportTest, LeadingEmptyCellAndBlanksDoNotMatter) {
    ASSERT_TRUE(
        ImportCountData(ds, dir.Write("a.tsv", "\tx\ty\nL1\t0\t20\nL2\t20\t0\n"), 1, 10, "NA", DefaultParams()));
    LoaderFixture f;
    ASSERT_TRUE(ImportCountData(f.ds, f.dir.Write("b.tsv", "x \t y\r\n\r\nL1\t0\t 20\rL2\t20\t0"), 1, 10, "NA",
                                DefaultParams()));
    EXPECT_EQ(f.ds.Layers[0].Matrix, ds.Layers[0].Matrix);
    EXPECT_EQ(f.ds.Layers[0].IndNames, ds.Layers[0].IndNames);
    EXPECT_EQ(f.ds.Layers[0].LocNames, (AString{"L1", "L2"}));
}

TEST_F(CountImportTest, MalformedCountsAreRefused) {
    const struct {
        const char* what;
        std::string bytes;
        std::string message;
    } cases[] = {
        {"empty file", "", "Error importing data: no count data found in file:"},
        {"names only", "a\tb\n", "Error importing data: no count data found in file:"},
        {"a value too few", "a\tb\nL1\t0\t1\nL2\t5\n",
         "Error importing data (1): Unexpected data line length\r\nL2\t5"},
        {"a value too many", "a\tb\nL1\t0\t1\t2\n", "Error importing data (1): Unexpected data line length\r\nL1\t0\t1\t2"},
        {"text", "a\tb\nL1\t0\tlots\n", "Error importing data (2): Not a valid number:\r\nlots"},
        {"fraction", "a\tb\nL1\t0\t1.5\n", "Error importing data (2): Not a valid number:\r\n1.5"},
        {"negative", "a\tb\nL1\t0\t-3\n", "Error importing data (2): Not a valid number:\r\n-3"},
        {"above 32 bits", "a\tb\nL1\t0\t4294967296\n", "Error importing data (2): Not a valid number:\r\n4294967296"},
        {"far above 64 bits", "a\tb\nL1\t0\t99999999999999999999999\n", "Error importing data (2): Not a valid number:"},
        {"binary garbage", std::string("a\tb\nL1\t\x01\xff\t\0\n", 12), "Error importing data (2): Not a valid number:"},
        {"ten megabytes of one line", std::string(10 << 20, '7'), "Error importing data: no count data found in file:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LoaderFixture f;
        EXPECT_FALSE(ImportCountData(f.ds, f.dir.Write("bad.tsv", c.bytes), 1, 10, "NA", DefaultParams()));
        EXPECT_EQ(f.LastError().rfind(c.message, 0), 0u) << f.LastError().substr(0, 200);
        EXPECT_TRUE(f.IsCleared());
    }
    LoaderFixture f;
    EXPECT_FALSE(ImportCountData(f.ds, f.dir.Path("none.tsv"), 1, 10, "NA", DefaultParams()));
    EXPECT_EQ(f.LastError(), "File not found:\r\n" + f.dir.Path("none.tsv"));
}

// Names twice, or names a data file cannot carry, made imported data impossible to save and open
// again ("Locus names are not unique", a matrix that stops at "L*2", "Remark not closed"). They
// are refused where they enter, with the name and the character.
TEST_F(CountImportTest, NamesADataFileCannotCarryAreRefused) {
    const struct {
        const char* what;
        std::string bytes;
        std::string message;
    } cases[] = {
        {"individuals alike", "a\ta\nL1\t0\t1\n", "Individual names are not unique:\r\n\r\na"},
        {"loci alike", "a\tb\nL\t0\t1\nL\t1\t0\n", "Locus names are not unique:\r\n\r\nL"},
        {"end-of-data mark", "a\tb\nL*2\t0\t1\n",
         "Name not allowed:\r\nLocus name \"L*2\" holds '*' (the end-of-data mark)"},
        {"remark start", "a{\tb\nL\t0\t1\n", "Name not allowed:\r\nIndividual name \"a{\" holds '{' (a remark mark)"},
        {"remark end", "a\tb}\nL\t0\t1\n", "Name not allowed:\r\nIndividual name \"b}\" holds '}' (a remark mark)"},
        {"NUL byte",
         std::string("a\tb\nL\0"
                     "2\t0\t1\n",
                     12),
         "Name not allowed:\r\nLocus name \"L#02\" holds #0 (a delimiter)"},
        {"member separator", "a,b\tc\nL\t0\t1\n",
         "Name not allowed:\r\nIndividual name \"a,b\" holds ',' (the separator of set members)"},
        {"file specification mark", "a\tb\nL>\t0\t1\n",
         "Name not allowed:\r\nLocus name \"L>\" holds '>' (a mark of the file specification line)"},
        {"empty name", "a\t\tb\nL\t0\t1\t1\n", "Name not allowed:\r\nIndividual name 2 is empty"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LoaderFixture f;
        EXPECT_FALSE(ImportCountData(f.ds, f.dir.Write("n.tsv", c.bytes), 1, 10, "NA", DefaultParams()));
        EXPECT_EQ(f.errors, (std::vector<std::string>{c.message}));
        EXPECT_TRUE(f.IsCleared());
    }
    // The layout in force decides: with '#' marking the end of the data, "L*2" can be saved.
    FileParamRecord p = DefaultParams();
    p.EndOfDataChar = '#';
    EXPECT_TRUE(ImportCountData(ds, dir.Write("star.tsv", "a\tb\nL*2\t0\t1\n"), 1, 10, "NA", p)) << LastError();
}

TEST_F(CountImportTest, ImportedDataSaveAndLoadAgain) {
    FileParamRecord p = DefaultParams();
    p.LocHeader = 1;
    p.WriteDefaultSets = 1;
    ASSERT_TRUE(ImportCountData(ds, ExamplePath("counts.tsv"), 1, 10, "NA", p)) << LastError();
    const std::string saved = dir.Path("saved.txt");
    ASSERT_TRUE(SaveData(ds, saved, false, kDefaultSpecLine + "\r\n", p)) << LastError();
    LoaderFixture again;
    ASSERT_TRUE(LoadDataFile(again.ds, saved, p)) << again.LastError();
    EXPECT_EQ(again.ds.Layers[0].Matrix, ds.Layers[0].Matrix);
    EXPECT_EQ(again.ds.Layers[0].IndNames, ds.Layers[0].IndNames);
    EXPECT_EQ(again.ds.Layers[0].LocNames, ds.Layers[0].LocNames);
}

// Clipboard text has no end-of-data line to stop at and no place for remarks to close: "id*2" or
// "a}b" came in and were saved into a file that read back otherwise.
TEST(ClipboardImportTest, NamesADataFileCannotCarryAreRefused) {
    FileParamRecord rows = DefaultParams();
    rows.IndInColumns = 0;
    rows.LocHeader = 0;
    FileParamRecord tabs = DefaultParams();
    tabs.Delimiters = "\t";
    const struct {
        const char* what;
        std::string text;
        FileParamRecord params;
        std::string message;
    } cases[] = {
        {"end-of-data mark in a row label", "id*2 1 0\nid3 0 1\n", rows,
         "Individual name \"id*2\" holds '*' (the end-of-data mark)"},
        {"remark end", "a}b c\n1 0\n", DefaultParams(), "Individual name \"a}b\" holds '}' (a remark mark)"},
        {"member separator", "a,b c\n1 0\n", DefaultParams(),
         "Individual name \"a,b\" holds ',' (the separator of set members)"},
        {"NUL byte", std::string("a\0b\tc\n1\t0\n", 10), tabs, "Individual name \"a#0b\" holds #0 (a NUL byte)"},
        {"blank", "a b\tc\n1\t0\n", tabs, "Individual name \"a b\" holds ' ' (a blank, which set lists drop)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LoaderFixture f;
        EXPECT_FALSE(LoadDataFromText(f.ds, c.text, c.params));
        EXPECT_EQ(f.errors, (std::vector<std::string>{"Name not allowed:\r\n" + c.message}));
        EXPECT_TRUE(f.IsCleared());
    }
}

TEST(ClipboardImportTest, MalformedTextIsRefusedAndLeavesTheDataSetCleared) {
    FileParamRecord p = DefaultParams();
    p.IncludeGroups = 0;
    const struct {
        const char* what;
        std::string text;
        const char* message;
    } cases[] = {
        {"empty text", "", "Loading data failed: No data"},
        {"binary garbage", std::string("\x01\xfe\0\x7f{", 5), "Loading data failed"},
        {"truncated row", "A B C\n1 0 1\n1 0\n", "Loading data failed (2): Unexpected data line length\r\n10"},
        {"row too long", "A B\r1 0 1\r", "Loading data failed (2): Unexpected data line length\r\n101"},
        {"unknown character", "A B\n1 -\n", "Loading data failed (3): Unknown data character: -"},
        {"sections are not read", "A B\n1 0\n*\n[Groups]\ng=A;\n", "Loading data failed (2)"},
        {"ten megabytes of one line", std::string(10 << 20, '0'), "Loading data failed: No data"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LoaderFixture f;
        for (int k = 0; k < 5; ++k) f.ds.ReportError("earlier");  // an earlier failure does not count against this load
        EXPECT_FALSE(LoadDataFromText(f.ds, c.text, p));
        EXPECT_EQ(f.ds.ErrorCount(), 1u);
        EXPECT_EQ(f.LastError().rfind(c.message, 0), 0u) << f.LastError().substr(0, 200);
        EXPECT_TRUE(f.IsCleared());
    }
}

class DistImportTest : public ::testing::Test, public LoaderFixture {
protected:
    bool Import(const std::string& file, bool hasTitle = true, bool hasLabels = true) {
        return ImportDistMatrix(ds, file, DistMatrixLayout{.HasTitle = hasTitle, .HasLabels = hasLabels}, '*');
    }
};

TEST_F(DistImportTest, ExampleFileImports) {
    ASSERT_TRUE(Import(ExamplePath("distances.txt"))) << LastError();
    const TDSLayer& l = ds.Layers[0];
    EXPECT_EQ(l.Name, "Example Euclidean distances");
    EXPECT_EQ(l.NInd, 8u);
    EXPECT_EQ(l.IndNames.front(), "Sample1");
    ASSERT_EQ(l.DistMatrix.size(), 36u);
    EXPECT_EQ(l.DistMatrix[0], 0.0L);
    EXPECT_EQ(l.DistMatrix[1], 2.398120L);
    EXPECT_EQ(l.DistMatrix[PairIndex(3, 1)], 1.281468L);
    EXPECT_FALSE(ds.HasData());
    EXPECT_EQ(ds.CurLayer, 0);
    EXPECT_EQ(ds.DataLoaded, 1);
    EXPECT_FALSE(ds.InputText);
    EXPECT_FALSE(ds.DataText);
}

TEST_F(DistImportTest, SeparatorsAndMissingLabels) {
    const std::string file = dir.Write("d.txt", "  0 \n0.5\t\t0\n\n1e-1  2.5E+0 -0\n*\nignored\n");
    ASSERT_TRUE(Import(file, false, false)) << LastError();
    const TDSLayer& l = ds.Layers[0];
    EXPECT_EQ(l.IndNames, (AString{"Ind0", "Ind1", "Ind2"}));
    EXPECT_EQ(l.DistMatrix, (PackedMatrix{0.0L, 0.5L, 0.0L, 0.1L, 2.5L, -0.0L}));
    EXPECT_EQ(l.Name, "");
}

TEST_F(DistImportTest, MalformedMatricesAreRefused) {
    const struct {
        const char* what;
        std::string bytes;
        std::string message;
    } cases[] = {
        {"empty file", "", "Could not find distance matrix to load"},
        {"title only", "Title\n", "Could not find distance matrix to load"},
        {"end of data first", "*\n", "Could not find distance matrix to load"},
        {"end of data before the rows", "T\na\n*\n0\n", "Labels and apparent number of matrix entries do not match"},
        {"too few rows", "T\na b c\n0\n1 0\n", "Labels and apparent number of matrix entries do not match"},
        {"third row too long", "T\na b c\n0\n1 0\n1 2 3 0\n",
         "Elements found in line do not match number of expected elements (3):\r\n1 2 3 0"},
        {"row too short", "T\na b\n0\n1\n",
         "Elements found in line do not match number of expected elements (2):\r\n1"},
        {"nan", "T\na b\n0\nnan 0\n", "Not a valid number:\r\nnan"},
        {"signed NaN", "T\na b\n0\n-NaN 0\n", "Not a valid number:\r\n-NaN"},
        {"NaN in capitals", "T\na b\n0\nNAN 0\n", "Not a valid number:\r\nNAN"},
        {"infinity", "T\na b\n0\ninf 0\n", "Not a valid number:\r\ninf"},
        {"signed infinity", "T\na b\n0\n+Inf 0\n", "Not a valid number:\r\n+Inf"},
        {"overflow", "T\na b\n0\n1e999 0\n", "Not a valid number:\r\n1e999"},
        {"decimal comma", "T\na b\n0\n0,5 0\n", "Not a valid number:\r\n0,5"},
        {"hexadecimal", "T\na b\n0\n0x1p3 0\n", "Not a valid number:\r\n0x1p3"},
        {"binary garbage", std::string("T\na b\n0\n\x01\x02 0\n"), "Not a valid number:\r\n\x01\x02"},
        {"ten megabytes of one line", "T\n" + std::string(10 << 20, 'a'),
         "Labels and apparent number of matrix entries do not match"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LoaderFixture f;
        EXPECT_FALSE(ImportDistMatrix(f.ds, f.dir.Write("bad.txt", c.bytes), DistMatrixLayout{}, '*'));
        EXPECT_EQ(f.LastError().rfind(c.message, 0), 0u) << f.LastError().substr(0, 200);
        EXPECT_TRUE(f.ds.Layers[0].DistMatrix.empty());
        EXPECT_EQ(f.ds.DataLoaded, 0);
        EXPECT_FALSE(f.ds.InputText);
        EXPECT_FALSE(f.ds.DataText);
    }
    EXPECT_FALSE(ImportDistMatrix(ds, dir.Write("ok.txt", "T\na\n0\n"), DistMatrixLayout{.F4 = true}, '*'));
    EXPECT_EQ(LastError(), "REQUESTED PARAMETERS FOR LOADDISSIMMATRIXTF CURRENTLY NOT IMPLEMENTED");
    EXPECT_FALSE(Import(dir.Path("none.txt")));
    EXPECT_EQ(LastError(), "File not found:\r\n" + dir.Path("none.txt"));
}

// The program's own distance report imports again, whatever its names hold besides blanks: the
// end-of-data mark, remark and set marks and names wider than the columns.
TEST_F(DistImportTest, WrittenReportImportsWithTheSameNamesAndValues) {
    TDSLayer layer;
    layer.IndNames = {"A*1", "*", "{B}", "C;,=", "[D]", "<E>", "F/G*", "Twenty-five_characters_*"};
    layer.NInd = layer.IndNames.size();
    for (std::size_t k = 0; k < PackedSize(layer.NInd); ++k)
        layer.DistMatrix.push_back(static_cast<Extended>(k % 7) * 0.125L);
    const std::string file = dir.Path("report.txt");
    ASSERT_EQ(WriteDistanceReport(layer, DistReportOptions{}, file, false), 0);
    ASSERT_TRUE(Import(file)) << LastError();
    const TDSLayer& back = ds.Layers[0];
    EXPECT_EQ(back.Name, "Distances d=1-s (Standard Jaccard coefficients)");
    EXPECT_EQ(back.IndNames, layer.IndNames);
    EXPECT_EQ(back.DistMatrix, layer.DistMatrix);

    // Also one of a series, each block ended by its end-of-data line.
    Ttf series;
    series.LoadLines(file);
    series.Add("*");
    const std::string twice = dir.Path("series.txt");
    const AString block = series.Lines;
    series.AddStrings(block);
    ASSERT_EQ(series.SaveToFile(twice, false), 0);
    LoaderFixture f;
    ASSERT_TRUE(LoadDissimMatrix(f.ds, twice, DistMatrixLayout{}, '*')) << f.LastError();
    ASSERT_EQ(f.ds.Layers[0].MatrixList.size(), 2u);
    EXPECT_EQ(f.ds.Layers[0].MatrixList[1].Matrix, layer.DistMatrix);
    EXPECT_EQ(f.ds.Layers[0].IndNames, layer.IndNames);
}

// Labels that a tree file could not tell apart: twice the same, or with a NUL byte, which the tree
// reader drops ("t" and "t" + NUL became one name there).
TEST_F(DistImportTest, LabelsATreeCannotTellApartAreRefused) {
    const struct {
        const char* what;
        std::string bytes;
        std::string message;
    } cases[] = {
        {"a label twice", "T\na b a\n0\n1 0\n1 1 0\n", "Individual names are not unique:\r\n\r\na"},
        {"labels three times", "T\nx y x y x\n0\n1 0\n1 1 0\n1 1 1 0\n1 1 1 1 0\n",
         "Individual names are not unique:\r\n\r\nx, y, x, x"},
        {"a NUL byte", "T\nt t\0 u\n0\n1 0\n1 1 0\n"s,
         "Name not allowed:\r\nIndividual name \"t#0\" holds #0 (a NUL byte)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LoaderFixture f;
        EXPECT_FALSE(ImportDistMatrix(f.ds, f.dir.Write("dup.txt", c.bytes), DistMatrixLayout{}, '*'));
        EXPECT_EQ(f.errors, (std::vector<std::string>{c.message}));
        EXPECT_TRUE(f.ds.Layers[0].DistMatrix.empty());
        EXPECT_EQ(f.ds.DataLoaded, 0);
        LoaderFixture series;
        EXPECT_FALSE(
            LoadDissimMatrix(series.ds, series.dir.Write("dup.txt", c.bytes + "*\n"), DistMatrixLayout{}, '*'));
        EXPECT_EQ(series.errors, (std::vector<std::string>{c.message}));
        EXPECT_TRUE(series.ds.Layers[0].MatrixList.empty());
    }
}

// Dice of two individuals without bands is 0/0. The report wrote it as "-nan", which the import
// refused; now one spelling goes out and comes back.
TEST_F(DistImportTest, ValuesThatAreNotFiniteGoOutAndComeBack) {
    TDSLayer layer;
    layer.IndNames = {"a", "b", "c", "d"};
    layer.NInd = 4;
    const Extended nan = std::numeric_limits<Extended>::quiet_NaN();
    const Extended inf = std::numeric_limits<Extended>::infinity();
    // A Nei-Li distance of a Dice value 1/16 (r = 1) is infinite.
    layer.DistMatrix = {nan, -nan, 0.0L, 0.25L, nan, -1.0L, inf, -inf, 2.0L, 0.0L};
    const std::string file = dir.Path("report.txt");
    ASSERT_EQ(WriteDistanceReport(layer, DistReportOptions{}, file, false), 0);
    Ttf written;
    written.LoadLines(file);
    ASSERT_EQ(written.Count(), 8u);
    EXPECT_EQ(written.Lines[3], "        NaN ");
    EXPECT_EQ(written.Lines[4], "        NaN 0.0000000000 ");
    EXPECT_EQ(written.Lines[5], "0.2500000000         NaN -1.0000000000 ");
    EXPECT_EQ(written.Lines[6], "        Inf        -Inf 2.0000000000 0.0000000000 ");

    ASSERT_TRUE(Import(file)) << LastError();
    const PackedMatrix& back = ds.Layers[0].DistMatrix;
    ASSERT_EQ(back.size(), 10u);
    for (const std::size_t k : {0u, 1u, 4u}) EXPECT_TRUE(std::isnan(back[k])) << k;
    EXPECT_EQ(back[3], 0.25L);
    EXPECT_EQ(back[5], -1.0L);
    EXPECT_EQ(back[6], inf);
    EXPECT_EQ(back[7], -inf);
    const std::string again = dir.Path("again.txt");
    ASSERT_EQ(WriteDistanceReport(ds.Layers[0], DistReportOptions{}, again, false), 0);
    EXPECT_EQ(TempDir::Read(again), TempDir::Read(file));
}

// The end of the rows is a line holding the end-of-data mark alone: a mark that stands in numbers
// (a digit, the point, the sign, the exponent) or a blank ended the program's own report at its
// first row. Blanks around the mark do not matter; what follows the end line is not read.
TEST_F(DistImportTest, ReportImportsWithAnyEndOfDataCharacter) {
    TDSLayer layer;
    layer.IndNames = {"A.1", "e-5", "*", "N"};
    layer.NInd = 4;
    const Extended nan = std::numeric_limits<Extended>::quiet_NaN();
    layer.DistMatrix = {0.0L, 0.5L, 0.0L, -1.25L, 10.125L, 0.0L, nan, 1e-3L, 2.0L, 0.0L};
    const std::string report = dir.Path("report.txt");
    ASSERT_EQ(WriteDistanceReport(layer, DistReportOptions{}, report, false), 0);
    const std::string text = TempDir::Read(report);
    for (const char eod : {'*', '.', '0', '1', '5', '-', 'e', 'E', 'N', ' ', '\t'}) {
        for (const std::string& end :
             {std::string(), std::string(1, eod) + "\r\n9 9 9\r\n", " \t" + std::string(1, eod) + "  \r\njunk\r\n"}) {
            SCOPED_TRACE("end-of-data character #" + std::to_string(static_cast<int>(eod)) + ", end " + end);
            LoaderFixture f;
            ASSERT_TRUE(ImportDistMatrix(f.ds, f.dir.Write("r.txt", text + end), DistMatrixLayout{}, eod))
                << f.LastError();
            const TDSLayer& back = f.ds.Layers[0];
            EXPECT_EQ(back.IndNames, layer.IndNames);
            ASSERT_EQ(back.DistMatrix.size(), layer.DistMatrix.size());
            for (std::size_t k = 0; k < back.DistMatrix.size(); ++k) {
                if (std::isnan(layer.DistMatrix[k])) EXPECT_TRUE(std::isnan(back.DistMatrix[k])) << k;
                else EXPECT_EQ(back.DistMatrix[k], layer.DistMatrix[k]) << k;
            }
        }
    }
    // A line that holds the mark among other text is a row like any other.
    EXPECT_FALSE(Import(dir.Write("text.txt", "T\na b\n0\n1 0\n* end\n")));
    EXPECT_EQ(LastError(), "Labels and apparent number of matrix entries do not match");
}

TEST_F(DistImportTest, SeriesOfMatricesGoesToTheMatrixList) {
    const std::string file =
        dir.Write("s.txt", "First\na b\n0\n1 0\n*\nSecond\na b\n0\n2 0\n*\n\n\n");
    ASSERT_TRUE(LoadDissimMatrix(ds, file, DistMatrixLayout{}, '*')) << LastError();
    const TDSLayer& l = ds.Layers[0];
    ASSERT_EQ(l.MatrixList.size(), 2u);
    EXPECT_EQ(l.MatrixList[1].Label, "Second");
    EXPECT_EQ(l.MatrixList[1].Matrix[1], 2.0L);
    EXPECT_EQ(l.DistMatrix, l.MatrixList[0].Matrix);
    EXPECT_EQ(l.IndNames, (AString{"a", "b"}));

    // A block with other labels ends the series; the matrices before it stay.
    LoaderFixture f;
    const std::string mixed = f.dir.Write("m.txt", "First\na b\n0\n1 0\n*\nSecond\na c\n0\n2 0\n*\nThird\na b\n0\n3 0\n*\n");
    EXPECT_FALSE(LoadDissimMatrix(f.ds, mixed, DistMatrixLayout{}, '*'));
    EXPECT_EQ(f.LastError(), "Individual label lists do not agree");
    EXPECT_EQ(f.ds.Layers[0].MatrixList.size(), 1u);
}

TEST(DistImportTextTest, ParserNeedsTextAndSlotSize) {
    LoaderFixture f;
    EXPECT_FALSE(LoadDissimMatrixTF(f.ds, "", DistMatrixLayout{}, true));
    EXPECT_EQ(f.LastError(), "LoadDissimMatrixTF serious error: tf is nil");
    f.ds.ValueSize = 0;
    EXPECT_FALSE(LoadDissimMatrixTF(f.ds, "", DistMatrixLayout{}, true));
    EXPECT_EQ(f.LastError(), "lExt not set");
}

}  // namespace
