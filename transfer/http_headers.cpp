// Reading reply header lines, the same for every transport.
#include "platform/text.h"
#include "transfer/http_transport.h"

namespace transfer {
namespace {

using platform::startsWithIgnoringCase;

// A header's value without the blanks and line end around it.
std::string_view headerValue(std::string_view value) {
    const auto first = value.find_first_not_of(" \t");
    const auto last = value.find_last_not_of(" \t\r\n");
    if (first == std::string_view::npos || last < first) return {};
    return value.substr(first, last - first + 1);
}

// A Content-Length value: decimal digits between blanks.
std::optional<std::uint64_t> contentLengthValue(std::string_view value) {
    value = headerValue(value);
    if (value.empty() || value.size() > 19 ||
        value.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    std::uint64_t n = 0;
    for (const char c : value) n = n * 10 + static_cast<std::uint64_t>(c - '0');
    return n;
}

}  // namespace

bool noteBodyHeader(std::string_view line, HttpReply& reply) {
    if (startsWithIgnoringCase(line, "content-length:")) {
        const auto value = contentLengthValue(line.substr(15));
        if (!value || (reply.contentLength && *reply.contentLength != *value))
            reply.conflictingLengths = true;
        if (value) reply.contentLength = value;
        return true;
    }
    if (startsWithIgnoringCase(line, "transfer-encoding:")) {
        reply.chunked = platform::containsIgnoringCase(line.substr(18), "chunked");
        return true;
    }
    if (startsWithIgnoringCase(line, "content-encoding:")) {
        const auto value = headerValue(line.substr(17));
        // "identity" is the bytes themselves; any other coding is not the file as stored.
        if (!platform::equalsIgnoringCase(value, "identity")) reply.contentEncoding = value;
        return true;
    }
    return false;
}

}  // namespace transfer
