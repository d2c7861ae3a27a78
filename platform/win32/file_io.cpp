// Reads and durable writes on the robot's program files through the wide Win32 file calls.
// Every write ends with FlushFileBuffers and a checked CloseHandle, because the card is usually
// pulled out as soon as success is shown.
#include "platform/file_io.h"

#include <algorithm>

#include "platform/patch_check.h"
#include "platform/win32/wide.h"

namespace platform {
namespace {

using win32::Handle;
using win32::toWide;

Handle openFile(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
    return Handle(::CreateFileW(toWide(path).c_str(), access, share, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Only files on a disk: a pipe or a device in a program's place must fail, not hang the window.
bool isDiskFile(const Handle& file) {
    return file.valid() && ::GetFileType(file.get()) == FILE_TYPE_DISK;
}

OVERLAPPED at(std::uint64_t offset) {
    OVERLAPPED position{};
    position.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    position.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return position;
}

// Reads up to `count` bytes at `offset`; nullopt on a read error.
std::optional<std::size_t> readFully(const Handle& file, std::uint8_t* data, std::size_t count,
                                     std::uint64_t offset) {
    std::size_t got = 0;
    while (got < count) {
        OVERLAPPED position = at(offset + got);
        DWORD n = 0;
        const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(count - got, 1u << 30));
        if (!::ReadFile(file.get(), data + got, ask, &n, &position)) {
            if (::GetLastError() == ERROR_HANDLE_EOF) break;
            return std::nullopt;
        }
        if (n == 0) break;
        got += n;
    }
    return got;
}

// Writes all of `data` at `offset`, or at the current position when `positioned` is false.
bool writeFully(const Handle& file, const std::uint8_t* data, std::size_t size,
                std::uint64_t offset, bool positioned) {
    while (size > 0) {
        OVERLAPPED position = at(offset);
        DWORD n = 0;
        const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        if (!::WriteFile(file.get(), data, ask, &n, positioned ? &position : nullptr)) return false;
        if (n == 0) {
            ::SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        data += n;
        size -= n;
        offset += n;
    }
    return true;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> readAt(const std::string& path, std::uint64_t offset,
                                                std::size_t count) {
    Handle file = openFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    if (!isDiskFile(file)) return std::nullopt;
    std::vector<std::uint8_t> data(count);
    const auto got = readFully(file, data.data(), count, offset);
    if (!got) return std::nullopt;
    data.resize(*got);
    return data;
}

std::optional<std::vector<std::uint8_t>> readPrefix(const std::string& path, std::size_t count) {
    return readAt(path, 0, count);
}

std::optional<std::string> readWholeFile(const std::string& path) {
    Handle file = openFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    LARGE_INTEGER size{};
    if (!isDiskFile(file) || !::GetFileSizeEx(file.get(), &size) || size.QuadPart > (1 << 30))
        return std::nullopt;
    std::string content(static_cast<std::size_t>(size.QuadPart), '\0');
    const auto got =
        readFully(file, reinterpret_cast<std::uint8_t*>(content.data()), content.size(), 0);
    if (!got) return std::nullopt;
    content.resize(*got);
    return content;
}

PatchResult patchInPlace(const std::string& path, std::span<const std::uint8_t> expected,
                         std::span<const Patch> patches, std::uint64_t limit) {
    // OPEN_EXISTING: never creates; no truncation. Others may read while we write, but neither
    // write, rename nor delete the file until it is closed.
    Handle file = openFile(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
    LARGE_INTEGER size{};
    if (!isDiskFile(file) || !::GetFileSizeEx(file.get(), &size)) return PatchResult::failed;
    const auto result = detail::patchOpenFile(
        expected, patches, static_cast<std::uint64_t>(size.QuadPart), limit,
        [&](std::uint8_t* data, std::size_t count) { return readFully(file, data, count, 0); },
        [&](const Patch& p) {
            return writeFully(file, p.bytes.data(), p.bytes.size(), p.offset, true);
        },
        [&] { return ::FlushFileBuffers(file.get()) != 0; });
    if (result != PatchResult::written) return result;
    return file.close() ? PatchResult::written : PatchResult::failed;
}

bool copyFileDurably(const std::string& from, const std::string& to, int* error) {
    const auto failed = [error] {
        if (error) *error = static_cast<int>(::GetLastError());
        return false;
    };
    Handle source = openFile(from, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    if (!isDiskFile(source)) return failed();
    source.close();
    if (!::CopyFileW(toWide(from).c_str(), toWide(to).c_str(), FALSE)) return failed();
    // CopyFile leaves the data in the cache; the robot reads the card right after.
    Handle dest = openFile(to, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
    if (!isDiskFile(dest) || !::FlushFileBuffers(dest.get()) || !dest.close()) return failed();
    return true;
}

FileErrorCause fileErrorCauseOf(int errorCode) {
    switch (static_cast<DWORD>(errorCode)) {
        case ERROR_SUCCESS:
            return FileErrorCause::none;
        case ERROR_FILE_NOT_FOUND:
            return FileErrorCause::notFound;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_INVALID_DRIVE:
            return FileErrorCause::badPath;
        case ERROR_TOO_MANY_OPEN_FILES:
            return FileErrorCause::tooManyOpenFiles;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
            return FileErrorCause::accessDenied;
        case ERROR_INVALID_HANDLE:
            return FileErrorCause::invalidHandle;
        case ERROR_CURRENT_DIRECTORY:
            return FileErrorCause::removeCurrentDir;
        case ERROR_CANNOT_MAKE:
            return FileErrorCause::directoryFull;
        case ERROR_SEEK:
        case ERROR_NEGATIVE_SEEK:
        case ERROR_SEEK_ON_DEVICE:
            return FileErrorCause::badSeek;
        case ERROR_CRC:
        case ERROR_SECTOR_NOT_FOUND:
        case ERROR_WRITE_FAULT:
        case ERROR_READ_FAULT:
        case ERROR_GEN_FAILURE:
        case ERROR_IO_DEVICE:
        case ERROR_NOT_READY:
        case ERROR_DEV_NOT_EXIST:
            return FileErrorCause::hardwareIo;
        case ERROR_SHARING_VIOLATION:
            return FileErrorCause::sharingViolation;
        case ERROR_LOCK_VIOLATION:
            return FileErrorCause::lockViolation;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return FileErrorCause::diskFull;
        case ERROR_HANDLE_EOF:
            return FileErrorCause::endOfFile;
        default:
            return FileErrorCause::generic;
    }
}

ReplaceResult replaceFileContent(const std::string& path, std::span<const std::uint8_t> data) {
    Handle file = openFile(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
    if (!isDiskFile(file)) return {ReplaceResult::openFailed, static_cast<int>(::GetLastError())};
    if (!writeFully(file, data.data(), data.size(), 0, false) || !::FlushFileBuffers(file.get()))
        return {ReplaceResult::writeFailed, static_cast<int>(::GetLastError())};
    if (!file.close()) return {ReplaceResult::writeFailed, static_cast<int>(::GetLastError())};
    return {ReplaceResult::ok, 0};
}

}  // namespace platform
