#include "foundation/strings.h"

#include "foundation/primitives.h"

#include <algorithm>
#include <stdexcept>
#include <unordered_map>

namespace {

constexpr std::size_t npos = std::string_view::npos;

// 1-based position of a 0-based index (npos: 0).
std::size_t ToPos(std::size_t index) { return index == npos ? 0 : index + 1; }

bool InList(char c, std::string_view list) { return list.find(c) != npos; }

std::uint8_t Byte(char c) { return static_cast<std::uint8_t>(c); }

// 0-based index of the first ch at or after from, npos when none.
std::size_t FindByte(std::string_view text, char ch, std::size_t from = 0) {
    if (from >= text.size()) return npos;
    const std::ptrdiff_t at = IndexByte(text.data() + from, Byte(ch), text.size() - from);
    return at < 0 ? npos : from + static_cast<std::size_t>(at);
}

// 0-based index of the last ch among the first count characters, npos when none.
std::size_t FindLastByte(std::string_view text, char ch, std::size_t count) {
    const std::ptrdiff_t at = LastIndexByte(text.data(), Byte(ch), std::min(count, text.size()));
    return at < 0 ? npos : static_cast<std::size_t>(at);
}

}  // namespace

std::string_view LineBreakText(LineBreakKind kind) {
    switch (kind) {
        case kBreakCRLF: return "\r\n";
        case kBreakLF: return "\n";
        case kBreakCR: return "\r";
        default: return "";
    }
}

// ---- Splitting ----

AString SplitString(std::string_view text, std::string_view separator, bool dropTrailing) {
    separator = separator.substr(0, 2);
    if (separator.empty() || text.empty()) return AString{std::string(text)};
    const char last = separator.back();
    // With a two-character separator the first one goes with each split when it is there.
    const bool pair = separator.size() == 2 && separator[0] != separator[1];
    const char first = separator[0];
    if (dropTrailing && text.back() == last) {
        text.remove_suffix(1);
        if (pair && !text.empty() && text.back() == first) text.remove_suffix(1);
        if (text.empty()) return AString{std::string()};
    }
    AString parts;
    parts.reserve(CountChar(last, text) + 1);
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = FindByte(text, last, start);
        if (at == npos) break;
        std::size_t end = at;
        if (pair && end > start && text[end - 1] == first) --end;
        parts.emplace_back(text.substr(start, end - start));
        start = at + 1;
    }
    parts.emplace_back(text.substr(start));
    return parts;
}

std::size_t SplitByChar(std::string_view text, char separator, AString& parts) {
    if (text.empty()) return 0;
    AString result;
    result.reserve(CountChar(separator, text) + 1);
    std::size_t start = 0;
    for (std::size_t at; (at = FindByte(text, separator, start)) != npos; start = at + 1) {
        result.emplace_back(text.substr(start, at - start));
    }
    result.emplace_back(text.substr(start));
    parts = std::move(result);
    return parts.size();
}

AString SplitLines(std::string_view text, LineBreakKind kind) {
    if (kind == kBreakNone) kind = LineBreakKindByCount(text);
    AString lines;
    switch (kind) {
        case kBreakCRLF: {
            std::string noCR(text.size(), '\0');
            noCR.resize(RemoveByte(text.data(), Byte('\r'), text.size(), noCR.data()));
            SplitByChar(noCR, '\n', lines);
            break;
        }
        case kBreakLF: SplitByChar(text, '\n', lines); break;
        case kBreakCR: SplitByChar(text, '\r', lines); break;
        default: break;
    }
    return lines;
}

namespace {

void SplitAtIndex(std::string_view text, std::size_t at, std::string& left, std::string& right) {
    std::string l(text.substr(0, at));
    std::string r(text.substr(at + 1));
    left = std::move(l);
    right = std::move(r);
}

// Not found: left := the whole text, right := empty.
bool SplitOrWhole(std::string_view text, std::size_t at, std::string& left, std::string& right) {
    if (at == npos) {
        left = std::string(text);
        right.clear();
        return false;
    }
    SplitAtIndex(text, at, left, right);
    return true;
}

}  // namespace

