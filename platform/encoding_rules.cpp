// The parts of CP932 text handling that need no converter: the same on every system.
#include "platform/encoding.h"

namespace platform {

std::string_view cp932Truncate(std::string_view cp932, std::size_t maxBytes) {
    if (cp932.size() <= maxBytes) return cp932;
    std::size_t end = 0;
    while (end < maxBytes) {
        auto byte = static_cast<unsigned char>(cp932[end]);
        bool lead = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
        std::size_t width = lead ? 2 : 1;
        if (end + width > maxBytes) break;
        end += width;
    }
    return cp932.substr(0, end);
}

}  // namespace platform
