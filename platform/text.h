// Byte-text helpers every layer needs: ASCII letter case (HTTP header names, FAT names, settings
// keys, the card's replies) and UTF-8 cut and trimmed for a message without a broken character.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace platform {

constexpr char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string asciiLowered(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), asciiLower);
    return out;
}

inline bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return asciiLower(x) == asciiLower(y); });
}

inline bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           equalsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

inline bool containsIgnoringCase(std::string_view text, std::string_view part) {
    return std::search(text.begin(), text.end(), part.begin(), part.end(),
                       [](char x, char y) { return asciiLower(x) == asciiLower(y); }) != text.end();
}

// At most `limit` bytes of UTF-8 text, with trailing line ends and other control bytes removed
// and never half a character at the end.
inline std::string_view cutUtf8(std::string_view text, std::size_t limit) {
    if (text.size() > limit) {
        std::size_t start = limit;  // start of the character the cut falls into or after
        while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
        text = text.substr(0, start);
    }
    while (!text.empty() && static_cast<unsigned char>(text.back()) < 0x20) text.remove_suffix(1);
    return text;
}

}  // namespace platform
