// The one place that converts between the catalogue's CP932 (Shift-JIS, Microsoft table) bytes
// and UTF-8. Everything else calls these instead of iconv.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Strict conversion: nullopt when the input holds a byte sequence CP932 does not define.
std::optional<std::string> cp932ToUtf8(std::string_view cp932);
std::optional<std::string> utf8ToCp932(std::string_view utf8);

// For display only: undecodable bytes become U+FFFD, so a damaged catalogue still shows something.
std::string cp932ToUtf8Lossy(std::string_view cp932);

// Cuts `cp932` to at most `maxBytes` bytes without splitting a double-byte character.
std::string_view cp932Truncate(std::string_view cp932, std::size_t maxBytes);

}  // namespace platform