bool SplitAtChar(std::string_view text, char ch, std::string& left, std::string& right) {
    const std::size_t at = FindByte(text, ch);
    if (at == npos) {
        left.clear();
        right.clear();
        return false;
    }
    SplitAtIndex(text, at, left, right);
    return true;
}

bool SplitAtFirstCharFast(std::string_view text, char ch, std::string& left, std::string& right) {
    return SplitOrWhole(text, FindByte(text, ch), left, right);
}

bool SplitAtLastCharFast(std::string_view text, char ch, std::string& left, std::string& right) {
    return SplitOrWhole(text, FindLastByte(text, ch, text.size()), left, right);
}

void SplitAtFirstOf(std::string_view text, std::string_view chars, std::string& left, std::string& right) {
    const std::ptrdiff_t found = IndexOfAnyChar(text.data(), chars.data(), text.size(), chars.size());
    const std::size_t at = found < 0 ? npos : static_cast<std::size_t>(found);
    if (at == npos) {
        left.clear();
        right.clear();
        return;
    }
    SplitAtIndex(text, at, left, right);
}

void ExtractBetween(std::string_view text, std::string_view opens, std::string_view closes,
                    std::string_view stripBefore, std::string_view stripAfter, std::string_view insert,
                    const ExtractBetweenOptions& options, std::string& inner, std::string& outer) {
    // Positions are 1-based here, 0 for none.
    std::size_t open = 0;
    std::size_t close = 0;
    if (options.FromLeft) {
        for (char c : opens) open = std::max(open, ToPos(FindByte(text, c)));
        close = text.size();
        if (open > 0) {
            for (char c : closes) {
                const std::size_t p = ToPos(FindByte(text, c, open - 1));
                if (p > 0 && p < close) close = p;
            }
        }
    } else {
        for (char c : closes) close = std::max(close, ToPos(FindByte(text, c)));
        if (close > 0) {
            for (char c : opens) open = std::max(open, ToPos(FindLastByte(text, c, close)));
        }
    }
    if (open == 0 || close == 0) {
        std::string whole(text);
        inner.clear();
        outer = std::move(whole);
        return;
    }
    const char openChar = text[open - 1];
    const char closeChar = text[close - 1];
    std::string in;
    if (options.KeepOpenInner) in.push_back(openChar);
    if (close > open + 1) in.append(text.substr(open, close - open - 1));
    if (options.KeepCloseInner) in.push_back(closeChar);

    std::string_view left = text.substr(0, open - 1);
    std::string_view right = text.substr(std::min(close, text.size()));
    while (left.size() > 1 && InList(left.back(), stripBefore)) left.remove_suffix(1);
    while (right.size() > 1 && InList(right.front(), stripAfter)) right.remove_prefix(1);

    std::string out(left);
    if (options.KeepOpenOuter) out.push_back(openChar);
    out.append(insert);
    if (options.KeepCloseOuter) out.push_back(closeChar);
    out.append(right);
    inner = std::move(in);
    outer = std::move(out);
}

// ---- Searching and counting ----

std::size_t PosOfChar(char ch, std::string_view text, std::size_t start) {
    if (start == 0) start = 1;
    if (start > text.size()) return 0;
    return ToPos(FindByte(text, ch, start - 1));
}

std::size_t LastPosOfChar(char ch, std::string_view text, std::size_t start) {
    if (start == 0) start = 1;
    if (start > text.size()) return 0;
    return ToPos(FindLastByte(text, ch, start));
}

std::size_t PosCharFast(std::string_view text, char ch) { return ToPos(FindByte(text, ch)); }

std::size_t PosCharFrom(std::string_view text, char ch, std::size_t start) {
    if (start == 0 || start > text.size()) return 0;
    return ToPos(FindByte(text, ch, start - 1));
}

std::size_t LastPosCharFast(std::string_view text, char ch, std::ptrdiff_t n) {
    if (n < 0) return ToPos(FindLastByte(text, ch, text.size()));
    if (n == 0 || static_cast<std::size_t>(n) > text.size()) return 0;
    return ToPos(FindLastByte(text, ch, static_cast<std::size_t>(n)));
}

