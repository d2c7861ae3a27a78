// Settings-file (INI) access that behaves like the Windows profile functions users' files were
// written with: case-insensitive names, defaults for anything missing, and writes that change one
// line and keep every other byte of the file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// Integer read: trimmed and unquoted value, optional sign, decimal digits, wrapping modulo 2^32.
// Missing file/section/key or an empty value gives `def`; a value with no leading digit gives 0.
int readProfileInt(std::string_view section, std::string_view key, int def,
                   const std::string& file);

// String read, cut to `bufferSize` - 1 bytes (the callers use 260). Missing gives `def` (also cut).
std::string readProfileString(std::string_view section, std::string_view key, std::string_view def,
                              const std::string& file, std::size_t bufferSize = 260);

// Sets section/key to value, creating the file, section or key as needed. Replaces the file
// through a temporary in the same folder and rename(), so a failed write leaves the old file.
// Returns false when the file could not be written.
bool writeProfileString(std::string_view section, std::string_view key, std::string_view value,
                        const std::string& file);

// The bytes the settings file holds for a value: its UTF-8 on POSIX, its CP932 on Windows (the
// file's own encoding there); SIZE_MAX when the file cannot hold it at all.
std::size_t profileValueBytes(std::string_view utf8);

// The portable logic below works on an in-memory file image; the file functions above use it
// where the system has no profile functions of its own.
// The edits of writeProfileString.
std::string applyProfileWrite(std::string_view content, std::string_view section,
                              std::string_view key, std::string_view value);
// Looks a value up in an in-memory file image; false when section or key is missing.
bool lookupProfileValue(std::string_view content, std::string_view section, std::string_view key,
                        std::string& value);
// The reads of readProfileString and readProfileInt.
std::string profileStringValue(std::string_view content, std::string_view section,
                               std::string_view key, std::string_view def,
                               std::size_t bufferSize = 260);
int profileIntValue(std::string_view content, std::string_view section, std::string_view key,
                    int def);
// False for names or values holding a line break, which would add lines to the file.
bool profileWriteAllowed(std::string_view section, std::string_view key, std::string_view value);

}  // namespace platform
