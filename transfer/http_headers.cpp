// Reading reply header lines, the same for every transport.
#include "transfer/http_transport.h"

namespace transfer {

bool startsWithIgnoringCase(std::string_view line, std::string_view prefix) {
    if (line.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(line[i]) != lower(prefix[i])) return false;
    }
    return true;
}

namespace {

// A Content-Length value: decimal digits between blanks.
std::optional<std::uint64_t> contentLengthValue(std::string_view value) {
    const auto first = value.find_first_not_of(" \t");
    const auto last = value.find_last_not_of(" \t\r\n");
    if (first == std::string_view::npos || last < first) return std::nullopt;
    value = value.substr(first, last - first + 1);
    if (value.size() > 19 || value.find_first_not_of("0123456789") != std::string_view::npos)
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
        reply.chunked = line.find("chunked") != std::string_view::npos;
        return true;
    }
    return false;
}

}  // namespace transfer
