#include "foundation/text_file.h"

#include "foundation/strings.h"

#include <algorithm>
#include <iterator>

void Ttf::ResetReadState() {
    BytesLeft = 0;
    ReadPos = 0;
    FileName.clear();
    ChunkSize = 500000000;
}

// ---- Per-line callbacks ----

void Ttf::ForEachLine(const TLineProc& proc, std::size_t from, std::size_t to) {
    if (!proc || !ClampRange(from, to)) return;
    for (std::size_t i = from; i <= to; ++i) proc(Lines[i]);
}

void Ttf::MapLines(const TLineMapFunc& func, std::size_t from, std::size_t to, AString& out) const {
    if (!func || !ClampRange(from, to)) return;
    AString mapped;
    mapped.reserve(to - from + 1);
    for (std::size_t i = from; i <= to; ++i) mapped.push_back(func(Lines[i]));
    out = std::move(mapped);
}

int Ttf::WriteLinesToFile(const std::string& name, const TLineMapFunc& func, bool append,
                          std::size_t from, std::size_t to) const {
    if (!func || !ClampRange(from, to)) return 0;
    FileWriter out;
    if (const int rc = out.Open(name, append); rc != 0) return rc;
    for (std::size_t i = from; i <= to; ++i) {
        if (out.Write(func(Lines[i])) != 0) break;
        if (out.Write(LineBreak) != 0) break;
    }
    return out.Close();
}

// ---- Loading ----

std::size_t Ttf::Load(const std::string& name, bool whole) {
    if (whole || ReadMode) {
        LoadWhole(name, whole);
    } else {
        LoadLines(name);
    }
    return Count();
}

std::size_t Ttf::LoadLines(const std::string& name) {
    Lines.clear();
    if (ReadTextLines(name, Lines) != 0) Lines.clear();
    return Count();
}

void Ttf::AddFileAsString(const std::string& name, bool append) {
    if (!append) Lines.clear();
    std::string text;
    std::uint64_t size = 0;
    ReadFileToString(name, text, size);  // unreadable: an empty line
    Lines.push_back(std::move(text));
}

void Ttf::LoadWhole(const std::string& name, bool append) {
    AddFileAsString(name, append);
    const LineBreakKind kind = DetectLineBreak(Lines.back());
    if (kind == kBreakNone) return;
    const std::string text = std::move(Lines.back());
    Lines.pop_back();
    AddStrings(SplitString(text, LineBreakText(kind), false));
}

// ---- Chunked reading ----

bool Ttf::IsReadingFile(const std::string& name) const { return name == FileName && BytesLeft > 0; }

void Ttf::ReadChunkRaw(const std::string& name, std::uint64_t count, std::uint64_t offset, bool append) {
    AddChunk(name, count, offset, append);
}

bool Ttf::AddChunk(const std::string& name, std::uint64_t count, std::uint64_t offset, bool append) {
    if (!append) Lines.clear();
    FileName = name;
    std::string chunk;
    std::uint64_t got = 0;
    const int rc = ReadFileRange(name, chunk, got, BytesLeft, offset, count, 1024);
    ReadPos = offset + got;
    if (rc != 0 || got == 0) return false;
    Lines.push_back(std::move(chunk));
    return true;
}

void Ttf::ReadChunkLines(const std::string& name, std::uint64_t count, std::uint64_t offset, bool append,
                         bool joinCarry) {
    // The last line held is the unfinished start of a line when this chunk continues the file.
    const bool hasCarry = append && joinCarry && name == FileName && BytesLeft > 0 && ReadPos == offset &&
                          !Lines.empty();
    std::size_t carryIndex = 0;
    std::string carry;
    if (hasCarry) {
        carryIndex = Lines.size() - 1;
        carry = std::move(Lines.back());
        Lines.back().clear();
    }
    if (!AddChunk(name, count, offset, append)) {
        if (hasCarry) Lines[carryIndex] = std::move(carry);  // nothing read: the carry stays as it was
        return;
    }
    std::string chunk = std::move(Lines.back());
    Lines.pop_back();
    LineBreakKind kind = DetectLineBreak(chunk);
    bool splitCRLF = false;
    if (hasCarry && !carry.empty() && !chunk.empty() && kind != kBreakCRLF) {
        if (carry.back() == '\r' && chunk.front() == '\n') {
            kind = kBreakCRLF;
            splitCRLF = true;
        } else if (kind == kBreakNone) {
            const char border[2] = {carry.back(), chunk.front()};
            kind = DetectLineBreak(std::string_view(border, 2));
        }
    }
    if (hasCarry) Lines.pop_back();  // the emptied carry line is taken over by the first piece
    if (kind == kBreakNone) {
        Lines.push_back(std::move(chunk));
    } else {
        AddStrings(SplitString(chunk, LineBreakText(kind), false));
    }
    if (hasCarry) {
        if (splitCRLF) carry.pop_back();
        Lines[carryIndex].insert(0, carry);
    }
}

