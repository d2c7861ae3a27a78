// The local date and time (the card stamps uploaded files with it), thread-safe on each system.
#pragma once

#include <ctime>

namespace platform {

std::tm localNow();

}  // namespace platform
