#include "foundation/file_io.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <system_error>

std::string FileErrorText(int code) {
    if (code == -1) return "Not all bytes could be written.";
    // The text strerror gives, without strerror's shared buffer.
    return std::generic_category().message(code);
}

namespace {

// Read-only descriptor of a regular file. Folders (EISDIR) and pipes, sockets and devices (EINVAL)
// are refused: reading them could wait for a writer forever or never reach an end.
class ReadFile {
public:
    ReadFile(const ReadFile&) = delete;
    ReadFile& operator=(const ReadFile&) = delete;
    explicit ReadFile(const std::string& name) {
        do {
            // Non-blocking only so that opening a pipe cannot wait; regular files ignore the flag.
            fd_ = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        } while (fd_ < 0 && errno == EINTR);
        if (fd_ < 0) {
            error_ = errno;
            return;
        }
        struct stat st {};
        if (::fstat(fd_, &st) != 0) {
            error_ = errno;
        } else if (S_ISDIR(st.st_mode)) {
            error_ = EISDIR;
        } else if (!S_ISREG(st.st_mode)) {
            error_ = EINVAL;
        } else {
            size_ = st.st_size > 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
            return;
        }
        ::close(fd_);
        fd_ = -1;
    }
    ~ReadFile() {
        if (fd_ >= 0) ::close(fd_);  // nothing to lose on a read-only descriptor
    }
    int Error() const { return error_; }
    std::uint64_t Size() const { return size_; }

    // Reads count bytes from offset into dest (or up to the end of the file). Returns the number
    // read in got; the result is 0 or errno.
    int ReadAt(char* dest, std::uint64_t count, std::uint64_t offset, std::uint64_t& got) const {
        got = 0;
        while (got < count) {
            const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(count - got, 1u << 30));
            const ssize_t n = ::pread(fd_, dest + got, chunk, static_cast<off_t>(offset + got));
            if (n < 0) {
                if (errno == EINTR) continue;
                return errno;
            }
            if (n == 0) break;
            got += static_cast<std::uint64_t>(n);
        }
        return 0;
    }

    // Sequential read of up to count bytes; 0 bytes at the end of the file.
    int Read(char* dest, std::size_t count, std::size_t& got) const {
        for (;;) {
            const ssize_t n = ::read(fd_, dest, count);
            if (n >= 0) {
                got = static_cast<std::size_t>(n);
                return 0;
            }
            if (errno != EINTR) return errno;
        }
    }

private:
    int fd_ = -1;
    int error_ = 0;
    std::uint64_t size_ = 0;
};

constexpr std::size_t kWriteBufferSize = 1 << 20;

}  // namespace

bool FileCanOpen(const std::string& name) {
    return ReadFile(name).Error() == 0;
}

int ReadFileToString(const std::string& name, std::string& text, std::uint64_t& size) {
    text.clear();
    const ReadFile file(name);
    if (file.Error() != 0) return file.Error();
    // The reported size is only a hint: read to the end, so that files that grow, shrink or report
    // no size (/proc) are read as they are.
    std::string data;
    data.resize(static_cast<std::size_t>(file.Size()) + 1);
    std::size_t used = 0;
    for (;;) {
        if (used == data.size()) data.resize(data.size() * 2);
        std::size_t got = 0;
        const int rc = file.Read(data.data() + used, data.size() - used, got);
        if (rc != 0) return rc;
        if (got == 0) break;
        used += got;
    }
    data.resize(used);
    text = std::move(data);
    size = used;
    return 0;
}

int ReadFileRange(const std::string& name, std::string& text, std::uint64_t& bytesRead,
                  std::uint64_t& bytesLeft, std::uint64_t offset, std::uint64_t count,
                  std::uint64_t /*blockSize*/) {
    // The block size shaped the transfer into head, whole blocks and tail; the bytes delivered are
    // always the contiguous range, so one positioned read gives the same result.
    text.clear();
    bytesRead = 0;
    bytesLeft = 0;
    const ReadFile file(name);
    if (file.Error() != 0) return file.Error();
    const std::uint64_t size = file.Size();
    if (offset >= size) return 0;
    const std::uint64_t wanted = std::min(count, size - offset);
    std::string data(static_cast<std::size_t>(wanted), '\0');
    std::uint64_t got = 0;
    const int rc = file.ReadAt(data.data(), wanted, offset, got);
    if (rc != 0) {
        bytesLeft = size - offset;
        return rc;
    }
    data.resize(static_cast<std::size_t>(got));  // the file shrank meanwhile
    text = std::move(data);
    bytesRead = got;
    bytesLeft = size - offset - got;
    return 0;
}

