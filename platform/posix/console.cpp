// Terminals on POSIX already speak UTF-8 here: the arguments and output pass unchanged.
#include "platform/console.h"

#include <cstdlib>
#include <string_view>

namespace platform {

std::vector<std::string> commandLineUtf8(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void useUtf8Console() {}

// The variables in the order setlocale reads them for the language of messages.
bool userLanguageIsJapanese() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* value = std::getenv(name); value && *value)
            return std::string_view(value).starts_with("ja");
    return false;
}

}  // namespace platform
