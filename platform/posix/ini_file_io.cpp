// Settings-file access on POSIX: the shared INI logic over files read whole and replaced
// atomically, so a crash mid-write never leaves half a settings file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>

#include "platform/file_io.h"
#include "platform/ini_file.h"

namespace platform {
namespace {

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The file a write must replace: the target of a symbolic link, so the link survives.
std::string replacementTarget(const std::string& file) {
    char* real = ::realpath(file.c_str(), nullptr);
    if (real == nullptr) return file;
    std::string resolved(real);
    std::free(real);
    return resolved;
}

// Permission bits for the replacement: the old file's, or the usual ones minus the umask.
mode_t replacementMode(const std::string& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) == 0) return st.st_mode & 07777;
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// For a settings file in a folder the user may not write (installed beside the program): the
// file itself is the only thing that can change. A crash mid-write could cut it; a refusal here
// would lose every setting instead.
bool rewriteInPlace(const std::string& target, std::string_view content) {
    int fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = writeAll(fd, content) && ::fsync(fd) == 0;
    return (::close(fd) == 0) && ok;
}

bool replaceAtomically(const std::string& file, std::string_view content) {
    std::string target = replacementTarget(file);
    std::string temp = target + ".XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0 && (errno == EACCES || errno == EPERM)) return rewriteInPlace(target, content);
    if (fd < 0) return false;
    bool ok =
        ::fchmod(fd, replacementMode(target)) == 0 && writeAll(fd, content) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

}  // namespace

std::string readProfileString(std::string_view section, std::string_view key, std::string_view def,
                              const std::string& file, std::size_t bufferSize) {
    return profileStringValue(readWholeFile(file).value_or(""), section, key, def, bufferSize);
}

int readProfileInt(std::string_view section, std::string_view key, int def,
                   const std::string& file) {
    return profileIntValue(readWholeFile(file).value_or(""), section, key, def);
}

bool writeProfileString(std::string_view section, std::string_view key, std::string_view value,
                        const std::string& file) {
    if (!profileWriteAllowed(section, key, value)) return false;
    std::string content;
    if (::access(file.c_str(), F_OK) == 0) {
        std::optional<std::string> old = readWholeFile(file);
        if (!old) return false;  // unreadable: rewriting it would lose its other keys
        content = std::move(*old);
    }
    return replaceAtomically(file, applyProfileWrite(content, section, key, value));
}

std::size_t profileValueBytes(std::string_view utf8) {
    return utf8.size();
}

}  // namespace platform
