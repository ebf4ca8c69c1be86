#include "plot3d/coordinate_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace {

struct Parsed {
    a3dsymbol points;
    std::vector<std::string> errors;
};

Parsed Parse(const AString& lines) {
    Parsed result;
    Reporter reporter([&result](const std::string& m) { result.errors.push_back(m); });
    result.points = ParseCoordinateLines(reporter, lines);
    return result;
}

// The points written to a file and read back without an error; text receives the file's text.
a3dsymbol ExportedAndImported(const a3dsymbol& points, std::string& text) {
    TempDir dir;
    const std::string name = dir.Path("coords.txt");
    EXPECT_EQ(WriteCoordinateFile(name, points), 0);
    a3dsymbol back;
    Reporter reporter;
    EXPECT_TRUE(ReadCoordinateFile(reporter, name, back));
    EXPECT_EQ(reporter.ErrorCount(), 0u);
    text = TempDir::Read(name);
    return back;
}

TEST(CoordinateImport, FieldsSeparatedByTabsBlanksAndCommas) {
    const Parsed p = Parse({"1.5,2 3\tA   5  ,RED"});
    ASSERT_EQ(p.points.size(), 1u);
    EXPECT_TRUE(p.errors.empty());
    const t3dsymbol& s = p.points[0];
    EXPECT_EQ(s.X, 1.5f);
    EXPECT_EQ(s.Y, 2.0f);
    EXPECT_EQ(s.Z, 3.0f);
    EXPECT_EQ(s.Label, "A");
    EXPECT_EQ(s.ShowLabel, 1);
    EXPECT_EQ(s.Shape, kShapeTriangleUp);
    EXPECT_EQ(s.Size, 2);
    EXPECT_EQ(s.Colour, 0x0000FFu);
}

