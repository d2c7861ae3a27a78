// CP932 <-> UTF-8 through Windows' own code page 932 (the Microsoft Shift-JIS table), named
// explicitly so the result does not depend on the user's locale.
#include "platform/encoding.h"

#include "platform/win32/wide.h"

namespace platform {
namespace win32 {

std::wstring toWide(std::string_view text, UINT codePage, bool* ok) {
    if (ok) *ok = true;
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int n =
        ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n <= 0 || ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size,
                                        wide.data(), n) != n) {
        if (ok) *ok = false;
        return {};
    }
    return wide;
}

std::string fromWide(std::wstring_view text, UINT codePage, bool* ok) {
    if (ok) *ok = true;
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    // UTF-8 reports unpaired surrogates itself; other pages tell through the default character.
    const DWORD flags = codePage == CP_UTF8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* defaulted = codePage == CP_UTF8 ? nullptr : &usedDefault;
    const int n =
        ::WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, nullptr, defaulted);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n <= 0 ||
        ::WideCharToMultiByte(codePage, flags, text.data(), size, out.data(), n, nullptr,
                              defaulted) != n ||
        usedDefault) {
        if (ok) *ok = false;
        return {};
    }
    return out;
}

}  // namespace win32

namespace {

constexpr UINT cp932 = 932;

std::optional<std::string> convert(std::string_view text, UINT from, UINT to) {
    bool ok = true;
    std::wstring wide = win32::toWide(text, from, &ok);
    if (!ok) return std::nullopt;
    std::string out = win32::fromWide(wide, to, &ok);
    if (!ok) return std::nullopt;
    return out;
}

bool isLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

}  // namespace

std::optional<std::string> cp932ToUtf8(std::string_view text) {
    return convert(text, cp932, CP_UTF8);
}

std::optional<std::string> utf8ToCp932(std::string_view utf8) {
    return convert(utf8, CP_UTF8, cp932);
}

std::string cp932ToUtf8Lossy(std::string_view text) {
    if (auto whole = cp932ToUtf8(text)) return *whole;
    // Character by character: an undecodable byte becomes U+FFFD and costs only itself.
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t width =
            isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
        if (auto one = cp932ToUtf8(text.substr(i, width))) {
            out += *one;
            i += width;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return out;
}

}  // namespace platform
