// Settings-file access through Windows' own profile functions, the behaviour users' files were
// written with. The file holds CP932 bytes, and the wide functions decode a file without a BOM
// with the ANSI code page of the user's locale (1252 on a Western Windows), so values travel as
// that code page's characters: turned back into the file's exact bytes with the same code page,
// then decoded as CP932 ourselves. This reads and writes CP932 files correctly on a Japanese
// Windows and on any Windows whose ANSI code page is single-byte.
#include <vector>

#include "platform/encoding.h"
#include "platform/ini_file.h"
#include "platform/win32/wide.h"

namespace platform {
namespace {

using win32::fromWide;
using win32::toWide;

// CP932 bytes as the characters the profile functions see for them in the file.
std::optional<std::wstring> asFileCharacters(std::string_view utf8) {
    std::optional<std::string> cp932 = utf8ToCp932(utf8);
    if (!cp932) return std::nullopt;
    bool ok = true;
    std::wstring carried = toWide(*cp932, CP_ACP, &ok);
    if (!ok) return std::nullopt;
    return carried;
}

// What the profile functions read, as UTF-8 cut to `limit` bytes of CP932.
std::string fromFileCharacters(std::wstring_view read, std::size_t limit) {
    bool ok = true;
    std::string bytes = fromWide(read, CP_ACP, &ok);
    // Characters the ANSI code page cannot carry come from a file with a BOM: real text.
    if (!ok) bytes = utf8ToCp932(fromWide(read)).value_or("");
    return cp932ToUtf8Lossy(cp932Truncate(bytes, limit));
}

}  // namespace

std::string readProfileString(std::string_view section, std::string_view key, std::string_view def,
                              const std::string& file, std::size_t bufferSize) {
    const std::wstring fallback = asFileCharacters(def).value_or(L"");
    std::vector<wchar_t> buffer(32768);
    const DWORD n = ::GetPrivateProfileStringW(
        toWide(section).c_str(), toWide(key).c_str(), fallback.c_str(), buffer.data(),
        static_cast<DWORD>(buffer.size()), toWide(file).c_str());
    return fromFileCharacters(std::wstring_view(buffer.data(), n),
                              bufferSize == 0 ? 0 : bufferSize - 1);
}

int readProfileInt(std::string_view section, std::string_view key, int def,
                   const std::string& file) {
    return static_cast<int>(::GetPrivateProfileIntW(toWide(section).c_str(), toWide(key).c_str(),
                                                    def, toWide(file).c_str()));
}

bool writeProfileString(std::string_view section, std::string_view key, std::string_view value,
                        const std::string& file) {
    if (!profileWriteAllowed(section, key, value)) return false;
    const std::optional<std::wstring> carried = asFileCharacters(value);
    if (!carried) return false;  // no CP932 form: the file could not hold it
    return ::WritePrivateProfileStringW(toWide(section).c_str(), toWide(key).c_str(),
                                        carried->c_str(), toWide(file).c_str()) != 0;
}

std::size_t profileValueBytes(std::string_view utf8) {
    const std::optional<std::string> cp932 = utf8ToCp932(utf8);
    return cp932 ? cp932->size() : SIZE_MAX;
}

}  // namespace platform
