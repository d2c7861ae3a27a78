// File operations with the durability the robot's card needs: every write is flushed to the
// device (fsync, FlushFileBuffers) before success is reported, since users pull the card out
// right after. Paths are UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace platform {

// Reads up to `count` bytes at `offset` (read-only open, closed before returning).
std::optional<std::vector<std::uint8_t>> readAt(const std::string& path, std::uint64_t offset,
                                                std::size_t count);

// Reads up to `count` bytes from the start of the file.
std::optional<std::vector<std::uint8_t>> readPrefix(const std::string& path, std::size_t count);

// Reads a whole (small) file, such as a catalogue.
std::optional<std::string> readWholeFile(const std::string& path);

// Overwrites bytes of an existing file in place, only over the very bytes a caller checked:
// in one open of the file, its first `limit` bytes are read and must equal `expected`, then each
// patch is written (positioned writes, one flush to the device) and the file is read again.
// Never creates, truncates or extends the file: a patch beyond its end or beyond `limit` writes
// nothing. `changed` when the file was not `expected` or did not end up holding `expected` with
// the patches (written meanwhile by another program, or replaced under the same name).
struct Patch {
    std::uint64_t offset;
    std::span<const std::uint8_t> bytes;
};
enum class PatchResult { written, changed, failed };
PatchResult patchInPlace(const std::string& path, std::span<const std::uint8_t> expected,
                         std::span<const Patch> patches, std::uint64_t limit);

// Copies `from` to `to` (replacing it) completely, then flushes it. A short copy is a failure;
// `error` then receives errno (POSIX) or GetLastError() (Windows) of it.
bool copyFileDurably(const std::string& from, const std::string& to, int* error = nullptr);

// Why a file operation failed, for the file-error text. Both systems map their own error codes
// to these causes, so the user reads the same texts on either.
enum class FileErrorCause {
    none,
    generic,
    notFound,
    badPath,
    tooManyOpenFiles,
    accessDenied,
    invalidHandle,
    removeCurrentDir,
    directoryFull,
    badSeek,
    hardwareIo,
    sharingViolation,
    lockViolation,
    diskFull,
    endOfFile,
};
inline constexpr int fileErrorCauseCount = 15;
// From an errno value on POSIX, from a GetLastError() code on Windows.
FileErrorCause fileErrorCauseOf(int errorCode);

}  // namespace platform

namespace platform {

// Replaces the whole content of `path` (created if missing, truncated if present, not shared
// while open), then flushes it.
struct ReplaceResult {
    enum Status { ok, openFailed, writeFailed } status;
    int error;  // errno (POSIX) or GetLastError() (Windows) of the failure
};
ReplaceResult replaceFileContent(const std::string& path, std::span<const std::uint8_t> data);

}  // namespace platform
