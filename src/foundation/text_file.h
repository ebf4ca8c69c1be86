// Ttf: the program's in-memory text file, a list of 8-bit lines loaded from a file (line by line,
// whole, or chunk by chunk for very large files), edited by index, searched for marker lines and
// written back with a fixed line break (CR LF unless changed), creating or appending.
#pragma once

#include "foundation/char_set.h"
#include "foundation/file_io.h"
#include "foundation/types.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <string>
#include <string_view>

// Called with each line, free to change it.
using TLineProc = std::function<void(std::string& line)>;
// Called with each line, returns the text written or collected for it.
using TLineMapFunc = std::function<std::string(const std::string& line)>;

// A line index that is "all ones": not found in FindBlock's exact mode and FindBlockMulti.
inline constexpr std::size_t kAllOnes = static_cast<std::size_t>(-1);

// The named file can be opened for reading.
inline bool IsFileReadable(const std::string& name) { return FileCanOpen(name); }
inline bool CanReadFile(const std::string& name) { return FileCanOpen(name); }

class Ttf {
public:
    bool ReadMode = false;               // Load always reads the file whole
    std::string LineBreak = "\r\n";      // written after every line
    AString Lines;                       // the lines, index 0 .. Count()-1
    std::uint64_t BytesLeft = 0;         // chunked reading: bytes of FileName not read yet
    std::uint64_t ReadPos = 0;           // chunked reading: offset just behind the last chunk
    std::string FileName;                // chunked reading: the file being read
    std::uint64_t ChunkSize = 500000000; // bytes per chunk for ReadNextChunk

    std::size_t Count() const { return Lines.size(); }
    // Count()-1, or -1 when there are no lines.
    std::ptrdiff_t LastIndex() const { return static_cast<std::ptrdiff_t>(Lines.size()) - 1; }
    void Clear() { Lines.clear(); }
    void ClearLines() { Lines.clear(); }
    void SetLines(const AString& items) { Lines = items; }
    void ResetReadState();

    // ---- Per-line callbacks (nothing happens without a callback or when ClampRange fails) ----
    void ForEachLine(const TLineProc& proc, std::size_t from, std::size_t to);
    // out := func of lines from..to; out untouched when nothing is mapped.
    void MapLines(const TLineMapFunc& func, std::size_t from, std::size_t to, AString& out) const;
    // Writes func of lines from..to, each followed by LineBreak, appending when asked (a missing
    // file is created). 0 when nothing was to be written; otherwise 0, -1 or errno as the writers
    // of file_io.h, including write and close failures.
    int WriteLinesToFile(const std::string& name, const TLineMapFunc& func, bool append,
                         std::size_t from, std::size_t to) const;

    // ---- Loading ----
    // whole or ReadMode 1: LoadWhole(name, whole), else LoadLines(name). Returns Count().
    std::size_t Load(const std::string& name, bool whole);
    // Replaces the lines by the file's lines (CR LF, LF and CR end a line); 0 lines when unreadable.
    std::size_t LoadLines(const std::string& name);
    // AddFileAsString, then the new last line is split at its first break's kind; a text ending with
    // a break gives an empty last line, a text without breaks stays one line.
    void LoadWhole(const std::string& name, bool append);
    // The whole file (empty when unreadable) as one new last line; without append the lines go first.
    void AddFileAsString(const std::string& name, bool append);

    // ---- Chunked reading of files too large to hold whole ----
    bool IsReadingFile(const std::string& name) const;
    // Up to count bytes from offset as one new last line (none when nothing could be read); sets
    // FileName, ReadPos and BytesLeft.
    void ReadChunkRaw(const std::string& name, std::uint64_t count, std::uint64_t offset, bool append);
    // Reads a chunk and splits it into lines. With append and joinCarry, continuing the same file
    // where the last chunk ended, the last line held is completed by the chunk's first line (also
    // when a CR LF was cut between the chunks).
    void ReadChunkLines(const std::string& name, std::uint64_t count, std::uint64_t offset, bool append,
                        bool joinCarry);
    // The next ChunkSize bytes of the file being read, or its first chunk.
    void ReadNextChunk(const std::string& name, bool append);

    // ---- Saving and joining ----
    // Every line followed by LineBreak; 0, -1 (short write) or errno.
    int SaveToFile(const std::string& name, bool append) const;
    // Every line followed by sep (also the last).
    std::string JoinAll(std::string_view sep) const;
    // Lines from..to (each cut to the last line) each followed by sep; to < from: empty.
    std::string JoinRange(std::string_view sep, std::size_t from, std::size_t to) const;

