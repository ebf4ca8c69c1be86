#include "shell/text_out.h"

#include <cerrno>

TextOutFile::~TextOutFile() { Close(); }

int TextOutFile::Fail(int code) {
    if (error_ == 0) error_ = code != 0 ? code : EIO;
    return error_;
}

int TextOutFile::Open(const std::string& fileName, bool rewrite) {
    Close();
    fileName_ = fileName;
    error_ = 0;
    errno = 0;
    file_ = std::fopen(fileName.c_str(), rewrite ? "wb" : "ab");
    if (!file_) return Fail(errno);
    return 0;
}

int TextOutFile::Write(std::string_view text) {
    if (!file_) return Fail(EBADF);
    if (error_ != 0) return error_;
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) return Fail(errno);
    return 0;
}

int TextOutFile::WriteLine(std::string_view line) {
    if (const int rc = Write(line); rc != 0) return rc;
    return Write("\r\n");
}

int TextOutFile::Flush() {
    if (!file_) return Fail(EBADF);
    if (error_ != 0) return error_;
    errno = 0;
    if (std::fflush(file_) != 0) return Fail(errno);
    return 0;
}

int TextOutFile::Close() {
    if (!file_) return error_;
    errno = 0;
    if (std::fflush(file_) != 0) Fail(errno);
    errno = 0;
    if (std::fclose(file_) != 0) Fail(errno);
    file_ = nullptr;
    return error_;
}
