// The card emulator's pieces: HTTP messages on a socket, and the card behind them (files by
// path, upload.cgi commands and multipart uploads into a root folder).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace emulator {

using Clock = std::chrono::steady_clock;

// A stop (SIGTERM / SIGINT) wakes every wait at once: the signal handler writes into a pipe
// that every wait also watches and nobody reads.
void initStop();
void requestStop();  // async-signal-safe
bool stopping();

// Waits until `fd` is ready for `events` (POLLIN, POLLOUT), at most `timeoutMs`; false on
// time-out, error or stop.
bool waitFor(int fd, short events, int timeoutMs);
// Sleeps `ms`; false when a stop cut it short.
bool sleepFor(int ms);

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

// Reads one request: the header block, then Content-Length body bytes, all before `deadline`.
Request readRequest(int fd, Clock::time_point deadline);
// The reply's bytes as sent: status line, headers, the body (cut as the response says).
std::string render(const Response& response);
// Sends everything before `deadline`, or one byte every `dripMs` ms when that is not 0.
bool sendAll(int fd, std::string_view bytes, Clock::time_point deadline, int dripMs = 0);

std::string percentDecode(std::string_view text);

// What a scripted request gets instead of the card's own answer.
struct Scripted {
    bool stall = false;  // read the request, then never answer
    std::string reply;   // raw bytes; none at all closes the connection without a reply
    bool flood = false;  // a status line, then header lines without end
};

// Ways to misbehave, for tests of the client's failure handling.
struct Faults {
    // Keyed "*" (every request), "download", "command", "post" or a request number from 1.
    std::map<std::string, Scripted> scripts;
    int dripMs = 0;                           // replies sent one byte every dripMs
    std::optional<std::string> commandReply;  // instead of SUCCESS
    int postStatus = 200;                     // status of POST replies (not 200: nothing stored)
    // What a POST answered 200 does: stores the file as sent, or answers ERROR and stores
    // nothing, or answers SUCCESS and stores nothing, or SUCCESS and bytes not the ones sent.
    enum class Post { store, error, storeNothing, storeOther } post = Post::store;
    // As on the card: the command takes any folder, and the POST makes the folder when only
    // it is missing. Otherwise no folder is ever made, and one out of the root fails the command.
    bool updirLiteral = false;
    std::optional<std::size_t> truncate;  // body bytes of a download sent before closing

    // The script for the `number`th request, most specific first: its number, its kind, "*".
    const Scripted* scriptFor(const Request& request, std::uint64_t number) const;
};

// "command" (GET upload.cgi), "post" (POST upload.cgi), "download" (any other GET) or "".
std::string kindOf(const Request& request);

class Card {
  public:
    Card(std::filesystem::path root, Faults faults);
    // Safe to call from several connections at once.
    Response handle(const Request& request);

  private:
    Response command(std::string_view query);
    Response download(std::string_view path) const;
    Response upload(const Request& request);
    bool store(const Request& request);  // the POST's file, false when it was not stored

    std::filesystem::path root_;  // canonical: every file served or stored lies below it
    Faults faults_;
    std::mutex mutex_;         // over the upload state below
    std::string upDir_ = "/";  // as set by the last command, in force for later POSTs
    std::optional<std::uint32_t> fileTime_;
};

struct Options {
    std::filesystem::path root;
    int port = 8080;
    std::string portFile;  // the port chosen, written once listening
    std::string stopFile;  // stops once this exists
    bool exitWithParent = false;
    std::string bind = "127.0.0.1";
    std::string log;
    Faults faults;
};

extern const char* const usageText;

// The command line as options, or the reason it is not a valid one.
struct ParsedOptions {
    std::optional<Options> options;
    std::string error;  // empty with --help
};
ParsedOptions parseOptions(int argc, char** argv);

}  // namespace emulator