void Ttf::ReadNextChunk(const std::string& name, bool append) {
    const std::uint64_t offset = IsReadingFile(name) ? ReadPos : 0;
    ReadChunkLines(name, ChunkSize, offset, append, true);
}

// ---- Saving and joining ----

int Ttf::SaveToFile(const std::string& name, bool append) const {
    const std::int32_t position = append ? kAppendPosition : 0;
    return WriteStringsSep(name, Lines, LineBreak, position, position);
}

std::string Ttf::JoinAll(std::string_view sep) const {
    return Lines.empty() ? std::string() : JoinRange(sep, 0, Lines.size() - 1);
}

std::string Ttf::JoinRange(std::string_view sep, std::size_t from, std::size_t to) const {
    std::string s;
    if (Lines.empty()) return s;
    from = std::min(from, Lines.size() - 1);
    to = std::min(to, Lines.size() - 1);
    if (to < from) return s;
    std::size_t total = 0;
    for (std::size_t i = from; i <= to; ++i) total += Lines[i].size() + sep.size();
    s.reserve(total);
    for (std::size_t i = from; i <= to; ++i) {
        s.append(Lines[i]);
        s.append(sep);
    }
    return s;
}

// ---- Editing ----

void Ttf::Insert(std::size_t index, std::string line) {
    index = std::min(index, Lines.size());
    Lines.insert(Lines.begin() + static_cast<std::ptrdiff_t>(index), std::move(line));
}

void Ttf::InsertEmpty(std::size_t index, std::size_t n) {
    index = std::min(index, Lines.size());
    Lines.insert(Lines.begin() + static_cast<std::ptrdiff_t>(index), n, std::string());
}

void Ttf::InsertStrings(std::size_t index, const AString& items) {
    index = std::min(index, Lines.size());
    Lines.insert(Lines.begin() + static_cast<std::ptrdiff_t>(index), items.begin(), items.end());
}

void Ttf::DeleteRange(std::size_t from, std::size_t to) {
    if (Lines.empty() || from > to || from >= Lines.size()) return;
    to = std::min(to, Lines.size() - 1);
    Lines.erase(Lines.begin() + static_cast<std::ptrdiff_t>(from),
                Lines.begin() + static_cast<std::ptrdiff_t>(to) + 1);
}

void Ttf::GetLine(std::size_t i, std::string& s) const {
    if (i < Lines.size()) s = Lines[i];
}

void Ttf::SetLine(std::size_t i, std::string line) {
    if (i < Lines.size()) Lines[i] = std::move(line);
}

bool Ttf::ClampRange(std::size_t from, std::size_t& to) const {
    if (Lines.empty()) return false;
    to = std::min(to, Lines.size() - 1);
    return from <= to;
}

void Ttf::CopyRange(std::size_t from, std::size_t to, bool inclusive, AString& out) const {
    if (Lines.empty()) return;
    const std::size_t lastLine = Lines.size() - 1;
    const bool forwards = to > from;
    if (forwards) {
        if (from > lastLine) return;
        to = std::min(to, lastLine);
    } else {
        if (to > lastLine) return;
        from = std::min(from, lastLine);
    }
    const std::size_t lo = std::min(from, to);
    const std::size_t hi = std::max(from, to);
    std::size_t begin = lo;
    std::size_t end = hi + 1;  // lines [begin, end)
    if (!inclusive) {
        if (hi - lo + 1 < 3) return;
        ++begin;
        --end;
    }
    AString copied(Lines.begin() + static_cast<std::ptrdiff_t>(begin), Lines.begin() + static_cast<std::ptrdiff_t>(end));
    if (!forwards) std::reverse(copied.begin(), copied.end());
    out = std::move(copied);
}

void Ttf::CopyRangeTo(std::size_t from, std::size_t to, bool inclusive, Ttf& target) const {
    CopyRange(from, to, inclusive, target.Lines);
}

void Ttf::SplitLinesAtChar(char sep, bool keepSeparator) {
    std::size_t total = 0;
    for (const std::string& line : Lines) total += CountChar(sep, line);
    if (total == 0) return;
    AString result;
    result.reserve(Lines.size() + total);
    for (std::string& line : Lines) {
        const std::string_view text = line;
        std::size_t start = 0;
        for (std::size_t at; (at = text.find(sep, start)) != std::string_view::npos; start = at + 1) {
            result.emplace_back(text.substr(start, at - start + (keepSeparator ? 1 : 0)));
        }
        result.emplace_back(text.substr(start));
    }
    Lines = std::move(result);
}

// ---- Searching ----

namespace {

// Whether line holds marker (contains mode) or equals it (exact mode); marker is already upper case
// when the comparison ignores case.
bool LineMatches(const std::string& line, std::string_view marker, bool exact, bool caseSensitive) {
    if (caseSensitive) return exact ? line == marker : PosChecked(line, marker) > 0;
    const std::string upper = UpperCaseAscii(line);
    return exact ? upper == marker : PosChecked(upper, marker) > 0;
}

}  // namespace

