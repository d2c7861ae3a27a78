// HTTP/1.1 on a blocking socket, as little as the card's clients need: one request per
// connection, bodies by Content-Length, every reply closes the connection.
#include <poll.h>
#include <sys/socket.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "emulator.h"

namespace emulator {

volatile std::sig_atomic_t stopRequested = 0;

namespace {

constexpr int requestTimeoutMs = 10000;
constexpr std::size_t headerLimit = 64 * 1024;
constexpr std::size_t bodyLimit = 16 * 1024 * 1024;

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// Appends what one read brings; false on time-out, end of stream or error.
bool readMore(int fd, std::string& into) {
    if (!waitReadable(fd, requestTimeoutMs)) return false;
    char chunk[16384];
    const ssize_t got = recv(fd, chunk, sizeof chunk, 0);
    if (got <= 0) return false;
    into.append(chunk, static_cast<std::size_t>(got));
    return true;
}

void parseHead(std::string_view head, Request& request) {
    std::size_t lineEnd = head.find("\r\n");
    const std::string_view requestLine = head.substr(0, lineEnd);
    const std::size_t space1 = requestLine.find(' ');
    const std::size_t space2 = requestLine.find(' ', space1 + 1);
    request.method = std::string(requestLine.substr(0, space1));
    if (space1 != std::string_view::npos)
        request.target = std::string(requestLine.substr(space1 + 1, space2 - space1 - 1));
    while (lineEnd != std::string_view::npos && lineEnd + 2 < head.size()) {
        const std::size_t start = lineEnd + 2;
        lineEnd = head.find("\r\n", start);
        const std::string_view line = head.substr(start, lineEnd - start);
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        request.headers.emplace_back(std::string(trim(line.substr(0, colon))),
                                     std::string(trim(line.substr(colon + 1))));
    }
}

const char* reason(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 400:
            return "Bad Request";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 500:
            return "Internal Server Error";
        case 503:
            return "Service Unavailable";
        default:
            return "Status";
    }
}

}  // namespace

bool waitReadable(int fd, int timeoutMs) {
    // Signals are blocked outside waits, so a stop can only arrive here and is never missed.
    sigset_t open;
    sigemptyset(&open);
    pollfd entry{fd, POLLIN, 0};
    timespec limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000000L};
    while (!stopRequested) {
        const int ready = ppoll(&entry, 1, timeoutMs < 0 ? nullptr : &limit, &open);
        if (ready > 0) return true;
        if (ready == 0) return false;
        if (errno != EINTR) return false;
    }
    return false;
}

std::string Request::header(std::string_view name) const {
    for (const auto& [key, value] : headers)
        if (equalsIgnoringCase(key, name)) return value;
    return {};
}

Request readRequest(int fd) {
    Request request;
    std::size_t headEnd;
    while ((headEnd = request.raw.find("\r\n\r\n")) == std::string::npos) {
        if (request.raw.size() > headerLimit || !readMore(fd, request.raw)) return request;
    }
    parseHead(std::string_view(request.raw).substr(0, headEnd), request);
    const std::size_t length = std::strtoull(request.header("Content-Length").c_str(), nullptr, 10);
    if (length > bodyLimit) return request;
    const std::size_t bodyStart = headEnd + 4;
    while (request.raw.size() < bodyStart + length)
        if (!readMore(fd, request.raw)) return request;
    request.body = request.raw.substr(bodyStart, length);
    request.complete = true;
    return request;
}

bool sendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

void sendResponse(int fd, const Response& response) {
    std::string head =
        "HTTP/1.1 " + std::to_string(response.status) + " " + reason(response.status) + "\r\n";
    head += "Content-Type: " + response.contentType + "\r\n";
    head += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
    head += "Connection: close\r\n\r\n";
    std::string_view body = response.body;
    if (response.truncateAfter) body = body.substr(0, *response.truncateAfter);
    if (sendAll(fd, head)) sendAll(fd, body);
}

std::string percentDecode(std::string_view text) {
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && digit(text[i + 1]) >= 0 &&
            digit(text[i + 2]) >= 0) {
            out += static_cast<char>(digit(text[i + 1]) * 16 + digit(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace emulator
