#include "foundation/text_file.h"

#include "support/temp_dir.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

Ttf Make(const AString& lines) {
    Ttf t;
    t.SetLines(lines);
    return t;
}

AString Numbered(std::size_t n) {
    AString lines;
    for (std::size_t i = 0; i < n; ++i) lines.push_back("L" + std::to_string(i));
    return lines;
}

}  // namespace

TEST(TtfLoad, WholeFileSplitsAtItsBreak) {
    struct Case {
        std::string content;
        AString lines;
    };
    const Case cases[] = {
        {"x\r\ny\r\n", {"x", "y", ""}},
        {"x\r\n", {"x", ""}},
        {"x", {"x"}},
        {"", {""}},
        {"a\nb\n", {"a", "b", ""}},
        {"a\rb", {"a", "b"}},
        // CR LF file with some LF-only lines: every character stays.
        {"id\r\nabc\ndef\r\nxyz\n\r\nend", {"id", "abc", "def", "xyz", "", "end"}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        Ttf t;
        t.Add("old");
        t.LoadWhole(dir.Write("f", c.content), false);
        EXPECT_EQ(t.Lines, c.lines) << ::testing::PrintToString(c.content);
        EXPECT_EQ(t.Count(), c.lines.size());
    }
}

TEST(TtfLoad, AppendReadModeAndUnreadableFiles) {
    TempDir dir;
    const std::string name = dir.Write("f", "a\r\nb");
    Ttf t;
    t.Add("old");
    EXPECT_EQ(t.Load(name, true), 3u);  // whole = 1 appends
    EXPECT_EQ(t.Lines, (AString{"old", "a", "b"}));
    t.ReadMode = true;
    EXPECT_EQ(t.Load(name, false), 2u);  // whole file, replacing
    EXPECT_EQ(t.Lines, (AString{"a", "b"}));
    t.ReadMode = false;
    EXPECT_EQ(t.Load(dir.Write("g", "p\nq\r\nr\rs\n"), false), 4u);  // line by line
    EXPECT_EQ(t.Lines, (AString{"p", "q", "r", "s"}));
    EXPECT_EQ(t.LoadLines(dir.Path("missing")), 0u);
    EXPECT_EQ(t.LoadLines(dir.Root().string()), 0u);
    t.AddFileAsString(dir.Path("missing"), false);
    EXPECT_EQ(t.Lines, (AString{""}));
    t.AddFileAsString(name, true);
    EXPECT_EQ(t.Lines, (AString{"", "a\r\nb"}));
}

TEST(TtfSave, LineBreakAfterEveryLineCreateOrAppend) {
    TempDir dir;
    const std::string name = dir.Path("out.txt");
    Ttf empty;
    EXPECT_EQ(empty.SaveToFile(name, false), 0);
    EXPECT_TRUE(std::filesystem::exists(name));
    EXPECT_EQ(TempDir::Read(name), "");
    Ttf t = Make({"a", "", "b"});
    EXPECT_EQ(t.SaveToFile(name, false), 0);
    EXPECT_EQ(TempDir::Read(name), "a\r\n\r\nb\r\n");
    t.LineBreak = "\n";
    EXPECT_EQ(t.SaveToFile(name, true), 0);
    EXPECT_EQ(TempDir::Read(name), "a\r\n\r\nb\r\na\n\nb\n");
    const std::string fresh = dir.Path("fresh.txt");
    EXPECT_EQ(t.SaveToFile(fresh, true), 0);  // appending to a missing file creates it
    EXPECT_EQ(TempDir::Read(fresh), "a\n\nb\n");
}

TEST(TtfSave, FailuresAreReported) {
    TempDir dir;
    Ttf t = Make({"a"});
    EXPECT_EQ(t.SaveToFile(dir.Path("no/folder.txt"), false), ENOENT);
    const TLineMapFunc same = [](const std::string& s) { return s; };
    EXPECT_EQ(t.WriteLinesToFile(dir.Path("no/folder.txt"), same, false, 0, 0), ENOENT);
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    EXPECT_EQ(t.SaveToFile("/dev/full", false), ENOSPC);
    EXPECT_EQ(t.WriteLinesToFile("/dev/full", same, false, 0, 0), ENOSPC);
}

TEST(TtfWriteLinesToFile, MapsTheClampedRange) {
    TempDir dir;
    const std::string name = dir.Path("w.txt");
    Ttf t = Make({"a", "b", "c"});
    const TLineMapFunc upper = [](const std::string& s) { return s + s; };
    EXPECT_EQ(t.WriteLinesToFile(name, upper, true, 1, 99), 0);
    EXPECT_EQ(t.WriteLinesToFile(name, upper, true, 0, 0), 0);
    EXPECT_EQ(TempDir::Read(name), "bb\r\ncc\r\naa\r\n");
    EXPECT_EQ(t.WriteLinesToFile(name, nullptr, false, 0, 2), 0);  // nothing to write: file untouched
    EXPECT_EQ(t.WriteLinesToFile(name, upper, false, 2, 1), 0);
    EXPECT_EQ(TempDir::Read(name), "bb\r\ncc\r\naa\r\n");
    EXPECT_EQ(t.WriteLinesToFile(name, upper, false, 2, 2), 0);
    EXPECT_EQ(TempDir::Read(name), "cc\r\n");
}

TEST(TtfChunks, ChunkedReadingGivesTheSameLinesAsWholeReading) {
    TempDir dir;
    const std::string contents[] = {
        "first line\r\nsecond\r\n\r\nfourth one\r\nlast",
        "first line\r\nsecond\r\n\r\nfourth one\r\nlast\r\n",
        "ab\ncd\n\nefg\nh\n",
    };
    for (const std::string& content : contents) {
        const std::string name = dir.Write("c.txt", content);
        Ttf whole;
        whole.LoadWhole(name, false);
        // Every chunk holds a line end once it is longer than the longest line with its break.
        for (std::uint64_t size = 13; size <= content.size() + 1; ++size) {
            Ttf t;
            t.ChunkSize = size;
            int chunks = 0;
            do {
                t.ReadNextChunk(name, true);
                ASSERT_LT(++chunks, 100);
            } while (t.IsReadingFile(name));
            EXPECT_EQ(t.Lines, whole.Lines) << "chunk size " << size << " in " << ::testing::PrintToString(content);
            EXPECT_EQ(t.ReadPos, content.size());
            EXPECT_EQ(t.BytesLeft, 0u);
        }
    }
}

TEST(TtfChunks, RawChunkAndReadState) {
    TempDir dir;
    const std::string name = dir.Write("r.txt", "0123456789");
    Ttf t;
    t.Add("keep");
    t.ReadChunkRaw(name, 4, 3, true);
    EXPECT_EQ(t.Lines, (AString{"keep", "3456"}));
    EXPECT_EQ(t.FileName, name);
    EXPECT_EQ(t.ReadPos, 7u);
    EXPECT_EQ(t.BytesLeft, 3u);
    EXPECT_TRUE(t.IsReadingFile(name));
    EXPECT_FALSE(t.IsReadingFile(name + "x"));
    t.ReadChunkRaw(name, 100, 7, false);
    EXPECT_EQ(t.Lines, (AString{"789"}));
    EXPECT_FALSE(t.IsReadingFile(name));
    t.ResetReadState();
    EXPECT_EQ(t.FileName, "");
    EXPECT_EQ(t.ReadPos, 0u);
    EXPECT_EQ(t.ChunkSize, 500000000u);
    // A chunk that cannot be read leaves a pending line as it was.
    t.SetLines({"partial"});
    t.FileName = name;
    t.ReadPos = 7;
    t.BytesLeft = 3;
    std::filesystem::remove(name);
    t.ReadChunkLines(name, 100, 7, true, true);
    EXPECT_EQ(t.Lines, (AString{"partial"}));
}

TEST(TtfEdit, InsertDeleteAndOutOfRangeIndices) {
    Ttf t = Make({"a", "b"});
    t.Insert(1, "x");
    t.Insert(99, "z");  // past the end appends
    EXPECT_EQ(t.Lines, (AString{"a", "x", "b", "z"}));
    t.InsertEmpty(0, 2);
    t.InsertEmpty(0, 0);
    EXPECT_EQ(t.Lines, (AString{"", "", "a", "x", "b", "z"}));
    t.InsertStrings(2, {"p", "q"});
    t.InsertStrings(50, {"end"});
    EXPECT_EQ(t.Lines, (AString{"", "", "p", "q", "a", "x", "b", "z", "end"}));
    t.DeleteRange(0, 1);
    t.DeleteRange(5, 3);   // from > to: nothing
    t.DeleteRange(20, 30); // past the end: nothing
    t.Delete(2);
    EXPECT_EQ(t.Lines, (AString{"p", "q", "x", "b", "z", "end"}));
    t.DeleteRange(4, 100);  // to cut to the last line
    t.DeleteLast();
    EXPECT_EQ(t.Lines, (AString{"p", "q", "x"}));
    t.AppendToLast("!");
    t.AddEmpty(1);
    t.AddStrings({"s"});
    EXPECT_EQ(t.Lines, (AString{"p", "q", "x!", "", "s"}));
    std::string s = "unchanged";
    t.GetLine(9, s);
    EXPECT_EQ(s, "unchanged");
    t.GetLine(1, s);
    EXPECT_EQ(s, "q");
    t.SetLine(9, "no");
    t.SetLine(0, "P");
    EXPECT_EQ(*t.LinePtr(0), 'P');
    EXPECT_EQ(*t.LinePtr(3), '\0');  // an empty line is an empty zero-terminated text
    EXPECT_EQ(t.LastIndex(), 4);
    t.DeleteRange(0, 4);
    EXPECT_EQ(t.Count(), 0u);
    EXPECT_EQ(t.LastIndex(), -1);
    t.DeleteLast();
    EXPECT_EQ(t.Count(), 0u);
}

TEST(TtfRanges, ClampCopyAndJoin) {
    Ttf t = Make(Numbered(10));
    std::size_t to = 10;
    EXPECT_TRUE(t.ClampRange(0, to));
    EXPECT_EQ(to, 9u);
    to = 3;
    EXPECT_FALSE(t.ClampRange(4, to));
    to = 0;
    EXPECT_FALSE(Ttf().ClampRange(0, to));

    AString out{"untouched"};
    t.CopyRange(5, 2, true, out);
    EXPECT_EQ(out, (AString{"L5", "L4", "L3", "L2"}));
    out = {"untouched"};
    t.CopyRange(2, 3, false, out);
    EXPECT_EQ(out, (AString{"untouched"}));
    t.CopyRange(2, 5, false, out);
    EXPECT_EQ(out, (AString{"L3", "L4"}));
    t.CopyRange(8, 50, true, out);
    EXPECT_EQ(out, (AString{"L8", "L9"}));
    t.CopyRange(50, 8, true, out);  // backwards from beyond the end starts at the last line
    EXPECT_EQ(out, (AString{"L9", "L8"}));
    out = {"untouched"};
    t.CopyRange(10, 20, true, out);
    t.CopyRange(20, 10, true, out);
    Ttf().CopyRange(0, 0, true, out);
    EXPECT_EQ(out, (AString{"untouched"}));
    Ttf target = Make({"old"});
    t.CopyRangeTo(3, 3, true, target);
    EXPECT_EQ(target.Lines, (AString{"L3"}));

    Ttf ab = Make({"a", "b"});
    EXPECT_EQ(ab.JoinAll(", "), "a, b, ");
    EXPECT_EQ(ab.JoinRange("|", 1, 99), "b|");
    EXPECT_EQ(ab.JoinRange("|", 1, 0), "");
    EXPECT_EQ(Ttf().JoinAll(","), "");
}

TEST(TtfCallbacks, ForEachLineAndMapLines) {
    Ttf t = Make({"a", "b", "c"});
    t.ForEachLine([](std::string& s) { s += "+"; }, 1, 9);
    EXPECT_EQ(t.Lines, (AString{"a", "b+", "c+"}));
    t.ForEachLine(nullptr, 0, 2);
    AString out{"untouched"};
    t.MapLines([](const std::string& s) { return "<" + s + ">"; }, 2, 1, out);
    EXPECT_EQ(out, (AString{"untouched"}));
    t.MapLines([](const std::string& s) { return "<" + s + ">"; }, 0, 1, out);
    EXPECT_EQ(out, (AString{"<a>", "<b+>"}));
}

TEST(TtfSplitLinesAtChar, EverySeparatorAddsALine) {
    Ttf t = Make({"a,b,c", "x"});
    t.SplitLinesAtChar(',', true);
    EXPECT_EQ(t.Lines, (AString{"a,", "b,", "c", "x"}));
    t = Make({"a,b,c", "a,"});
    t.SplitLinesAtChar(',', false);
    EXPECT_EQ(t.Lines, (AString{"a", "b", "c", "a", ""}));
    t = Make({"p\x04", "q,r"});  // a line's own control characters stay as they are
    t.SplitLinesAtChar(',', true);
    EXPECT_EQ(t.Lines, (AString{"p\x04", "q,", "r"}));
}

TEST(TtfFindBlock, ContainsAndExactModes) {
    Ttf t = Make({"intro", "[Groups] here", "g1", "[End]", "[groups]", "tail"});
    std::size_t first = 9, last = 9;
    t.FindBlock("[Groups]", "[End]", 0, 99, false, true, first, last);
    EXPECT_EQ(first, 1u);
    EXPECT_EQ(last, 3u);
    t.FindBlock("[Groups]", "here", 0, 99, false, true, first, last);  // both on one line
    EXPECT_EQ(first, 1u);
    EXPECT_EQ(last, 1u);
    t.FindBlock("[Groups]", "[Missing]", 0, 4, false, true, first, last);
    EXPECT_EQ(first, 1u);
    EXPECT_EQ(last, 5u);  // to + 1
    t.FindBlock("[Nothing]", "[End]", 0, 99, false, true, first, last);
    EXPECT_EQ(first, 0u);
    EXPECT_EQ(last, 0u);
    t.FindBlock("[Nothing]", "[End]", 0, 99, true, true, first, last);
    EXPECT_EQ(first, kAllOnes);
    EXPECT_EQ(last, 0u);
    t.FindBlock("[GROUPS]", "TAIL", 2, 99, true, false, first, last);  // exact, any case
    EXPECT_EQ(first, 4u);
    EXPECT_EQ(last, 5u);
    t.FindBlock("[Groups] here", "[End]", 0, 99, true, true, first, last);
    EXPECT_EQ(first, 1u);
    EXPECT_EQ(last, 3u);
    for (auto [from, to] : {std::pair<std::size_t, std::size_t>{6, 9}, {3, 2}}) {
        first = last = 9;
        t.FindBlock("[End]", "tail", from, to, false, true, first, last);
        EXPECT_EQ(first, 0u);
        EXPECT_EQ(last, 0u);
    }
    t.FindBlock("", "tail", 0, 9, false, true, first, last);
    EXPECT_EQ(first + last, 0u);
}

TEST(TtfFindBlock, MultiTakesTheSmallestOverTheMarkerPairs) {
    Ttf t = Make({"x", "#begin", "a", "#stop", "b", "#end"});
    std::size_t first = 9, last = 9;
    t.FindBlockMulti("#start", "#begin", "#end", "#stop", 0, 99, false, true, first, last);
    EXPECT_EQ(first, 1u);
    EXPECT_EQ(last, 3u);
    t.FindBlockMulti("#begin", "", "#end", "", 0, 99, false, true, first, last);
    EXPECT_EQ(first, 1u);
    EXPECT_EQ(last, 5u);
    // Exact mode: an absent marker pair does not hide the block the other pairs find.
    t.FindBlockMulti("#start", "#begin", "#end", "#stop", 0, 99, true, true, first, last);
    EXPECT_EQ(first, 1u);
    EXPECT_EQ(last, 3u);
    t.FindBlockMulti("#none", "#nix", "#end", "#stop", 0, 99, true, true, first, last);
    EXPECT_EQ(first, 0u);
    EXPECT_EQ(last, 0u);
    Ttf zero = Make({"#a #b", "rest"});  // a block on line 0 alone looks like nothing found
    zero.FindBlockMulti("#a", "#x", "#b", "", 0, 9, false, true, first, last);
    EXPECT_EQ(first, 0u);
    EXPECT_EQ(last, 0u);
}

TEST(TtfFindLineContaining, ScansFromIndex) {
    Ttf t = Make({"abc", "", "xbz", "b"});
    std::size_t index = 1, pos = 7;
    EXPECT_TRUE(t.FindLineContaining("b", index, pos));
    EXPECT_EQ(index, 2u);
    EXPECT_EQ(pos, 2u);
    index = 0;
    EXPECT_FALSE(t.FindLineContaining("q", index, pos));
    EXPECT_EQ(index, 0u);
    EXPECT_EQ(pos, 0u);
    index = 4;
    pos = 7;
    EXPECT_FALSE(t.FindLineContaining("b", index, pos));
    EXPECT_EQ(index, 4u);
    EXPECT_EQ(pos, 7u);
}

TEST(TtfStripDelimited, BlocksWithinAndAcrossLines) {
    Ttf t = Make({"x{a}y{b", "c}z"});
    EXPECT_FALSE(t.StripDelimited('{', '}'));
    EXPECT_EQ(t.Lines, (AString{"xy", "z"}));
    t = Make({"{r}", "", "a{b"});
    EXPECT_TRUE(t.StripDelimited('{', '}'));
    EXPECT_EQ(t.Lines, (AString{"", "", "a"}));
    t = Make({"[1]a[2]b[3]", "[open", "all inside", "still]end"});
    EXPECT_FALSE(t.StripDelimited('[', ']'));
    EXPECT_EQ(t.Lines, (AString{"ab", "", "", "end"}));
    EXPECT_FALSE(Ttf().StripDelimited('[', ']'));
}

TEST(TtfClean, PerLineFilters) {
    const CharSet blanks = MakeCharSet(" \t");
    Ttf t = Make({"  a\t\tb ", "", " \t "});
    t.CollapseSeparatorsAllLines(blanks, ' ');
    EXPECT_EQ(t.Lines, (AString{"a b", "", ""}));
    t = Make({"a  b"});
    t.CollapseSeparatorsAllLines(blanks, ';');  // the separator must be in the set
    EXPECT_EQ(t.Lines, (AString{"a  b"}));
    t = Make({"a1b2", "33", ""});
    t.FilterCharsAllLines(0, MakeCharSet("0123456789"));
    EXPECT_EQ(t.Lines, (AString{"12", "33", ""}));
    t.FilterCharsAllLines(1, MakeCharSet("3"));
    EXPECT_EQ(t.Lines, (AString{"12", "", ""}));
    t.FilterCharsAllLines(2, MakeCharSet("1"));
    EXPECT_EQ(t.Lines, (AString{"12", "", ""}));
    EXPECT_EQ(t.RemoveEmptyLines(), 2u);
    EXPECT_EQ(t.Lines, (AString{"12"}));
    t = Make({"a,;b", "c"});
    t.ReplaceCharsAllLines(' ', MakeCharSet(",;"), true);
    EXPECT_EQ(t.Lines, (AString{"a b", "c"}));
    t = Make({"a,;b"});
    t.ReplaceCharsAllLines(' ', MakeCharSet(",;"), false);
    EXPECT_EQ(t.Lines, (AString{"a  b"}));
}
