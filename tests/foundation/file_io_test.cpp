#include "foundation/file_io.h"

#include "support/temp_dir.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

std::string Numbered(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + (i * 7 + i / 26) % 26);
    return s;
}

bool HaveDevFull() { return std::filesystem::exists("/dev/full"); }

}  // namespace

TEST(FileCanOpen, OnlyExistingReadableFiles) {
    TempDir dir;
    EXPECT_TRUE(FileCanOpen(dir.Write("a.txt", "")));
    EXPECT_FALSE(FileCanOpen(dir.Path("missing.txt")));
    EXPECT_FALSE(FileCanOpen(dir.Root().string()));  // a folder is not a readable file
    const std::string fifo = dir.Path("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(FileCanOpen(fifo));  // and a pipe without a writer does not hang the reader
    std::string text;
    std::uint64_t size = 0;
    EXPECT_EQ(ReadFileToString(fifo, text, size), EINVAL);
}

TEST(ReadFileToString, ReadsEveryByteUnchanged) {
    TempDir dir;
    const std::string bytes("a\r\nb\0\xFF\rc\n", 9);
    std::string text = "old";
    std::uint64_t size = 99;
    EXPECT_EQ(ReadFileToString(dir.Write("f", bytes), text, size), 0);
    EXPECT_EQ(text, bytes);
    EXPECT_EQ(size, 9u);
}

TEST(ReadFileToString, MissingFileAndFolderAreErrors) {
    TempDir dir;
    std::string text = "old";
    std::uint64_t size = 99;
    EXPECT_EQ(ReadFileToString(dir.Path("missing"), text, size), ENOENT);
    EXPECT_EQ(text, "");
    EXPECT_EQ(size, 99u);
    EXPECT_EQ(ReadFileToString(dir.Root().string(), text, size), EISDIR);
}

namespace {

struct RangeCase {
    std::uint64_t fileSize, offset, count, blockSize, expectRead, expectLeft;
};

void PrintTo(const RangeCase& c, std::ostream* os) {
    *os << "size " << c.fileSize << " offset " << c.offset << " count " << c.count << " block " << c.blockSize;
}

}  // namespace

class ReadFileRangeCases : public ::testing::TestWithParam<RangeCase> {};

TEST_P(ReadFileRangeCases, DeliversTheContiguousRange) {
    const RangeCase c = GetParam();
    TempDir dir;
    const std::string content = Numbered(c.fileSize);
    const std::string name = dir.Write("f", content);
    std::string text = "old";
    std::uint64_t got = 77, left = 77;
    EXPECT_EQ(ReadFileRange(name, text, got, left, c.offset, c.count, c.blockSize), 0);
    EXPECT_EQ(got, c.expectRead);
    EXPECT_EQ(left, c.expectLeft);
    EXPECT_EQ(text, c.expectRead == 0 ? "" : content.substr(c.offset, c.expectRead));
}

INSTANTIATE_TEST_SUITE_P(
    HeadBlocksTail, ReadFileRangeCases,
    ::testing::Values(RangeCase{3000, 0, 1000, 1024, 1000, 2000},      // tail only
                      RangeCase{3000, 100, 5000, 1024, 2900, 0},       // head and tail, cut at the end
                      RangeCase{10000, 100, 2500, 1024, 2500, 7400},   // head, one block, tail
                      RangeCase{10000, 1024, 2048, 1024, 2048, 6928},  // whole blocks
                      RangeCase{3000, 3000, 10, 1024, 0, 0},           // offset at the end
                      RangeCase{3000, 4000, 10, 1024, 0, 0},           // offset past the end
                      RangeCase{3000, 10, 0, 1024, 0, 2990},           // nothing asked
                      RangeCase{3000, 7, 100, 0, 100, 2893}));         // block size 0 counts as 1

TEST(ReadFileRange, OpenErrorGivesNothing) {
    TempDir dir;
    std::string text = "old";
    std::uint64_t got = 5, left = 5;
    EXPECT_EQ(ReadFileRange(dir.Path("missing"), text, got, left, 0, 10, 1024), ENOENT);
    EXPECT_EQ(text, "");
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(left, 0u);
}

TEST(ReadFileRange, OffsetsBeyondFourGibibytes) {
    // Sizes and offsets are 64-bit: a range far behind 4 GiB of a sparse file.
    TempDir dir;
    const std::string name = dir.Path("sparse");
    const std::uint64_t at = (std::uint64_t{5} << 30) + 7;
    {
        std::ofstream out(name, std::ios::binary);
        out.seekp(static_cast<std::streamoff>(at));
        out.write("xyz!", 4);
        if (!out) GTEST_SKIP() << "no room for a sparse file";
    }
    struct stat st {};
    if (::stat(name.c_str(), &st) != 0 || st.st_blocks > 1 << 16) GTEST_SKIP() << "file system without holes";
    std::string text;
    std::uint64_t got = 0, left = 0;
    EXPECT_EQ(ReadFileRange(name, text, got, left, at, 3, 1024), 0);
    EXPECT_EQ(text, "xyz");
    EXPECT_EQ(got, 3u);
    EXPECT_EQ(left, 1u);
    EXPECT_EQ(ReadFileRange(name, text, got, left, at - 2, 2, 1024), 0);
    EXPECT_EQ(text, std::string(2, '\0'));
    EXPECT_EQ(left, 4u);
}

namespace {

struct LinesCase {
    std::string content;
    AString lines;
};

void PrintTo(const LinesCase& c, std::ostream* os) { *os << ::testing::PrintToString(c.content); }

}  // namespace

class ReadTextLinesCases : public ::testing::TestWithParam<LinesCase> {};

TEST_P(ReadTextLinesCases, SplitsAtEveryKindOfBreak) {
    TempDir dir;
    AString lines{"old"};
    EXPECT_EQ(ReadTextLines(dir.Write("f", GetParam().content), lines), 0);
    EXPECT_EQ(lines, GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Breaks, ReadTextLinesCases,
    ::testing::Values(LinesCase{"", {}}, LinesCase{"a\r\nb\r\n", {"a", "b"}},
                      LinesCase{"a\nb", {"a", "b"}}, LinesCase{"a\rb\r\n\r\n", {"a", "b", ""}},
                      LinesCase{"a\r\rb\n\nc", {"a", "", "b", "", "c"}},
                      LinesCase{"\n", {""}}, LinesCase{"x\r\n\ny", {"x", "", "y"}}));

TEST(ReadTextLines, BreakSplitAcrossReadBlocks) {
    TempDir dir;
    const std::string first(65535, 'x');  // CR is the last byte of the first 64 KiB block
    AString lines;
    EXPECT_EQ(ReadTextLines(dir.Write("f", first + "\r\nsecond\r\n"), lines), 0);
    EXPECT_EQ(lines, (AString{first, "second"}));
}

TEST(ReadTextLines, MissingFile) {
    TempDir dir;
    AString lines{"old"};
    EXPECT_EQ(ReadTextLines(dir.Path("missing"), lines), ENOENT);
    EXPECT_TRUE(lines.empty());
}

TEST(WriteTextFile, AppendsWithoutLineBreaksAndCreatesWhenMissing) {
    TempDir dir;
    const std::string name = dir.Path("f.txt");
    EXPECT_EQ(WriteTextFile(name, "a", true), 0);  // append to a missing file creates it
    EXPECT_EQ(WriteTextFile(name, "b", true), 0);
    EXPECT_EQ(TempDir::Read(name), "ab");
    EXPECT_EQ(WriteTextFile(name, "c", false), 0);
    EXPECT_EQ(TempDir::Read(name), "c");
}

TEST(WriteTextFile, ReportsOpenAndWriteFailures) {
    TempDir dir;
    EXPECT_EQ(WriteTextFile(dir.Path("no/such/folder.txt"), "x", false), ENOENT);
    EXPECT_EQ(WriteTextFile(dir.Root().string(), "x", false), EISDIR);
    const std::string fifo = dir.Path("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(WriteTextFile(fifo, "x", false), ENXIO);  // no reader: an error, not a hang
    if (!HaveDevFull()) GTEST_SKIP() << "no /dev/full";
    EXPECT_EQ(WriteTextFile("/dev/full", "x", false), ENOSPC);  // a full disk is never success
}

TEST(FileWriter, DroppedWithoutCloseStillDeliversItsBytes) {
    TempDir dir;
    const std::string name = dir.Path("f.txt");
    {
        FileWriter out;
        ASSERT_EQ(out.Open(name, false), 0);
        ASSERT_EQ(out.Write("report\r\n"), 0);
    }  // left early, as on an exception
    EXPECT_EQ(TempDir::Read(name), "report\r\n");
}

TEST(WriteStrings, InterleavesItemsAndBuffersWithTheirSeparators) {
    TempDir dir;
    const std::string name = dir.Path("f");
    char b0[] = "XY";
    char b1[] = "Z";
    void* bufs[] = {b0, nullptr, b1};
    const std::uint64_t sizes[] = {2, 5, 1};
    EXPECT_EQ(WriteStrings(name, {"a", "", "c"}, bufs, sizes, ";", "|", 0, 0, true), 0);
    EXPECT_EQ(TempDir::Read(name), "a;XY|;|c;Z|");
    EXPECT_EQ(WriteStrings(name, {}, bufs, sizes, "", "", kAppendPosition, kAppendPosition, false), 0);
    EXPECT_EQ(TempDir::Read(name), "a;XY|;|c;Z|XYZ");
}

TEST(WriteStrings, MismatchedArraysLeaveTheFileUntouched) {
    TempDir dir;
    const std::string name = dir.Write("f", "keep");
    char b[] = "x";
    void* bufs[] = {b, b};
    const std::uint64_t two[] = {1, 1};
    const std::uint64_t one[] = {1};
    EXPECT_EQ(WriteStrings(name, {"1", "2", "3"}, bufs, two, "", "", 0, 0, false), -1);
    EXPECT_EQ(WriteStrings(name, {}, bufs, one, "", "", 0, 0, false), -1);
    EXPECT_EQ(TempDir::Read(name), "keep");
}

TEST(WriteStringsSep, SeparatorAfterEveryItemAndAppendCreates) {
    TempDir dir;
    const std::string name = dir.Path("new.txt");
    EXPECT_EQ(WriteStringsSep(name, {"a", "b"}, "\r\n", kAppendPosition, kAppendPosition), 0);
    EXPECT_EQ(WriteStringsSep(name, {"c"}, "\r\n", kAppendPosition, kAppendPosition), 0);
    EXPECT_EQ(TempDir::Read(name), "a\r\nb\r\nc\r\n");
    EXPECT_EQ(WriteStringsSep(name, {}, "\r\n", 0, 0), 0);  // no items: an empty file
    EXPECT_TRUE(FileCanOpen(name));
    EXPECT_EQ(TempDir::Read(name), "");
}

TEST(WriteStringsSep, LargeOutputAndFailures) {
    TempDir dir;
    const std::string name = dir.Path("big");
    AString items(3000, std::string(1000, 'q'));
    items[1500] = std::string(3 << 20, 'r');  // larger than the writer's buffer
    EXPECT_EQ(WriteStringsSep(name, items, "\n", 0, 0), 0);
    EXPECT_EQ(std::filesystem::file_size(name), 2999u * 1001u + (3u << 20) + 1u);
    EXPECT_EQ(WriteStringsSep(dir.Path("missing/f"), items, "\n", 0, 0), ENOENT);
    if (!HaveDevFull()) GTEST_SKIP() << "no /dev/full";
    EXPECT_EQ(WriteStringsSep("/dev/full", items, "\n", 0, 0), ENOSPC);
}
