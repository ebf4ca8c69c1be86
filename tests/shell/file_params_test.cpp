#include "shell/file_params.h"

#include <gtest/gtest.h>

#include "shell/settings.h"
#include "support/fake_ui_port.h"
#include "support/temp_dir.h"

namespace {

class FileParams : public ::testing::Test {
protected:
    void SetUp() override { RestoreDefaultSettings(); }
    void TearDown() override { RestoreDefaultSettings(); }
    FakeUiPort ui;
};

TEST_F(FileParams, DefaultSettingsGiveTheDefaultLine) {
    EXPECT_EQ(WriteSpecBlock(PackFileParams()), "<TESK:10?}{*:c+,i+,l-,d+,a+>\r\n");
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FileParams, RecordCarriesEverySettingBothWays) {
    const FileParamRecord defaults = GetFileParams();
    EXPECT_EQ(defaults, PackFileParams());
    FileParamRecord rec{'+', '-', 'N', '[', ']', '#', "\t;", 0, 0, 1, 0, 0, 1, 1, 'X'};
    SetFileParams(rec);
    EXPECT_EQ(GetFileParams(), rec);
    EXPECT_EQ(OpenRemarkChar, '[');
    EXPECT_EQ(CloseRemarkChar, ']');
    EXPECT_EQ(Delimiters, "\t;");
    EXPECT_EQ(InvalidStateChar, 'X');
    EXPECT_EQ(WriteDefaultSets, 1);
    EXPECT_NE(GetFileParams(), defaults);
}

TEST_F(FileParams, WrittenLineReadsBack) {
    FileParamRecord rec{'A', 'B', 'M', '(', ')', 'E', " ", 0, 1, 1, 0, 0, 0, 0, '!'};
    std::string block;
    std::string line = WriteSpecBlock(rec);
    EXPECT_EQ(line, "<TESK:ABM)(E:c-,i+,l+,d-,a->\r\n");
    line.resize(line.size() - 2);
    ASSERT_TRUE(ExtractSpecBlock(line, block));
    ParseSpecBlock(block);
    FileParamRecord back = GetFileParams();
    back.Delimiters = rec.Delimiters;
    EXPECT_EQ(back, rec);
}

// Only a line meant as the layout has a fault: one with a block, or beginning one with "<TESK".
// Every line the writer gives reads whole; a control character is shown by its code.
TEST_F(FileParams, FaultsOfLinesMeantAsTheLayout) {
    const struct {
        std::string line;
        const char* fault;
    } cases[] = {
        {"", ""},
        {"A B C", ""},
        {"a<b <c", ""},
        {"<TESK:10?}{*:c+,i+,l-,d+,a+> A B", ""},
        {"<TESK:AB?:c-,i+,l+,d-,a->", ""},
        {"a<b c>d", "The block does not begin with \"<TESK:\""},
        {"x <Tesk:10?}{*:c+", "No '>' closes the block"},
        {"<TESK:10?}{*:c+,i+,l-,d+,a+,\x01>", "Unknown flag \"#1\""},
        {"<TESK:10?}{*:c+,i+,l-,d+,a+,xxxxxxxxxxxxxxxxxxxxxxxxx>", "Unknown flag \"xxxxxxxxxxxxxxxxxxxx...\""},
        {"<TESK:10?}{*:>", "Flag \"c\" is missing"},
    };
    for (const auto& c : cases) EXPECT_EQ(SpecLineFault(c.line), c.fault) << c.line;
    FileParamRecord rec{'A', 'B', 'M', '(', ')', 'E', " ", 0, 1, 1, 0, 0, 0, 0, '!'};
    for (const FileParamRecord& r : {GetFileParams(), rec}) {
        std::string line = WriteSpecBlock(r);
        line.resize(line.size() - 2);
        EXPECT_EQ(SpecLineFault(line), "") << line;
    }
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FileParams, NoLineWhenSwitchedOff) {
    WriteSpecs = 0;
    EXPECT_EQ(WriteSpecBlock(PackFileParams()), "");
    AmbiguityNegative = 1;  // nothing to warn about when no line is wanted
    EXPECT_EQ(WriteSpecBlock(PackFileParams()), "");
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FileParams, NegativeAmbiguitiesWriteNoLineAndWarn) {
    AmbiguityNegative = 1;
    ui.ExpectBox(kAnswerOk, "Warning");
    EXPECT_EQ(WriteSpecBlock(PackFileParams()), "");
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text,
              "Not writing TESK File Specification Block.\r\n"
              "(Negative Ambiguities are not supported in TESK input files!)");
    ShowWarnings = 0;
    EXPECT_EQ(WriteSpecBlock(PackFileParams()), "");  // no second box
}

TEST_F(FileParams, SymbolsThatWouldNotReadBackWriteNoLine) {
    for (const char bad : {':', '<', '>', '\r', '\n'}) {
        FileParamRecord rec = PackFileParams();
        rec.EndOfDataChar = bad;
        ui.ExpectBox(kAnswerOk, "Warning");
        EXPECT_EQ(WriteSpecBlock(rec), "") << int(bad);
    }
    EXPECT_EQ(ui.boxes.size(), 5u);
}

