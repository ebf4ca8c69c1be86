// String and line utilities over 8-bit text (one byte per character, no code-page conversion).
//
// Positions are 1-based character positions with 0 for "not found". Case mapping is ASCII only.
// Every routine runs in time linear in its text (FindDuplicates: linear in the number of items
// plus the size of its result).
#pragma once

#include "foundation/char_set.h"
#include "foundation/types.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Line-break kinds.
using LineBreakKind = std::uint8_t;
inline constexpr LineBreakKind kBreakNone = 0;
inline constexpr LineBreakKind kBreakCRLF = 1;
inline constexpr LineBreakKind kBreakLF = 2;
inline constexpr LineBreakKind kBreakCR = 3;

// The break text of a kind: "", CR LF, LF, CR (any other kind: "").
std::string_view LineBreakText(LineBreakKind kind);

// ---- Splitting ----

// Splits at the separator (at most 2 characters are used; two equal characters count as one).
// A text ending with the separator gives an empty last part unless dropTrailing. An empty text or
// separator gives the one part text. With a two-character separator, the character before each
// occurrence of its last character is dropped only when it is the separator's first character,
// so a CR LF split keeps every character of lines that end in a lone LF.
AString SplitString(std::string_view text, std::string_view separator, bool dropTrailing);

// Parts between the separators (empty parts included); returns their number. An empty text returns 0
// and leaves parts unchanged.
std::size_t SplitByChar(std::string_view text, char separator, AString& parts);

// Lines of text split at the break of kind (kind 1 removes every CR, then splits at LF). Kind 0:
// detected by LineBreakKindByCount; a text without breaks or with mixed breaks then gives no lines.
AString SplitLines(std::string_view text, LineBreakKind kind);

// At the first ch: left := before it, right := after it, true. No ch: both empty, false.
bool SplitAtChar(std::string_view text, char ch, std::string& left, std::string& right);
// At the first / last ch: as SplitAtChar; no ch: left := text, right := empty, false.
bool SplitAtFirstCharFast(std::string_view text, char ch, std::string& left, std::string& right);
bool SplitAtLastCharFast(std::string_view text, char ch, std::string& left, std::string& right);
// At the first character that occurs in chars; none: both empty.
void SplitAtFirstOf(std::string_view text, std::string_view chars, std::string& left, std::string& right);

// Which pair ExtractBetween takes and where its delimiters stay.
struct ExtractBetweenOptions {
    bool FromLeft = false;
    bool KeepOpenOuter = false;
    bool KeepCloseOuter = false;
    bool KeepOpenInner = false;
    bool KeepCloseInner = false;
};

// Takes out the text between an open and a close delimiter (characters of opens / closes).
// FromLeft: the pair starts at the largest first position of the open characters and closes at the
// first close character behind it (the text's end when none); otherwise the innermost pair: the
// largest first position of the close characters and the last open character before it.
// inner := the text between them (with the delimiters when KeepOpenInner / KeepCloseInner);
// outer := the text before (trailing characters of stripBefore removed, the first character always
// kept) + the open delimiter when KeepOpenOuter + insert + the close delimiter when KeepCloseOuter +
// the text after (leading characters of stripAfter removed, the last character always kept).
// No pair: inner := empty, outer := text.
void ExtractBetween(std::string_view text, std::string_view opens, std::string_view closes,
                    std::string_view stripBefore, std::string_view stripAfter, std::string_view insert,
                    const ExtractBetweenOptions& options, std::string& inner, std::string& outer);

// ---- Searching and counting ----

// First ch at or after start (0 counts as 1); 0 when none or start > length.
std::size_t PosOfChar(char ch, std::string_view text, std::size_t start);
// Last ch at or before start (0 counts as 1); 0 when none or start > length.
std::size_t LastPosOfChar(char ch, std::string_view text, std::size_t start);
std::size_t PosCharFast(std::string_view text, char ch);
// First ch at or after start; start 0 or past the end: 0.
std::size_t PosCharFrom(std::string_view text, char ch, std::size_t start);
// Last ch among the first n characters (n < 0: the whole text; n 0 or past the end: 0).
std::size_t LastPosCharFast(std::string_view text, char ch, std::ptrdiff_t n);