std::size_t CountChar(char ch, std::string_view text) { return CountByteFast(text.data(), Byte(ch), text.size()); }

std::size_t CountSubstr(std::string_view text, std::string_view sub) {
    if (sub.empty()) return 0;
    std::size_t n = 0;
    for (std::size_t at = text.find(sub); at != npos; at = text.find(sub, at + 1)) ++n;
    return n;
}

std::size_t PosExPlain(std::string_view text, std::string_view sub, std::size_t start) {
    if (text.empty() || sub.empty() || start == 0 || sub.size() > text.size()) return 0;
    if (start > text.size() - sub.size() + 1) return 0;
    return ToPos(text.find(sub, start - 1));
}

std::size_t PosChecked(std::string_view text, std::string_view sub) {
    const std::ptrdiff_t at = SearchBytes(text.data(), sub.data(), text.size(), sub.size());
    const std::size_t pos = at < 0 ? 0 : static_cast<std::size_t>(at) + 1;
    // The processor-specific search must agree with the plain one; a difference is a bug, not data.
    if (pos != PosExPlain(text, sub, 1)) throw std::logic_error("Assertion failure");
    return pos;
}

bool EndsWithLineBreak(std::string_view text, std::string_view lineBreak) {
    lineBreak = lineBreak.substr(0, 2);
    return !lineBreak.empty() && text.size() >= lineBreak.size() &&
           text.substr(text.size() - lineBreak.size()) == lineBreak;
}

LineBreakKind DetectLineBreak(std::string_view text) {
    const std::size_t lf = FindByte(text, '\n');
    if (lf != npos) return lf > 0 && text[lf - 1] == '\r' ? kBreakCRLF : kBreakLF;
    return FindByte(text, '\r') != npos ? kBreakCR : kBreakNone;
}

LineBreakKind LineBreakKindByCount(std::string_view text) {
    std::size_t lf = 0, cr = 0, pairs = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++lf;
            if (i > 0 && text[i - 1] == '\r') ++pairs;
        } else if (text[i] == '\r') {
            ++cr;
        }
    }
    if (lf == 0 && cr == 0) return kBreakNone;
    if (cr == 0) return kBreakLF;
    if (lf == 0) return kBreakCR;
    if (lf != cr) return kBreakNone;
    return pairs == cr ? kBreakCRLF : kBreakNone;
}

bool FindDuplicates(const AString& items, AString& dups) {
    dups.clear();
    std::unordered_map<std::string_view, std::size_t> seen;
    seen.reserve(items.size());
    for (const std::string& item : items) {
        std::size_t& earlier = seen[item];
        for (std::size_t k = 0; k < earlier; ++k) dups.push_back(item);
        ++earlier;
    }
    return !dups.empty();
}

// ---- Editing and filtering ----

std::string UpperCaseAscii(std::string_view text) {
    std::string s(text);
    for (char& c : s) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return s;
}

std::string RemoveCharsInSet(std::string_view text, const CharSet& set) {
    std::string s(text.size(), '\0');
    s.resize(RemoveSetBytes(text.data(), set, text.size(), s.data()));
    return s;
}

std::string KeepCharsInSet(std::string_view text, const CharSet& set) {
    CharSet others;
    ComplementSet(set, others);
    return RemoveCharsInSet(text, others);
}

char FilterChar(bool drop, char ch, std::string_view list) {
    return InList(ch, list) != drop ? ch : '\0';
}

std::string FilterChars(bool drop, std::string_view text, std::string_view list) {
    CharSet listed = MakeCharSet(list);
    CharSet gone = listed;
    if (!drop) ComplementSet(listed, gone);
    gone.Include('\0');  // never passed on
    return RemoveCharsInSet(text, gone);
}

std::string ReplaceChars(std::string_view text, char ch, std::string_view list) {
    return ReplaceCharsInSet(text, MakeCharSet(list), ch);
}