int ReadTextLines(const std::string& name, AString& lines) {
    lines.clear();
    const ReadFile file(name);
    if (file.Error() != 0) return file.Error();
    std::string block(1 << 16, '\0');
    std::string line;
    bool afterCR = false;   // a CR ended the previous line: an LF right behind it belongs to it
    bool pending = false;   // characters (or nothing yet) of a line not ended by a break
    for (;;) {
        std::size_t got = 0;
        const int rc = file.Read(block.data(), block.size(), got);
        if (rc != 0) return rc;  // the lines read so far stay
        if (got == 0) break;
        std::size_t start = 0;
        for (std::size_t i = 0; i < got; ++i) {
            const char c = block[i];
            if (c != '\n' && c != '\r') continue;
            if (c == '\n' && afterCR && i == start && !pending) {
                afterCR = false;
                start = i + 1;
                continue;
            }
            line.append(block, start, i - start);
            lines.push_back(std::move(line));
            line.clear();
            pending = false;
            afterCR = c == '\r';
            start = i + 1;
        }
        if (start < got) {
            line.append(block, start, got - start);
            pending = true;
            afterCR = false;
        }
    }
    if (pending) lines.push_back(std::move(line));
    return 0;
}

FileWriter::~FileWriter() {
    // A writer dropped without Close (an early return, an exception) still delivers what it holds.
    if (fd_ >= 0) Close();
}

int FileWriter::Open(const std::string& name, bool append) {
    if (fd_ >= 0) Close();
    error_ = 0;
    buffer_.clear();
    // Opened non-blocking so that a pipe without a reader fails (ENXIO) instead of waiting for one;
    // the writes themselves block as usual.
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | (append ? O_APPEND : O_TRUNC);
    do {
        fd_ = ::open(name.c_str(), flags, 0666);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) {
        error_ = errno;
    } else if (::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK) != 0) {
        // The writer is unusable: give the descriptor back instead of keeping it open unseen.
        error_ = errno;
        ::close(fd_);
        fd_ = -1;
    }
    return error_;
}

int FileWriter::Flush() {
    std::size_t done = 0;
    while (error_ == 0 && done < buffer_.size()) {
        const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n < 0) {
            if (errno != EINTR) error_ = errno;
        } else if (n == 0) {
            error_ = -1;
        } else {
            done += static_cast<std::size_t>(n);
        }
    }
    buffer_.clear();
    return error_;
}

int FileWriter::Write(std::string_view bytes) {
    if (fd_ < 0) return error_ != 0 ? error_ : EBADF;
    if (error_ != 0) return error_;
    if (buffer_.size() + bytes.size() > kWriteBufferSize) {
        if (Flush() != 0) return error_;
        if (bytes.size() >= kWriteBufferSize) {
            buffer_.assign(bytes);  // large pieces go straight through
            return Flush();
        }
    }
    buffer_.append(bytes);
    return 0;
}

int FileWriter::Close() {
    if (fd_ < 0) return error_ != 0 ? error_ : EBADF;
    Flush();
    if (::close(fd_) != 0 && error_ == 0) error_ = errno;
    fd_ = -1;
    return error_;
}

int WriteTextFile(const std::string& name, std::string_view text, bool append) {
    FileWriter out;
    if (const int rc = out.Open(name, append); rc != 0) return rc;
    out.Write(text);
    return out.Close();
}

int WriteStrings(const std::string& name, const AString& items, std::span<void* const> buffers,
                 std::span<const std::uint64_t> sizes, std::string_view itemSeparator,
                 std::string_view bufferSeparator, std::int32_t positionLow,
                 std::int32_t positionHigh, bool /*concatenate*/) {
    // Whether an item and its separator go out in one write or two makes no difference to the file.
    if (sizes.size() != buffers.size()) return -1;
    if (!items.empty() && !buffers.empty() && items.size() != buffers.size()) return -1;
    const std::size_t n = buffers.empty() ? items.size() : buffers.size();
    const bool append = positionLow == kAppendPosition && positionHigh == kAppendPosition;
    FileWriter out;
    if (const int rc = out.Open(name, append); rc != 0) return rc;
    for (std::size_t i = 0; i < n; ++i) {
        if (!items.empty()) {
            out.Write(items[i]);
            out.Write(itemSeparator);
        }
        if (!buffers.empty()) {
            if (buffers[i] != nullptr && sizes[i] != 0) {
                out.Write(std::string_view(static_cast<const char*>(buffers[i]), static_cast<std::size_t>(sizes[i])));
            }
            out.Write(bufferSeparator);
        }
    }
    return out.Close();
}

int WriteStringsSep(const std::string& name, const AString& items, std::string_view separator,
                    std::int32_t positionLow, std::int32_t positionHigh, bool /*flag*/) {
    return WriteStrings(name, items, {}, {}, separator, {}, positionLow, positionHigh, false);
}