TEST_F(FileParams, ExtractNeedsExactlyOneOpeningThenOneClosingBracket) {
    struct Case {
        const char* line;
        bool ok;
        const char* block;
    };
    const Case cases[] = {
        {"<TESK:10?}{*:c+,i+,l-,d+,a+>", true, "<TESK:10?}{*:c+,i+,l-,d+,a+>"},
        {"junk <TESK:ab:> more", true, "<TESK:ab:>"},
        {"<<TESK:10?}{*:c+>", false, ""},
        {"<TESK:10?}{*:c+>>", false, ""},
        {"> <", false, ""},
        {"no block", false, ""},
        {"<TESK:", false, ""},
        {"", false, ""},
    };
    for (const Case& c : cases) {
        std::string block = "stale";
        EXPECT_EQ(ExtractSpecBlock(c.line, block), c.ok) << c.line;
        EXPECT_EQ(block, c.block) << c.line;
    }
}

TEST_F(FileParams, ParseAppliesFlagsAndSymbols) {
    ParseSpecBlock("<TESK:10?}{*:c-,i+,l+,d-,a->");
    EXPECT_EQ(IndInColumns, 0);
    EXPECT_EQ(IndHeader, 1);
    EXPECT_EQ(LocHeader, 1);
    EXPECT_EQ(DelimitedData, 0);
    EXPECT_EQ(IncludeGroups, 0);
    EXPECT_EQ(PresenceChar, '1');
    EXPECT_EQ(EndOfDataChar, '*');
}

TEST_F(FileParams, FewerSymbolsKeepTheRest) {
    OpenRemarkChar = '[';
    ParseSpecBlock("<TESK:AB?:c+>");
    EXPECT_EQ(PresenceChar, 'A');
    EXPECT_EQ(AbsenceChar, 'B');
    EXPECT_EQ(AmbiguityChar, '?');
    EXPECT_EQ(CloseRemarkChar, '}');  // the second colon is never a symbol
    EXPECT_EQ(OpenRemarkChar, '[');
    EXPECT_EQ(EndOfDataChar, '*');
}

TEST_F(FileParams, CloseRemarkSymbolComesFirst) {
    ParseSpecBlock("<TESK:10?)(#XYZ:>");
    EXPECT_EQ(CloseRemarkChar, ')');
    EXPECT_EQ(OpenRemarkChar, '(');
    EXPECT_EQ(EndOfDataChar, '#');  // characters beyond the sixth are ignored
}

TEST_F(FileParams, FlagTextQuirks) {
    struct Case {
        const char* block;
        std::uint8_t indInColumns, locHeader, includeGroups;
    };
    const Case cases[] = {
        {"<TESK:10?}{*:C-,L+>", 1, 0, 1},             // upper case letters select nothing
        {"<TESK:10?}{*:x-,c,l*,a+>", 1, 0, 1},        // unknown letter, short piece, bad sign
        {"<TESK:10?}{*:c-,c+>", 1, 0, 1},             // the last value counts
        {"<TESK:10?}{*: c - , l + , a -x>", 0, 1, 0}, // blanks removed; further characters ignored
        {"<TESK:10?}{*:c-:l+>", 0, 0, 1},             // ':' removed: "c-l+" is one piece
    };
    for (const Case& c : cases) {
        RestoreDefaultSettings();
        ParseSpecBlock(c.block);
        EXPECT_EQ(IndInColumns, c.indInColumns) << c.block;
        EXPECT_EQ(LocHeader, c.locHeader) << c.block;
        EXPECT_EQ(IncludeGroups, c.includeGroups) << c.block;
    }
}

TEST_F(FileParams, InvalidBlocksChangeNothing) {
    const char* const blocks[] = {
        "<tesk:AB?:c->",  "<TASK:AB?:c->", "<TESK:AB?c->", "TESK:AB?:c->", "<TESK:AB?:c-", "", "<>",
    };
    const FileParamRecord before = GetFileParams();
    for (const char* b : blocks) {
        ParseSpecBlock(b);
        EXPECT_EQ(GetFileParams(), before) << b;
    }
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FileParams, FirstLineOfAFile) {
    TempDir dir;
    EXPECT_EQ(ReadFirstLine(dir.Write("crlf.txt", "<TESK:10?}{*:c->\r\nind1 1 0\r\n")), "<TESK:10?}{*:c->");
    EXPECT_EQ(ReadFirstLine(dir.Write("lf.txt", "first\nsecond\n")), "first");
    EXPECT_EQ(ReadFirstLine(dir.Write("one.txt", "only")), "only");
    EXPECT_EQ(ReadFirstLine(dir.Write("empty.txt", "")), "");
    EXPECT_EQ(ReadFirstLine(dir.Path("missing.txt")), "");
    EXPECT_EQ(ReadFirstLine(dir.Root().string()), "");  // a folder is no file
    EXPECT_EQ(ReadFirstLine(dir.Write("cr.txt", "mac\rsecond")), "mac");
    // A first line longer than one read: read on until its break, and no further.
    const std::string longLine = "<TESK:" + std::string(9000, 'x') + ">";
    EXPECT_EQ(ReadFirstLine(dir.Write("long.txt", longLine + "\r\n" + std::string(5000, 'y'))), longLine);
    EXPECT_EQ(ReadFirstLine(dir.Write("longonly.txt", std::string(8192, 'z'))), std::string(8192, 'z'));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FileParams, PlusMinusSigns) {
    EXPECT_EQ(PlusMinus(1), '+');
    EXPECT_EQ(PlusMinus(0), '-');
    EXPECT_EQ(PlusMinus(2), '-');
    std::uint8_t flag = 7;
    ParsePlusMinus(flag, '?');
    EXPECT_EQ(flag, 7);
    ParsePlusMinus(flag, '+');
    EXPECT_EQ(flag, 1);
    ParsePlusMinus(flag, '-');
    EXPECT_EQ(flag, 0);
}

}  // namespace
