#include "foundation/strings.h"

#include <gtest/gtest.h>

TEST(SplitString, SeparatorQuirks) {
    struct Case {
        std::string text, sep;
        bool drop;
        AString parts;
    };
    const Case cases[] = {
        {"a\r\nb\r\n", "\r\n", false, {"a", "b", ""}},
        {"a\r\nb\r\n", "\r\n", true, {"a", "b"}},
        {"a\n\nb\n", "\n\n", false, {"a", "", "b", ""}},  // two equal characters act as one
        {"a,b", ",;x", false, {"a,b"}},                     // cut to ",;": split at ';' only
        {"a;b", ",;x", false, {"a", "b"}},
        {"", "\r\n", false, {""}},
        {"abc", "", false, {"abc"}},
        {"abc", ",", false, {"abc"}},
        {"\r\n", "\r\n", true, {""}},
        {"\n", "\r\n", false, {"", ""}},
        {",a", ",", false, {"", "a"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SplitString(c.text, c.sep, c.drop), c.parts) << ::testing::PrintToString(c.text);
    }
}

TEST(SplitString, MixedCRLFAndLFKeepsEveryCharacter) {
    // Lines ending in a lone LF must not lose their last character to the CR LF separator.
    EXPECT_EQ(SplitString("ab\r\ncd\nef\r\ngh\n\nij", "\r\n", false),
              (AString{"ab", "cd", "ef", "gh", "", "ij"}));
    EXPECT_EQ(SplitString("x\r\ny\n", "\r\n", true), (AString{"x", "y"}));
    EXPECT_EQ(SplitString("\n\n", "\r\n", false), (AString{"", "", ""}));
}

TEST(SplitByChar, EmptyPartsAndEmptyText) {
    AString parts;
    EXPECT_EQ(SplitByChar("a,,b", ',', parts), 3u);
    EXPECT_EQ(parts, (AString{"a", "", "b"}));
    EXPECT_EQ(SplitByChar("a,,", ',', parts), 3u);
    EXPECT_EQ(parts, (AString{"a", "", ""}));
    EXPECT_EQ(SplitByChar("abc", ',', parts), 1u);
    EXPECT_EQ(parts, (AString{"abc"}));
    parts = {"untouched"};
    EXPECT_EQ(SplitByChar("", ',', parts), 0u);
    EXPECT_EQ(parts, (AString{"untouched"}));
}

TEST(SplitLines, ByKindAndDetected) {
    EXPECT_EQ(SplitLines("a\r\nb\r\n", 0), (AString{"a", "b", ""}));
    EXPECT_EQ(SplitLines("a\nb", 0), (AString{"a", "b"}));
    EXPECT_EQ(SplitLines("a\rb", 0), (AString{"a", "b"}));
    EXPECT_TRUE(SplitLines("no break", 0).empty());
    EXPECT_TRUE(SplitLines("a\r\nb\nc", 0).empty());  // mixed breaks
    EXPECT_EQ(SplitLines("a\rx\nb", kBreakCRLF), (AString{"ax", "b"}));  // kind 1 drops every CR
    EXPECT_EQ(SplitLines("a\r\nb", kBreakLF), (AString{"a\r", "b"}));
    EXPECT_TRUE(SplitLines("", kBreakLF).empty());
}

TEST(SplitAt, FirstLastAndAnyOf) {
    std::string l = "l", r = "r";
    EXPECT_TRUE(SplitAtChar("k=v=w", '=', l, r));
    EXPECT_EQ(l + "|" + r, "k|v=w");
    EXPECT_FALSE(SplitAtChar("kv", '=', l, r));
    EXPECT_EQ(l + "|" + r, "|");
    EXPECT_TRUE(SplitAtLastCharFast("k=v=w", '=', l, r));
    EXPECT_EQ(l + "|" + r, "k=v|w");
    EXPECT_FALSE(SplitAtFirstCharFast("kv", '=', l, r));
    EXPECT_EQ(l + "|" + r, "kv|");
    EXPECT_FALSE(SplitAtLastCharFast("kv", '=', l, r));
    EXPECT_EQ(l + "|" + r, "kv|");
    SplitAtFirstOf("a;b,c", ",;", l, r);
    EXPECT_EQ(l + "|" + r, "a|b,c");
    SplitAtFirstOf("abc", ",;", l, r);
    EXPECT_EQ(l + "|" + r, "|");
    std::string text = "x:y";
    EXPECT_TRUE(SplitAtChar(text, ':', text, r));  // the text may be one of the outputs
    EXPECT_EQ(text + "|" + r, "x|y");
}

TEST(ExtractBetween, PairsStripsAndKeeps) {
    std::string inner = "?", outer = "?";
    ExtractBetween("f(a,b)", "(", ")", "", "", "", {.FromLeft = true}, inner, outer);
    EXPECT_EQ(inner, "a,b");
    EXPECT_EQ(outer, "f");
    // Innermost pair, delimiters kept on both sides, blanks stripped around the cut.
    ExtractBetween("x  (a(b)c)  y", "(", ")", " ", " ", "#",
                   {.KeepOpenOuter = true, .KeepCloseOuter = true, .KeepOpenInner = true, .KeepCloseInner = true},
                   inner, outer);
    EXPECT_EQ(inner, "(b)");
    EXPECT_EQ(outer, "x  (a(#)c)  y");
    ExtractBetween("ab  [c]  d", "[", "]", " ", " ", "-", {.FromLeft = true}, inner, outer);
    EXPECT_EQ(inner, "c");
    EXPECT_EQ(outer, "ab-d");
    ExtractBetween("   [c]   ", "[", "]", " ", " ", "", {.FromLeft = true}, inner, outer);
    EXPECT_EQ(outer, "  ");  // when all would go, one character stays on each side
    ExtractBetween("no pair", "(", ")", "", "", "", {.FromLeft = true}, inner, outer);
    EXPECT_EQ(inner, "");
    EXPECT_EQ(outer, "no pair");
}

TEST(Positions, OneBasedWithZeroForNotFound) {
    EXPECT_EQ(PosOfChar('b', "abcb", 0), 2u);
    EXPECT_EQ(PosOfChar('b', "abcb", 3), 4u);
    EXPECT_EQ(PosOfChar('b', "abcb", 5), 0u);
    EXPECT_EQ(LastPosOfChar('b', "abcb", 3), 2u);
    EXPECT_EQ(LastPosOfChar('a', "abcb", 0), 1u);
    EXPECT_EQ(LastPosOfChar('b', "abcb", 5), 0u);
    EXPECT_EQ(PosCharFast("abcb", 'c'), 3u);
    EXPECT_EQ(PosCharFast("abcb", 'z'), 0u);
    EXPECT_EQ(PosCharFrom("abcb", 'b', 0), 0u);
    EXPECT_EQ(PosCharFrom("abcb", 'b', 3), 4u);
    EXPECT_EQ(LastPosCharFast("abcb", 'b', -1), 4u);
    EXPECT_EQ(LastPosCharFast("abcb", 'b', 3), 2u);
    EXPECT_EQ(LastPosCharFast("abcb", 'b', 0), 0u);
    EXPECT_EQ(LastPosCharFast("abcb", 'b', 5), 0u);
    EXPECT_EQ(PosEx("abab", "ab", 2), 3u);
    EXPECT_EQ(PosEx("abab", "ab", 4), 0u);  // cannot fit behind start
    EXPECT_EQ(PosEx("abab", "", 1), 0u);
    EXPECT_EQ(PosEx("ab", "abc", 1), 0u);
    EXPECT_EQ(PosEx("aBc", "bc", 1), 0u);  // case-sensitive
    EXPECT_EQ(PosChecked("xxabc", "abc"), 3u);
    EXPECT_EQ(PosChecked("", "a"), 0u);
}

TEST(Counting, CharsAndOverlappingSubstrings) {
    EXPECT_EQ(CountChar('a', "banana"), 3u);
    EXPECT_EQ(CountCharFast("banana", 'z'), 0u);
    EXPECT_EQ(CountSubstr("aaaa", "aa"), 3u);
    EXPECT_EQ(CountSubstr("banana", "ana"), 2u);
    EXPECT_EQ(CountSubstr("banana", ""), 0u);
}

TEST(LineBreaks, DetectionAndCounting) {
    EXPECT_EQ(DetectLineBreak("x\r\n"), kBreakCRLF);
    EXPECT_EQ(DetectLineBreak("x\n"), kBreakLF);
    EXPECT_EQ(DetectLineBreak("x\r"), kBreakCR);
    EXPECT_EQ(DetectLineBreak("a\nb\r\n"), kBreakLF);  // the first LF decides
    EXPECT_EQ(DetectLineBreak("\n"), kBreakLF);
    EXPECT_EQ(DetectLineBreak(""), kBreakNone);
    EXPECT_EQ(FirstLineBreakKind("a\rb\r\n"), kBreakCRLF);
    EXPECT_EQ(LineBreakKindByCount("a\r\nb\n"), kBreakNone);
    EXPECT_EQ(LineBreakKindByCount("a\r\nb\r\n"), kBreakCRLF);
    EXPECT_EQ(LineBreakKindByCount("a\n\rb"), kBreakNone);  // as many CR as LF, but not in pairs
    EXPECT_EQ(LineBreakKindByCount("a\nb"), kBreakLF);
    EXPECT_EQ(LineBreakKindByCount("a\rb"), kBreakCR);
    EXPECT_EQ(LineBreakKindByCount("ab"), kBreakNone);
    EXPECT_TRUE(EndsWithLineBreak("a\r\n", "\r\n"));
    EXPECT_FALSE(EndsWithLineBreak("a\n", "\r\n"));
    EXPECT_FALSE(EndsWithLineBreak("a", ""));
    EXPECT_TRUE(EndsWithLineBreak("a\r\n", "\r\nxyz"));  // cut to two characters
    EXPECT_EQ(LineBreakText(kBreakCRLF), "\r\n");
    EXPECT_EQ(LineBreakText(7), "");
}

TEST(FindDuplicates, OneEntryPerEarlierEqualItem) {
    AString dups{"stale"};
    EXPECT_TRUE(FindDuplicates({"a", "b", "a", "A", "a"}, dups));
    EXPECT_EQ(dups, (AString{"a", "a", "a"}));  // third a: once; fifth a: twice
    EXPECT_FALSE(FindDuplicates({"a", "A"}, dups));
    EXPECT_TRUE(dups.empty());
}

TEST(Filtering, SetsListsAndCase) {
    const CharSet digits = MakeCharSet("0123456789");
    EXPECT_EQ(UpperCaseAscii("ab\xE4z9"), "AB\xE4Z9");
    EXPECT_EQ(RemoveCharsInSet("a1b22c", digits), "abc");
    EXPECT_EQ(KeepCharsInSet("a1b22c", digits), "122");
    EXPECT_EQ(FilterChars(true, std::string("a1\0b", 4), "1"), "ab");
    EXPECT_EQ(FilterChars(false, std::string("a1\0b", 4), std::string("1\0", 2)), "1");
    EXPECT_EQ(FilterChar(true, 'x', "xy"), '\0');
    EXPECT_EQ(FilterChar(false, 'x', "xy"), 'x');
    EXPECT_EQ(ReplaceChars("a,b;c", '_', ",;"), "a_b_c");
    EXPECT_EQ(ReplaceCharsInSet("a1b", digits, '#'), "a#b");
    EXPECT_EQ(CollapseRuns("--a---b-", '-'), "-a-b-");
}

TEST(CollapseSeparators, RunsEndsAndSeparatorsOnly) {
    const CharSet blanks = MakeCharSet(" \t");
    std::string text = "  a\t\tb ";
    EXPECT_EQ(CollapseSeparators(text, blanks, ' ', true), 1u);
    EXPECT_EQ(text, "a b");
    text = "  a\t\tb ";
    EXPECT_EQ(CollapseSeparators(text, blanks, ' ', false), 3u);
    EXPECT_EQ(text, " a b ");
    for (const char* only : {" ", " \t \t", "\t"}) {
        text = only;
        EXPECT_EQ(CollapseSeparators(text, blanks, ' ', true), 0u) << only;
        EXPECT_EQ(text, "");
    }
    text = "";
    EXPECT_EQ(CollapseSeparators(text, blanks, ' ', true), 0u);
}

TEST(CountTokens, TokensAndCollapsedText) {
    struct Case {
        std::string text;
        std::size_t tokens;
        std::string collapsed;
    };
    const Case cases[] = {{"a b", 2, "a b"},           {"  a ;; b\t", 2, "a b"}, {"a;, b", 2, "a;b"},
                          {"abc", 1, "abc"},            {"", 0, ""},              {" ", 0, ""},
                          {" ;\t ", 0, ""},             {";a", 1, "a"}};
    for (const Case& c : cases) {
        std::string collapsed = "?";
        EXPECT_EQ(CountTokens(c.text, " ;,\t", collapsed), c.tokens) << c.text;
        EXPECT_EQ(collapsed, c.collapsed) << c.text;
    }
}

TEST(Editing, SmallTextRoutines) {
    EXPECT_EQ(TrimCharsAtEnds("\"x\"", "\""), "x");
    EXPECT_EQ(TrimCharsAtEnds("\"\"x\"\"", "\""), "\"x\"");  // at most one at each end
    EXPECT_EQ(TrimCharsAtEnds("\"", "\""), "");
    EXPECT_EQ(TrimCharsAtEnds("", "\""), "");
    EXPECT_EQ(DeleteAll("xabyabab", "ab"), "xy");
    EXPECT_EQ(DeleteAll("aabb", "ab"), "ab");  // the search goes on behind the deletion only
    EXPECT_EQ(DeleteAll("abc", ""), "abc");
    EXPECT_EQ(PadRight("", '.', 5), "");
    EXPECT_EQ(PadRight("ab", '.', 5), "ab...");
    EXPECT_EQ(PadRight("abcdef", '.', 5), "abcdef");
    EXPECT_EQ(AbbrevLeft("abcdef", 3, "[", "...]"), "[abc...]");
    EXPECT_EQ(AbbrevRight("abcdef", 3, "...", ""), "...def");
    EXPECT_EQ(AbbrevLeft("abc", 3, "[", "]"), "abc");
    EXPECT_EQ(ReverseString("abc"), "cba");
    EXPECT_EQ(CopyFromTo("abcdef", 2, 4), "bcd");
    EXPECT_EQ(CopyFromTo("abcdef", 5, 99), "ef");
    EXPECT_EQ(CopyFromTo("abcdef", 4, 3), "");
    EXPECT_EQ(JoinStrings({"a", "b", "c"}, ", "), "a, b, c");
    EXPECT_EQ(JoinStrings({}, ","), "");
}

TEST(StrToCharBuf, NeverWritesPastTheCapacity) {
    char buf[6];
    std::fill(std::begin(buf), std::end(buf), 'X');
    EXPECT_EQ(StrToCharBuf("abcdefgh", buf, 4), 3u);
    EXPECT_EQ(std::string(buf, 6), std::string("abc\0XX", 6));
    EXPECT_EQ(StrToCharBuf("ab", buf, 6), 2u);
    EXPECT_STREQ(buf, "ab");
    buf[0] = 'Q';
    EXPECT_EQ(StrToCharBuf("ab", buf, 0), 0u);
    EXPECT_EQ(buf[0], 'Q');
}
