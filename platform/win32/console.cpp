// Arguments from the wide command line and UTF-8 console output: the narrow argv and the
// console's default code page both depend on the user's locale.
#include "platform/console.h"

// windows.h first: shellapi.h needs its types.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "platform/win32/wide.h"

namespace platform {

std::vector<std::string> commandLineUtf8(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr) return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) args.push_back(win32::fromWide(wide[i]));
    ::LocalFree(wide);
    return args;
}

void useUtf8Console() {
    ::SetConsoleOutputCP(CP_UTF8);
    // Binary mode: "\n" stays "\n", so redirected output is the same bytes on both systems.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

// The language of the user's menus and dialogs, not the locale's formats: a Japanese Windows, or
// the Japanese language pack chosen on another.
bool userLanguageIsJapanese() {
    return PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_JAPANESE;
}

}  // namespace platform
