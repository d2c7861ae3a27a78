// The card emulator's pieces: HTTP messages on a socket, and the card behind them (files by
// path, upload.cgi commands and multipart uploads into a root folder).
#pragma once

#include <csignal>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace emulator {

// Set by SIGTERM / SIGINT; every wait gives up once it is set.
extern volatile std::sig_atomic_t stopRequested;

// Waits until `fd` can be read, the time-out passed or a stop was requested (false then).
bool waitReadable(int fd, int timeoutMs);

struct Request {
    std::string raw;  // every byte received, for the log
    bool complete = false;
    std::string method, target;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    std::string header(std::string_view name) const;  // "" when absent
};

struct Response {
    int status = 200;
    std::string contentType = "text/html";
    std::string body;
    std::optional<std::size_t> truncateAfter;  // body bytes actually sent, the rest withheld
};

// Reads one request: the header block, then Content-Length body bytes.
Request readRequest(int fd);
void sendResponse(int fd, const Response& response);
bool sendAll(int fd, std::string_view bytes);

std::string percentDecode(std::string_view text);

// Ways to misbehave, for tests of the client's failure handling.
struct Faults {
    std::optional<std::string> replyOverride;  // sent as the whole reply to every request
    bool stall = false;                        // read the request, then never answer
    std::optional<std::string> commandReply;   // instead of SUCCESS
    int postStatus = 200;                      // status of POST replies (not 200: nothing stored)
    std::optional<std::size_t> truncate;       // body bytes of a download sent before closing
};

class Card {
public:
    Card(std::filesystem::path root, Faults faults);
    Response handle(const Request& request);

private:
    Response command(std::string_view query);
    Response download(std::string_view path) const;
    Response upload(const Request& request);

    std::filesystem::path root_;
    Faults faults_;
    std::string upDir_ = "/";  // as set by the last command, in force for later POSTs
    std::optional<std::uint32_t> fileTime_;
};

}  // namespace emulator