TEST(CoordinateImport, OptionalFieldsAndTheirDefaults) {
    struct Case {
        const char* line;
        std::uint16_t shape, size;
        PlotColour colour;
        std::uint8_t showLabel;
        std::vector<std::string> errors;
    };
    const Case cases[] = {
        {"1 2 3", 0, 0, 0, 0, {}},
        {" ,1\t2 3, ", 0, 0, 0, 0, {}},  // leading and trailing separators are dropped
        {"1 2 3 L", 0, 0, 0, 1, {}},
        {"1 2 3 L 261", 261, 2, 0, 1, {}},
        {"1 2 3 L 5 purple", 5, 2, 0, 1, {}},  // an unknown colour name is black
        {"1 2 3 L 5 lgreen", 5, 2, 0x00FF00, 1, {}},
        {"1 2 3 L 5 -1", 5, 2, 0xFFFFFFFF, 1, {}},
        {"1 2 3 L 5 65280", 5, 2, 0x00FF00, 1, {}},
        {"1 2 3 L x 255", 0, 2, 255, 1, {"Not a valid 16-bit value: x"}},
        {"1 2 3 L 70000 255", 0, 2, 255, 1, {"Not a valid 16-bit value: 70000"}},
        {"1 2 3 L -1 255", 0, 2, 255, 1, {"Not a valid 16-bit value: -1"}},
        {"1 2 3 L 5 1 extra fields", 5, 2, 1, 1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const Parsed p = Parse({c.line});
        ASSERT_EQ(p.points.size(), 1u);
        EXPECT_EQ(p.points[0].X, 1.0f);
        EXPECT_EQ(p.points[0].Z, 3.0f);
        EXPECT_EQ(p.points[0].Shape, c.shape);
        EXPECT_EQ(p.points[0].Size, c.size);
        EXPECT_EQ(p.points[0].Colour, c.colour);
        EXPECT_EQ(p.points[0].ShowLabel, c.showLabel);
        EXPECT_EQ(p.errors, c.errors);
    }
}

TEST(CoordinateImport, BadLinesAreReportedAndKeepTheirPoint) {
    const Parsed p = Parse({"1 2", "", "1 nan 3 B", "1e39 2 3", "0x1 2 3", "4 5 6"});
    ASSERT_EQ(p.points.size(), 5u);  // the empty line is no point
    EXPECT_EQ(p.errors, (std::vector<std::string>{"Line contains < 3 arguments", "Not a valid number: 1 nan 3 B",
                                                  "Not a valid number: 1e39 2 3", "Not a valid number: 0x1 2 3"}));
    EXPECT_EQ(p.points[0].X, 0.0f);
    EXPECT_EQ(p.points[0].Label, "");
    EXPECT_EQ(p.points[1].X, 1.0f);
    EXPECT_EQ(p.points[1].Y, 0.0f);
    EXPECT_EQ(p.points[1].Label, "B");
    EXPECT_EQ(p.points[2].X, 0.0f);
    EXPECT_EQ(p.points[4].Z, 6.0f);
}

TEST(CoordinateImport, HeaderLinesAreDropped) {
    const Parsed p = Parse({"x LABELX", "LABELY LABELZ", "1 2 3 LABELX", "4 5 6"});
    EXPECT_TRUE(p.errors.empty());
    ASSERT_EQ(p.points.size(), 2u);
    EXPECT_EQ(p.points[0].Label, "LABELX");  // only the first line with a marker is a header
    EXPECT_EQ(p.points[1].X, 4.0f);
    // One header line with all three markers is the only header.
    const Parsed q = Parse({"LABELX LABELY LABELZ", "1 2 3 LABELY", "4 5 6 LABELZ"});
    ASSERT_EQ(q.points.size(), 2u);
    EXPECT_EQ(q.points[1].Label, "LABELZ");
}

TEST(CoordinateImport, AFloodOfErrorsEndsInOneCount) {
    const Parsed p = Parse(AString(25, "bad"));
    EXPECT_EQ(p.points.size(), 25u);
    ASSERT_EQ(p.errors.size(), kMaxReportedImportErrors + 1);
    EXPECT_EQ(p.errors.back(), "More errors in this file not shown: 15");
}

TEST(CoordinateImport, AnUnreadableOrEmptyFileLeavesThePointsAlone) {
    TempDir dir;
    a3dsymbol points(2);
    Reporter reporter;
    EXPECT_FALSE(ReadCoordinateFile(reporter, dir.Path("missing.txt"), points));
    EXPECT_FALSE(ReadCoordinateFile(reporter, dir.Root().string(), points));
    EXPECT_FALSE(ReadCoordinateFile(reporter, dir.Write("empty.txt", "\r\n\r\n"), points));
    EXPECT_FALSE(ReadCoordinateFile(reporter, dir.Write("header.txt", "LABELX LABELY LABELZ\n"), points));
    EXPECT_EQ(points.size(), 2u);
    EXPECT_EQ(reporter.ErrorCount(), 0u);
    ASSERT_TRUE(ReadCoordinateFile(reporter, dir.Write("one.txt", "1 2 3\r\n"), points));
    EXPECT_EQ(points.size(), 1u);
}

TEST(CoordinateExport, WritesFiveDecimalsTabsAndCrLf) {
    a3dsymbol points(2);
    points[0].X = 1.5f;
    points[0].Y = -0.25f;
    points[0].Z = 100.0f;
    points[0].Label = "N1_01";
    points[0].Shape = 261;
    points[0].Colour = 0xFFFFFFFF;
    points[1].Colour = 0x00FF00;
    EXPECT_EQ(CoordinateFileText(points),
              "1.50000\t-0.25000\t100.00000\tN1_01\t261\t-1\r\n"
              "0.00000\t0.00000\t0.00000\t\"\"\t0\t65280\r\n");
    EXPECT_EQ(CoordinateFileText({}), "");
}

TEST(CoordinateExport, ExportThenImportGivesTheSamePoints) {
    a3dsymbol points(6);
    const char* labels[] = {"plain", "two words", "a,b\tc", "", "MY LABELX", "\"\"\"\""};
    for (std::size_t i = 0; i < points.size(); ++i) {
        points[i].X = 0.125f * static_cast<float>(i);
        points[i].Y = -3.0f;
        points[i].Z = 12345.5f;
        points[i].Label = labels[i];
        points[i].Shape = static_cast<std::uint16_t>(i == 1 ? 261 : i);
        points[i].Colour = i == 2 ? 0xFF00FF : 0x80000000u;
        points[i].Size = 7;
    }
    std::string text;
    const a3dsymbol back = ExportedAndImported(points, text);
    ASSERT_EQ(back.size(), points.size());
    const char* expectedLabels[] = {"plain", "two_words", "a_b_c", "", "MY_LABELX", "\"\"\"\""};
    for (std::size_t i = 0; i < points.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(back[i].X, points[i].X);
        EXPECT_EQ(back[i].Y, points[i].Y);
        EXPECT_EQ(back[i].Z, points[i].Z);
        EXPECT_EQ(back[i].Label, expectedLabels[i]);
        EXPECT_EQ(back[i].Shape, points[i].Shape);
        EXPECT_EQ(back[i].Colour, points[i].Colour);
        EXPECT_EQ(back[i].Size, 2);
        EXPECT_EQ(back[i].ShowLabel, 1);
    }
    EXPECT_EQ(CoordinateFileText(back), text);
}

// The empty label is written as two quotes; a label of quotes only gets two more, so neither is
// taken for the other on the way back.
TEST(CoordinateExport, EmptyAndQuoteLabelsStayApart) {
    struct Case {
        std::string label;
        std::string field;
    };
    const std::string q255(kMaxLabelLength, '"');
    const std::vector<Case> cases = {
        {"", "\"\""},       {"\"", "\""},       {"\"\"", "\"\"\"\""},  {"\"\"\"", "\"\"\"\"\""},
        {"a\"\"", "a\"\""}, {"\"x\"", "\"x\""}, {q255, q255 + "\"\""},
    };
    a3dsymbol points(cases.size());
    std::string expected;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        points[i].Label = cases[i].label;
        expected += "0.00000\t0.00000\t0.00000\t" + cases[i].field + "\t0\t0\r\n";
    }
    const std::string text = CoordinateFileText(points);
    EXPECT_EQ(text, expected);
    AString lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    const Parsed p = Parse(lines);
    EXPECT_TRUE(p.errors.empty());
    ASSERT_EQ(p.points.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(p.points[i].Label, cases[i].label) << i;
    // A hand-made field of more quotes than a label holds is cut like any long label.
    EXPECT_EQ(Parse({"1 2 3 " + std::string(300, '"')}).points[0].Label, q255);
}

// Exported and imported again, a label comes back as it was, however many quotes it is made of,
// and the file written again is the same.
TEST(CoordinateExport, QuoteLabelsComeBackAsExported) {
    std::vector<std::string> labels = {"a\"\"\"\"", "\"\"\"\"a", "\"x\""};
    for (const std::size_t n : {0u, 1u, 2u, 3u, 4u, 5u, 254u, 255u}) labels.push_back(std::string(n, '"'));
    ASSERT_EQ(labels.back().size(), kMaxLabelLength);
    a3dsymbol points(labels.size());
    for (std::size_t i = 0; i < labels.size(); ++i) points[i].Label = labels[i];
    std::string text;
    const a3dsymbol back = ExportedAndImported(points, text);
    ASSERT_EQ(back.size(), labels.size());
    for (std::size_t i = 0; i < labels.size(); ++i) EXPECT_EQ(back[i].Label, labels[i]) << i;
    EXPECT_EQ(CoordinateFileText(back), text);
}

TEST(CoordinateExport, AWriteFailureIsReturned) {
    TempDir dir;
    EXPECT_NE(WriteCoordinateFile(dir.Path("no/such/folder.txt"), a3dsymbol(1)), 0);
}

}  // namespace