std::string ReplaceCharsInSet(std::string_view text, const CharSet& set, char ch) {
    std::string s(text);
    ReplaceSetBytes(s.data(), set, Byte(ch), s.size());
    return s;
}

std::string CollapseRuns(std::string_view text, char ch) {
    std::string s(text.size(), '\0');
    s.resize(CollapseRunsBytes(text.data(), s.data(), Byte(ch), text.size()));
    return s;
}

std::size_t CollapseSeparators(std::string& text, const CharSet& set, char sep, bool dropEnds) {
    if (text.empty()) return 0;
    ReplaceSetBytes(text.data(), set, Byte(sep), text.size());
    text.resize(CollapseRunsBytes(text.data(), text.data(), Byte(sep), text.size()));
    std::size_t count = CountChar(sep, text);
    if (dropEnds && count > 0) {
        if (text.back() == sep) {
            text.pop_back();
            --count;
        }
        if (!text.empty() && text.front() == sep) {
            text.erase(0, 1);
            --count;
        }
    }
    return count;
}

std::string TrimCharsAtEnds(std::string_view text, std::string_view list) {
    if (!text.empty() && InList(text.back(), list)) text.remove_suffix(1);
    if (!text.empty() && InList(text.front(), list)) text.remove_prefix(1);
    return std::string(text);
}

std::size_t CountTokens(std::string_view text, std::string_view separators, std::string& collapsed) {
    const CharSet set = MakeCharSet(separators);
    std::string s;
    s.reserve(text.size());
    std::size_t tokens = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t run = i;
        while (i < text.size() && set.Contains(text[i])) ++i;
        if (i == text.size()) break;
        if (tokens > 0) s.push_back(text[run]);  // a run shortened to its first character
        ++tokens;
        while (i < text.size() && !set.Contains(text[i])) s.push_back(text[i++]);
    }
    collapsed = std::move(s);
    return tokens;
}

std::string DeleteAll(std::string_view text, std::string_view sub) {
    // Deleting a match and searching on from its position never looks back across the junction,
    // so this is a single left-to-right pass.
    if (sub.empty()) return std::string(text);
    std::string s;
    s.reserve(text.size());
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(sub, start)) != npos; start = at + sub.size()) {
        s.append(text.substr(start, at - start));
    }
    s.append(text.substr(start));
    return s;
}

std::string PadRight(std::string_view text, char ch, std::size_t width) {
    std::string s(text);
    if (!s.empty() && s.size() < width) s.append(width - s.size(), ch);
    return s;
}

std::string AbbrevLeft(std::string_view text, std::size_t n, std::string_view prefix, std::string_view suffix) {
    if (text.size() <= n) return std::string(text);
    std::string s(prefix);
    s.append(text.substr(0, n));
    s.append(suffix);
    return s;
}

std::string AbbrevRight(std::string_view text, std::size_t n, std::string_view prefix, std::string_view suffix) {
    if (text.size() <= n) return std::string(text);
    std::string s(prefix);
    s.append(text.substr(text.size() - n));
    s.append(suffix);
    return s;
}

std::string ReverseString(std::string_view text) { return std::string(text.rbegin(), text.rend()); }

std::string CopyFromTo(std::string_view text, std::size_t i, std::size_t j) {
    if (i == 0) i = 1;
    j = std::min(j, text.size());
    if (j < i) return std::string();
    return std::string(text.substr(i - 1, j - i + 1));
}

std::string JoinStrings(const AString& items, std::string_view separator) {
    std::size_t total = 0;
    for (const std::string& item : items) total += item.size() + separator.size();
    std::string s;
    s.reserve(total);
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) s.append(separator);
        s.append(items[i]);
    }
    return s;
}

std::size_t StrToCharBuf(std::string_view text, char* buffer, std::size_t capacity) {
    if (buffer == nullptr || capacity == 0) return 0;
    const std::size_t n = std::min(text.size(), capacity - 1);
    std::copy_n(text.data(), n, buffer);
    buffer[n] = '\0';
    return n;
}