std::size_t CountChar(char ch, std::string_view text);
inline std::size_t CountCharStr(char ch, std::string_view text) { return CountChar(ch, text); }
inline std::size_t CountCharFast(std::string_view text, char ch) { return CountChar(ch, text); }
// Occurrences of sub, overlapping ones included (each search starts one past the previous match).
std::size_t CountSubstr(std::string_view text, std::string_view sub);

// Position of sub at or after start (start >= 1), case-sensitive; 0 when either is empty, sub is
// longer than text, start is 0 or sub cannot fit behind start.
std::size_t PosExPlain(std::string_view text, std::string_view sub, std::size_t start);
inline std::size_t PosEx(std::string_view text, std::string_view sub, std::size_t start) {
    return PosExPlain(text, sub, start);
}
// Position of sub in text through the fast substring search, checked against PosExPlain: a
// disagreement throws std::logic_error("Assertion failure").
std::size_t PosChecked(std::string_view text, std::string_view sub);

// The text ends with the (non-empty, at most 2 characters) break.
bool EndsWithLineBreak(std::string_view text, std::string_view lineBreak);
// Kind of the first break: by the first LF (CR LF when a CR precedes it, else LF), else CR, else none.
LineBreakKind DetectLineBreak(std::string_view text);
inline LineBreakKind FirstLineBreakKind(std::string_view text) { return DetectLineBreak(text); }
// Kind when the text uses one kind of break throughout; none for no breaks or mixed breaks.
LineBreakKind LineBreakKindByCount(std::string_view text);

// For each item and each earlier item with the same text, the item is added to dups once.
// dups is cleared first; true when it is not empty.
bool FindDuplicates(const AString& items, AString& dups);

// ---- Editing and filtering ----

std::string UpperCaseAscii(std::string_view text);
std::string RemoveCharsInSet(std::string_view text, const CharSet& set);
std::string KeepCharsInSet(std::string_view text, const CharSet& set);
// drop: ch when it is not in list, else #0; keep: ch when it is in list, else #0.
char FilterChar(bool drop, char ch, std::string_view list);
// The characters FilterChar lets through; a #0 character never reaches the result.
std::string FilterChars(bool drop, std::string_view text, std::string_view list);
// Every character of text that occurs in list becomes ch.
std::string ReplaceChars(std::string_view text, char ch, std::string_view list);
std::string ReplaceCharsInSet(std::string_view text, const CharSet& set, char ch);
// Each run of ch shortened to one ch.
std::string CollapseRuns(std::string_view text, char ch);
// In place: members of set become sep, runs of sep become one sep; with dropEnds a final and then a
// leading sep are removed. Returns the number of seps left (0 for a text of separators only).
std::size_t CollapseSeparators(std::string& text, const CharSet& set, char sep, bool dropEnds);
// Removes the last character when it is in list, then the first when it is in list.
std::string TrimCharsAtEnds(std::string_view text, std::string_view list);
// Number of tokens between runs of separator characters; collapsed := the tokens, each inner run of
// separators shortened to its first character, without leading or trailing separators.
std::size_t CountTokens(std::string_view text, std::string_view separators, std::string& collapsed);
// Text with every occurrence of sub removed, left to right.
std::string DeleteAll(std::string_view text, std::string_view sub);
// A non-empty text shorter than width padded with ch up to width; otherwise unchanged.
std::string PadRight(std::string_view text, char ch, std::size_t width);
// Text longer than n: prefix + its first (AbbrevLeft) / last (AbbrevRight) n characters + suffix.
std::string AbbrevLeft(std::string_view text, std::size_t n, std::string_view prefix, std::string_view suffix);
std::string AbbrevRight(std::string_view text, std::size_t n, std::string_view prefix, std::string_view suffix);
std::string ReverseString(std::string_view text);
// Characters i..j (1-based, inclusive, cut to the text).
std::string CopyFromTo(std::string_view text, std::size_t i, std::size_t j);
// Items with the separator between them (none after the last).
std::string JoinStrings(const AString& items, std::string_view separator);
// Copies as much of text as fits into buffer of capacity bytes, zero-terminated; returns the number
// of characters copied. Capacity 0 writes nothing.
std::size_t StrToCharBuf(std::string_view text, char* buffer, std::size_t capacity);