void Ttf::FindBlock(std::string_view startMarker, std::string_view endMarker, std::size_t from,
                    std::size_t to, bool exact, bool caseSensitive, std::size_t& first,
                    std::size_t& last) const {
    first = 0;
    last = 0;
    if (Lines.empty() || startMarker.empty() || endMarker.empty() || from > Lines.size() - 1) return;
    to = std::min(to, Lines.size() - 1);
    if (from > to) return;
    std::string start(startMarker);
    std::string end(endMarker);
    if (!caseSensitive) {
        start = UpperCaseAscii(start);
        end = UpperCaseAscii(end);
    }
    if (exact) first = kAllOnes;
    std::size_t i = from;
    while (i <= to && !LineMatches(Lines[i], start, exact, caseSensitive)) ++i;
    if (i > to) return;
    first = i;
    std::size_t j = i;
    while (j <= to && !LineMatches(Lines[j], end, exact, caseSensitive)) ++j;
    last = j;  // to + 1 when no line ends the block
}

void Ttf::FindBlockMulti(std::string_view startA, std::string_view startB, std::string_view endA,
                         std::string_view endB, std::size_t from, std::size_t to, bool exact,
                         bool caseSensitive, std::size_t& first, std::size_t& last) const {
    if (startB.empty() && endB.empty()) {
        FindBlock(startA, endA, from, to, exact, caseSensitive, first, last);
        return;
    }
    struct Pair {
        std::string_view start, end;
        bool run;
    };
    const Pair pairs[4] = {{startA, endA, true},
                           {startB, endA, !startB.empty()},
                           {startA, endB, !endB.empty()},
                           {startB, endB, !startB.empty() && !endB.empty()}};
    first = kAllOnes;
    last = kAllOnes;
    for (const Pair& p : pairs) {
        if (!p.run) continue;
        std::size_t f = 0, l = 0;
        FindBlock(p.start, p.end, from, to, exact, caseSensitive, f, l);
        // Not found: 0, 0 in contains mode (alas also a block on line 0 alone), all ones, 0 in exact mode.
        if ((f == 0 && l == 0) || f == kAllOnes) continue;
        first = std::min(first, f);
        last = std::min(last, l);
    }
    if (first == kAllOnes || last == kAllOnes) {
        first = 0;
        last = 0;
    }
}

bool Ttf::FindLineContaining(std::string_view sub, std::size_t& index, std::size_t& pos) const {
    if (Lines.empty() || index >= Lines.size()) return false;
    for (std::size_t i = index; i < Lines.size(); ++i) {
        if (Lines[i].empty()) continue;
        const std::size_t p = PosEx(Lines[i], sub, 1);
        if (p > 0) {
            index = i;
            pos = p;
            return true;
        }
    }
    index = 0;
    pos = 0;
    return false;
}

// ---- Cleaning ----

bool Ttf::StripDelimited(char openChar, char closeChar) {
    bool inBlock = false;
    for (std::string& line : Lines) {
        if (line.empty()) continue;
        const std::string_view text = line;
        std::string kept;
        std::size_t i = 0;
        while (i < text.size()) {
            if (inBlock) {
                const std::size_t q = text.find(closeChar, i);
                if (q == std::string_view::npos) break;  // the rest of the line is inside the block
                inBlock = false;
                i = q + 1;
                continue;
            }
            const std::size_t p = text.find(openChar, i);
            if (p == std::string_view::npos) {
                kept.append(text.substr(i));
                break;
            }
            kept.append(text.substr(i, p - i));
            inBlock = true;
            i = p;  // the close char may be the open char itself
            const std::size_t q = text.find(closeChar, p);
            if (q == std::string_view::npos) break;
            inBlock = false;
            i = q + 1;
        }
        line = std::move(kept);
    }
    return inBlock;
}

void Ttf::FilterCharsAllLines(std::uint8_t mode, const CharSet& set) {
    if (mode > 1) return;
    for (std::string& line : Lines) {
        if (line.empty()) continue;
        line = mode == 0 ? KeepCharsInSet(line, set) : RemoveCharsInSet(line, set);
    }
}

void Ttf::CollapseSeparatorsAllLines(const CharSet& set, char sep) {
    if (!set.Contains(sep)) return;
    for (std::string& line : Lines) {
        if (!line.empty()) CollapseSeparators(line, set, sep, true);
    }
}

void Ttf::ReplaceCharsAllLines(char ch, const CharSet& set, bool collapse) {
    for (std::string& line : Lines) {
        if (line.empty()) continue;
        line = ReplaceCharsInSet(line, set, ch);
        if (collapse) line = CollapseRuns(line, ch);
    }
}

std::size_t Ttf::RemoveEmptyLines() {
    const std::size_t before = Lines.size();
    std::erase_if(Lines, [](const std::string& line) { return line.empty(); });
    return before - Lines.size();
}
