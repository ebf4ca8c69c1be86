// A text file written piece by piece (reports, the log). Every failure is kept as an error code,
// so a caller can never mistake a failed write for success.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

class TextOutFile {
public:
    TextOutFile() = default;
    ~TextOutFile();
    TextOutFile(const TextOutFile&) = delete;
    TextOutFile& operator=(const TextOutFile&) = delete;

    // Opens the file for rewriting (created or emptied) or for appending (created when missing).
    // A file still open is closed first. Returns 0 or the system error code.
    int Open(const std::string& fileName, bool rewrite);

    bool IsOpen() const { return file_ != nullptr; }
    const std::string& FileName() const { return fileName_; }

    // Write the text as it is / followed by CR LF. Return 0 or the first error of this file;
    // after a failure nothing more is written.
    int Write(std::string_view text);
    int WriteLine(std::string_view line);
    int Flush();

    // Flushes and closes; returns the first error since Open (0 when all went well).
    int Close();

    int Error() const { return error_; }

private:
    int Fail(int code);

    std::FILE* file_ = nullptr;
    std::string fileName_;
    int error_ = 0;
};