    // ---- Editing (an index at or past the end of an insertion appends) ----
    void Add(std::string line) { Lines.push_back(std::move(line)); }
    void AddEmpty(std::size_t n) { Lines.resize(Lines.size() + n); }
    void AddStrings(const AString& items) { Lines.insert(Lines.end(), items.begin(), items.end()); }
    // The same, taking the items over instead of copying them (whole files pass through here).
    void AddStrings(AString&& items) {
        if (Lines.empty()) {
            Lines = std::move(items);
        } else {
            Lines.insert(Lines.end(), std::make_move_iterator(items.begin()), std::make_move_iterator(items.end()));
        }
    }
    // Requires at least one line.
    void AppendToLast(std::string_view text) { Lines.back().append(text); }
    void Insert(std::size_t index, std::string line);
    void InsertEmpty(std::size_t index, std::size_t n);
    void InsertStrings(std::size_t index, const AString& items);
    // Removes lines from..to (to cut to the last line); nothing unless from <= to and from is a line.
    void DeleteRange(std::size_t from, std::size_t to);
    void Delete(std::size_t index) { DeleteRange(index, index); }
    void DeleteLast() {
        if (!Lines.empty()) Lines.pop_back();
    }
    // s := line i when it exists, otherwise s is left as it is.
    void GetLine(std::size_t i, std::string& s) const;
    // Replaces line i when it exists.
    void SetLine(std::size_t i, std::string line);
    // The characters of line i (zero-terminated); i must be a line.
    char* LinePtr(std::size_t i) { return Lines[i].data(); }
    // False when there are no lines; otherwise cuts to to the last line and returns from <= to.
    bool ClampRange(std::size_t from, std::size_t& to) const;
    // to > from: lines from..to forwards; to <= from: lines from down to to. Without inclusive the two
    // end lines are left out (nothing when fewer than 3). out is left as it is when nothing is copied.
    void CopyRange(std::size_t from, std::size_t to, bool inclusive, AString& out) const;
    void CopyRangeTo(std::size_t from, std::size_t to, bool inclusive, Ttf& target) const;

    // Splits every line at each sep (a trailing sep gives an empty last piece); with keepSeparator
    // every piece but the last of a line keeps its sep at its end.
    void SplitLinesAtChar(char sep, bool keepSeparator);

    // ---- Searching ----
    // Contains mode (exact false): first := the first line in from..to containing startMarker, last :=
    // the first line from first on containing endMarker, or to + 1; no start line: 0, 0.
    // Exact mode: lines equal to the markers; no start line: kAllOnes, 0. Without caseSensitive both
    // sides are compared in ASCII upper case. Nothing found for empty markers or an empty range: 0, 0.
    void FindBlock(std::string_view startMarker, std::string_view endMarker, std::size_t from,
                   std::size_t to, bool exact, bool caseSensitive, std::size_t& first,
                   std::size_t& last) const;
    // FindBlock over the marker pairs (A,A), (B,A), (A,B), (B,B) (pairs with an empty B left out);
    // first and last are the smallest found over the pairs, both 0 when no pair is found.
    void FindBlockMulti(std::string_view startA, std::string_view startB, std::string_view endA,
                        std::string_view endB, std::size_t from, std::size_t to, bool exact,
                        bool caseSensitive, std::size_t& first, std::size_t& last) const;
    // From line index on, the first non-empty line containing sub: true, index := that line, pos := the
    // 1-based position. None: false, index and pos 0. No lines or index past the end: false, untouched.
    bool FindLineContaining(std::string_view sub, std::size_t& index, std::size_t& pos) const;

    // ---- Cleaning ----
    // Removes everything from an open char to the next close char, also across lines (emptied lines
    // stay). True when a block is still open at the end.
    bool StripDelimited(char openChar, char closeChar);
    // mode 0 keeps only the characters of set, mode 1 removes them; other modes do nothing.
    void FilterCharsAllLines(std::uint8_t mode, const CharSet& set);
    // Only when sep is in set: every line gets CollapseSeparators(line, set, sep, drop ends).
    void CollapseSeparatorsAllLines(const CharSet& set, char sep);
    // Every member of set becomes ch; with collapse, runs of ch then become one ch.
    void ReplaceCharsAllLines(char ch, const CharSet& set, bool collapse);
    // Removes the empty lines, keeping the order of the others; returns how many went.
    std::size_t RemoveEmptyLines();

private:
    // ReadChunkRaw; true when a line was added.
    bool AddChunk(const std::string& name, std::uint64_t count, std::uint64_t offset, bool append);
};
