// Terminals on POSIX already speak UTF-8 here: the arguments and output pass unchanged.
#include "platform/console.h"

namespace platform {

std::vector<std::string> commandLineUtf8(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void useUtf8Console() {}

}  // namespace platform
