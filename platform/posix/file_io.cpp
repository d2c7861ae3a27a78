// Reads and durable writes on the robot's program files. Every write ends with fsync and a
// checked close, because the card is usually pulled out as soon as success is shown.
#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <sstream>

#include "platform/patch_check.h"

namespace platform {
namespace {

// Owns a descriptor; close() reports the result, the destructor only cleans up after errors.
class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    bool close() {
        int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

  private:
    int fd_;
};

int openRetrying(const char* path, int flags, mode_t mode = 0) {
    int fd;
    do {
        fd = ::open(path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Writes all of [data, data+size) at `offset` (or at the current position when offset < 0).
bool writeFully(int fd, const std::uint8_t* data, std::size_t size, off_t offset = -1) {
    while (size > 0) {
        ssize_t n = offset < 0 ? ::write(fd, data, size) : ::pwrite(fd, data, size, offset);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
        if (offset >= 0) offset += n;
    }
    return true;
}

// Reads up to `count` bytes at `offset`; nullopt on a read error.
std::optional<std::size_t> readFully(int fd, std::uint8_t* data, std::size_t count,
                                     std::uint64_t offset = 0) {
    std::size_t got = 0;
    while (got < count) {
        ssize_t n = ::pread(fd, data + got, count - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return got;
}

bool copyContent(int from, int to) {
    std::uint8_t buffer[65536];
    for (;;) {
        ssize_t n = ::read(from, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        if (!writeFully(to, buffer, static_cast<std::size_t>(n))) return false;
    }
}

}  // namespace

std::optional<std::vector<std::uint8_t>> readAt(const std::string& path, std::uint64_t offset,
                                                std::size_t count) {
    // No size query: a choice read is one open, one pread and one close. Callers ask for at
    // most a program buffer's worth.
    // O_NONBLOCK: a FIFO in the program's place must fail, not hang the window (pread on it
    // fails); on regular files it changes nothing.
    Fd fd(openRetrying(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) return std::nullopt;
    std::vector<std::uint8_t> data(count);
    const auto got = readFully(fd.get(), data.data(), count, offset);
    if (!got) return std::nullopt;
    data.resize(*got);
    return data;
}

std::optional<std::vector<std::uint8_t>> readPrefix(const std::string& path, std::size_t count) {
    return readAt(path, 0, count);
}

std::optional<std::string> readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream data;
    data << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return data.str();
}

PatchResult patchInPlace(const std::string& path, std::span<const std::uint8_t> expected,
                         std::span<const Patch> patches, std::uint64_t limit) {
    Fd fd(openRetrying(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return PatchResult::failed;
    const auto result = detail::patchOpenFile(
        expected, patches, static_cast<std::uint64_t>(st.st_size), limit,
        [&](std::uint8_t* data, std::size_t count) { return readFully(fd.get(), data, count); },
        [&](const Patch& p) {
            return writeFully(fd.get(), p.bytes.data(), p.bytes.size(),
                              static_cast<off_t>(p.offset));
        },
        [&] { return ::fsync(fd.get()) == 0; });
    if (result != PatchResult::written) return result;
    // A file renamed into this name meanwhile would not hold the write at all.
    struct stat named {};
    if (::stat(path.c_str(), &named) != 0 || named.st_ino != st.st_ino || named.st_dev != st.st_dev)
        return PatchResult::changed;
    return fd.close() ? PatchResult::written : PatchResult::failed;
}

bool copyFileDurably(const std::string& from, const std::string& to, int* error) {
    const auto failed = [error] {
        if (error) *error = errno;
        return false;
    };
    // Non-blocking opens and a regular source only: a FIFO at either end must not hang.
    Fd source(openRetrying(from.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (!source.valid() || ::fstat(source.get(), &st) != 0) return failed();
    if (!S_ISREG(st.st_mode)) return errno = EINVAL, failed();
    Fd dest(openRetrying(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0644));
    if (!dest.valid() || !copyContent(source.get(), dest.get()) || ::fsync(dest.get()) != 0 ||
        !dest.close() || !source.close())
        return failed();
    return true;
}

// Nothing on POSIX reports a removal of the current folder; that cause comes only from Windows.
FileErrorCause fileErrorCauseOf(int errnoValue) {
    switch (errnoValue) {
        case 0:
            return FileErrorCause::none;
        case ENOENT:
            return FileErrorCause::notFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return FileErrorCause::badPath;
        case EMFILE:
        case ENFILE:
            return FileErrorCause::tooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
            return FileErrorCause::accessDenied;
        case EBADF:
            return FileErrorCause::invalidHandle;
        case EMLINK:
            return FileErrorCause::directoryFull;
        case ESPIPE:
        case EOVERFLOW:
            return FileErrorCause::badSeek;
        case EIO:
        case ENXIO:
        case ENODEV:
        case ENOMEDIUM:
            return FileErrorCause::hardwareIo;
        // Another process holds the file (a lease, or a busy executable or device).
        case EAGAIN:
        case EBUSY:
        case ETXTBSY:
            return FileErrorCause::sharingViolation;
        case EDEADLK:
        case ENOLCK:
            return FileErrorCause::lockViolation;
        case ENOSPC:
        case EDQUOT:
            return FileErrorCause::diskFull;
        case EFBIG:
            return FileErrorCause::endOfFile;
        default:
            return FileErrorCause::generic;
    }
}

ReplaceResult replaceFileContent(const std::string& path, std::span<const std::uint8_t> data) {
    Fd fd(openRetrying(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0644));
    if (!fd.valid()) return {ReplaceResult::openFailed, errno};
    if (!writeFully(fd.get(), data.data(), data.size()) || ::fsync(fd.get()) != 0)
        return {ReplaceResult::writeFailed, errno};
    if (!fd.close()) return {ReplaceResult::writeFailed, errno};
    return {ReplaceResult::ok, 0};
}

}  // namespace platform
