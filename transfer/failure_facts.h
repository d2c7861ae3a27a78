// The facts a failed exchange's detail gives after its Japanese word in message 119: what was
// tried and what was seen, in short Japanese, worded once here so that every transport says the
// same of the same fault. Only a failure no word names keeps the system's own text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace transfer::facts {

// The host of "http://host[:port]/path" ("flashair"), and the host with the port tried
// ("flashair:80").
std::string host(std::string_view url);
std::string hostAndPort(std::string_view url);
std::string bytes(std::uint64_t n);     // "139,264 バイト"
std::string seconds(long n);            // "20 秒"
std::string received(std::uint64_t n);  // "50 バイト受信後": where the connection broke
std::string headersBeyond(std::size_t limit);  // "ヘッダーが 64 KiB を超えた"
// `facts`, then the system's error number that support asks for: "flashair:80、エラー 12029".
std::string withError(std::string_view facts, unsigned long error);

inline constexpr std::string_view closedWithoutReply = "何も返さずに切断された";
inline constexpr std::string_view noStatusLine = "HTTP の状態行がない";
inline constexpr std::string_view badHeaders = "ヘッダーが正しくない";

}  // namespace transfer::facts
