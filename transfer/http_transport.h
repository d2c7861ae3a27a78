// One blocking HTTP exchange, the same on every system: the card protocol (card_client.cpp)
// composes requests and judges replies; a transport (libcurl on Linux, WinInet on Windows) only
// moves bytes and reports what it saw. Nothing here knows about the card.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace transfer {

// Called while a transfer runs: bytes done and expected (0 when unknown). Lets a front end show
// progress and keep its window painted.
using ProgressHook = std::function<void(std::uint64_t done, std::uint64_t expected)>;

// Limits every exchange keeps, so a vanished or crawling card never holds the window for long.
struct HttpLimits {
    long connectSeconds = 10;  // to open the connection
    long stallSeconds = 20;    // with no byte moving either way
    // The floor: fewer than floorBytesPerSecond * floorSeconds bytes moved in any
    // floorSeconds-long stretch ends the transfer (a card dripping one byte a second).
    long floorBytesPerSecond = 256;
    long floorSeconds = 20;
    // The whole exchange, however it moves: ample for a 139,264-byte program from the card.
    long deadlineSeconds = 60;
    // Reply headers held at most; a card sending header lines without end is given up.
    std::size_t maxHeaderBytes = 64 * 1024;
};

struct HttpRequest {
    enum class Method { get, post };

    std::string url;  // "http://host[:port]/path?query", sent as given (no escaping added)
    Method method = Method::get;
    bool http10 = false;                 // send the request line as HTTP/1.0
    std::vector<std::string> headers;    // extra lines "Name: value", no line end
    std::span<const std::uint8_t> body;  // POST only; its size is sent as Content-Length
    // The reply body goes here; the transfer ends as soon as it is full (the rest of the body
    // is never read). An empty destination with `discardBody` reads the body and keeps nothing.
    std::span<std::uint8_t> destination;
    bool discardBody = false;
    HttpLimits limits;
    ProgressHook progress;
};
// Besides `headers`, a request carries Host, User-Agent "VKRandom" and, for a POST,
// Content-Length; a GET may carry the transport's usual Accept line, a POST carries nothing else.

enum class HttpFailure {
    none,
    resolve,   // the host name was not found
    connect,   // refused, or no route to the host
    timeout,   // the connection did not open in time
    noReply,   // nothing arrived for the stall limit, or closed without a reply
    tooSlow,   // below the floor
    cutShort,  // the connection broke during the exchange
    badReply,  // not a valid HTTP reply
    outOfMemory,
    other,
};

struct HttpReply {
    int status = 0;  // 0 when no status line arrived
    // What the reply's headers declared about its body.
    std::optional<std::uint64_t> contentLength;  // set only for one valid value
    bool conflictingLengths = false;  // several different values, or one that is not a number
    bool chunked = false;
    bool chunkedComplete = false;  // the terminating chunk arrived
    std::string contentEncoding;   // as declared, "" when none (the bytes are then the file's)
    // Body bytes that arrived (decoded from chunks), also any beyond a full destination.
    std::uint64_t received = 0;
    std::size_t kept = 0;      // of those, placed in the destination
    bool stoppedFull = false;  // we ended the transfer because the destination was full
    HttpFailure failure = HttpFailure::none;
    // What was tried and seen, in the words of failure_facts.h; the system's text for `other`.
    std::string detail;
};

// For the transports' reading of reply headers: what a header line declares about the body
// (Content-Length, Transfer-Encoding, Content-Encoding), noted in `reply`; false for any other
// line.
bool noteBodyHeader(std::string_view line, HttpReply& reply);

// Performs the exchange. Never throws; every problem is a failure kind in the reply.
HttpReply performHttp(const HttpRequest& request);

// Short Japanese description of a failure for message 119: the kind's own text, then the detail
// in parentheses (the host and port tried, the seconds waited, the bytes seen, the error number).
std::string describeHttpFailure(HttpFailure failure, std::string_view detail);

}  // namespace transfer
