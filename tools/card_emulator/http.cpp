// HTTP/1.1 on a socket, as little as the card's clients need: one request per connection,
// bodies by Content-Length, every reply closes the connection. Every wait has a limit and
// gives up on a stop.
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "emulator.h"
#include "platform/text.h"

namespace emulator {

namespace {

int stopPipe[2] = {-1, -1};

// A client that sends or takes nothing for this long is given up.
constexpr int idleLimitMs = 10000;
constexpr std::size_t headerLimit = 64 * 1024;
constexpr std::size_t bodyLimit = 16 * 1024 * 1024;

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

int msUntil(Clock::time_point deadline, int atMost) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::clamp<long long>(left.count(), 0, atMost));
}

// Appends what one read brings; false on time-out, end of stream or error.
bool readMore(int fd, std::string& into, Clock::time_point deadline) {
    const int waitMs = msUntil(deadline, idleLimitMs);
    if (waitMs == 0 || !waitFor(fd, POLLIN, waitMs)) return false;
    char chunk[16384];
    const ssize_t got = recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) return true;
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

void initStop() {
    if (pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) stopPipe[0] = stopPipe[1] = -1;
}

void requestStop() {
    const int saved = errno;
    [[maybe_unused]] const ssize_t written = write(stopPipe[1], "x", 1);
    errno = saved;
}

bool stopping() {
    pollfd entry{stopPipe[0], POLLIN, 0};
    return poll(&entry, 1, 0) > 0;
}

bool waitFor(int fd, short events, int timeoutMs) {
    pollfd entries[2] = {{fd, events, 0}, {stopPipe[0], POLLIN, 0}};
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const int ready = poll(entries, 2, msUntil(deadline, timeoutMs));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0 || entries[1].revents != 0) return false;
        return entries[0].revents != 0;
    }
}

bool sleepFor(int ms) {
    return !waitFor(stopPipe[0], POLLIN, ms) && !stopping();
}

std::string Request::header(std::string_view name) const {
    for (const auto& [key, value] : headers)
        if (platform::equalsIgnoringCase(key, name)) return value;
    return {};
}

Request readRequest(int fd, Clock::time_point deadline) {
    Request request;
    std::size_t headEnd;
    while ((headEnd = request.raw.find("\r\n\r\n")) == std::string::npos) {
        if (request.raw.size() > headerLimit || !readMore(fd, request.raw, deadline))
            return request;
    }
    parseHead(std::string_view(request.raw).substr(0, headEnd), request);
    const std::size_t length = std::strtoull(request.header("Content-Length").c_str(), nullptr, 10);
    if (length > bodyLimit) return request;
    const std::size_t bodyStart = headEnd + 4;
    while (request.raw.size() < bodyStart + length)
        if (!readMore(fd, request.raw, deadline)) return request;
    request.body = request.raw.substr(bodyStart, length);
    request.complete = true;
    return request;
}

bool sendAll(int fd, std::string_view bytes, Clock::time_point deadline, int dripMs) {
    while (!bytes.empty()) {
        // A drip is as slow as it was asked to be; only the client or a stop ends it.
        const int waitMs = dripMs > 0 ? idleLimitMs : msUntil(deadline, idleLimitMs);
        if (waitMs == 0 || !waitFor(fd, POLLOUT, waitMs)) return false;
        const std::size_t size = dripMs > 0 ? 1 : bytes.size();
        const ssize_t sent = send(fd, bytes.data(), size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
        if (dripMs > 0 && !bytes.empty() && !sleepFor(dripMs)) return false;
    }
    return true;
}

std::string render(const Response& response) {
    std::string head =
        "HTTP/1.1 " + std::to_string(response.status) + " " + reason(response.status) + "\r\n";
    head += "Content-Type: " + response.contentType + "\r\n";
    head += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
    head += "Connection: close\r\n\r\n";
    std::string_view body = response.body;
    if (response.truncateAfter) body = body.substr(0, *response.truncateAfter);
    return head.append(body);
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
