// Whole-file and ranged file reading, and writers that create or append.
//
// File names are UTF-8 byte strings handed to the operating system unchanged; contents are bytes.
// Results: 0 on success, otherwise the operating system's error number (errno); the writers also
// return -1 when fewer bytes were written than asked or their array arguments do not match.
// Only regular files are read: a folder gives EISDIR, a pipe, socket or device EINVAL.
#pragma once

#include "foundation/types.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// Both position words of WriteStrings at this value: append at the end of the file.
inline constexpr std::int32_t kAppendPosition = -1;

// The operating system's text for a result of the readers and writers: the message of an errno
// value, or for -1 "Not all bytes could be written.". The program's only errno-to-text routine.
std::string FileErrorText(int code);

// Whether the file exists as a regular file and can be opened for reading.
bool FileCanOpen(const std::string& name);

// text := the whole file; size := its length. On failure text is empty and size untouched
// when the file could not be opened.
int ReadFileToString(const std::string& name, std::string& text, std::uint64_t& size);

// Reads up to count bytes from offset (the file's end cuts the count). blockSize only shapes the
// transfer (0 counts as 1). An offset at or past the end reads nothing and returns 0.
// bytesLeft := bytes of the file behind what was read (behind offset after a read error, 0 after
// an open error).
int ReadFileRange(const std::string& name, std::string& text, std::uint64_t& bytesRead,
                  std::uint64_t& bytesLeft, std::uint64_t offset, std::uint64_t count,
                  std::uint64_t blockSize);

// lines := the file's lines without their breaks; CR LF, LF and a lone CR each end a line, and a
// break at the very end does not start another line.
int ReadTextLines(const std::string& name, AString& lines);

// Writes text unchanged (no line break added), appending or creating/truncating the file.
int WriteTextFile(const std::string& name, std::string_view text, bool append);

// For each index i: items[i] and the item separator, then buffers[i] (sizes[i] bytes) and the
// buffer separator. Empty items, null or empty buffers and empty separators are skipped.
// Returns -1 without touching the file when sizes and buffers differ in length, or items and
// buffers are both non-empty with different lengths. Both position words kAppendPosition append;
// anything else creates or truncates the file.
int WriteStrings(const std::string& name, const AString& items, std::span<void* const> buffers,
                 std::span<const std::uint64_t> sizes, std::string_view itemSeparator,
                 std::string_view bufferSeparator, std::int32_t positionLow,
                 std::int32_t positionHigh, bool concatenate);

// Every item followed by the separator (the file ends with it). flag has no effect.
int WriteStringsSep(const std::string& name, const AString& items, std::string_view separator,
                    std::int32_t positionLow, std::int32_t positionHigh, bool flag = false);

// Buffered writer over a file descriptor: every write is complete or reported, and Close reports
// a failed flush or close. The first error sticks; later writes do nothing.
class FileWriter {
public:
    FileWriter() = default;
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;
    ~FileWriter();  // flushes and closes without reporting; call Close to learn the outcome

    // Creates or truncates the file, or appends to it (creating it when missing).
    int Open(const std::string& name, bool append);
    int Write(std::string_view bytes);
    // Flushes and closes; 0, -1 (a write that stored nothing) or errno of the first failure.
    int Close();
    bool IsOpen() const { return fd_ >= 0; }

private:
    int Flush();

    int fd_ = -1;
    int error_ = 0;
    std::string buffer_;
};
