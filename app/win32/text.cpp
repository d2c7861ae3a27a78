#include "app/win32/text.h"

#include <windows.h>

#include "platform/encoding.h"
#include "platform/win32/wide.h"

namespace app {

std::wstring wide(std::string_view utf8Text) {
    return platform::win32::toWide(utf8Text);
}

std::string utf8(std::wstring_view text) {
    return platform::win32::fromWide(text);
}

std::wstring wideFromCp932(std::string_view cp932) {
    return wide(platform::cp932ToUtf8Lossy(cp932));
}

std::wstring loadString(int id) {
    const wchar_t* text = nullptr;
    // With a zero length the call hands out the read-only resource text itself.
    const int length = LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(id),
                                   reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 && text ? std::wstring(text, static_cast<std::size_t>(length))
                              : std::wstring();
}

}  // namespace app
