// HTTP conversation with the FlashAir card: download a file by path, upload a file through the
// card's upload.cgi (a command naming directory and time, then a multipart POST). Blocking, one
// exchange of the system's HTTP transport per request; failures are shown as messages 119-121.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "transfer/http_transport.h"

namespace core {
class Prompts;
}

namespace transfer {

inline constexpr std::size_t commandReplyLimit = 300;
inline constexpr std::string_view boundary = "========================";  // 24 '='

class CardClient {
  public:
    // `host` is a host name, name.local or an IP address, each with an optional ":port".
    CardClient(core::Prompts& prompts, std::string host);

    // GET http://host/<encodedPath> into `buffer`, at most buffer.size() bytes. Returns the bytes
    // received, 0 after a failure (message 119 shown). The body of any reply counts as content;
    // lastStatus() tells its HTTP status (0 when none arrived).
    std::size_t downloadFile(std::string_view encodedPath, std::span<std::uint8_t> buffer);
    int lastStatus() const { return lastReply_.status; }
    // Everything the transport saw of the last exchange.
    const HttpReply& lastReply() const { return lastReply_; }

    // GET of a command URL; the reply, at most 300 bytes; empty after a failure (119 shown).
    std::string sendCommand(const std::string& url);
    // True when the last download brought the whole file: status 200 and either one valid
    // Content-Length equal to the bytes received or a complete chunked body, never stopped at a
    // full buffer. Only such a file may be changed and sent back.
    bool lastDownloadWhole() const;

    // The multipart POST to /upload.cgi; true when the exchange worked and the card answered 2xx.
    bool postFile(std::string_view name, std::span<const std::uint8_t> data);
    // Command (directory, time), then only on "SUCCESS" the POST. Messages 120 / 121. A name
    // holding '"', CR or LF is refused (121) before anything is sent.
    bool uploadFile(const std::optional<std::string>& directory, std::string_view name,
                    std::span<const std::uint8_t> data);

    // Body bytes that arrived during the last exchange, including any beyond the buffer before
    // the transfer was stopped.
    std::uint64_t lastPulled() const { return lastReply_.received; }

    void setProgressHook(ProgressHook hook) { progress_ = std::move(hook); }
    // Give up connecting after `connectSeconds`, and a transfer that moves no byte for
    // `stallSeconds` (defaults 10 and 20, so a vanished card never freezes the tool for long).
    void setTimeouts(long connectSeconds, long stallSeconds) {
        limits_.connectSeconds = connectSeconds;
        limits_.stallSeconds = stallSeconds;
    }
    void setLimits(const HttpLimits& limits) { limits_ = limits; }
    // The local time used for FTIME; tests set a fixed one.
    void setClock(std::function<std::tm()> clock) { clock_ = std::move(clock); }

    std::string baseUrl() const;    // "http://host/"
    std::string uploadUrl() const;  // "http://host/upload.cgi"

  private:
    HttpRequest request(std::string url) const;
    void showFailure(HttpFailure failure, std::string_view detail);

    core::Prompts& prompts_;
    std::string host_;
    HttpLimits limits_;
    HttpReply lastReply_;
    std::string lastCommandReply_;
    ProgressHook progress_;
    std::function<std::tm()> clock_;
};

// The command query for a directory (absent: the card's root) at local time `t`:
// "?WRITEPROTECT=OFF&UPDIR=/<dir>&FTIME=0x<date><time>". In <dir>, '%', '&', '+', '#', blanks and
// control bytes are written as %XX; every other byte, UTF-8 included, goes unchanged.
std::string commandQuery(const std::optional<std::string>& directory, const std::tm& t);
// FAT date and time words of a local time.
std::uint16_t fatDate(const std::tm& t);
std::uint16_t fatTime(const std::tm& t);
// The whole multipart body of a POST of `data` under `name`.
std::string postBody(std::string_view name, std::span<const std::uint8_t> data);
inline constexpr std::string_view postContentType =
    "Content-Type: multipart/form-data;boundary=========================";
static_assert(postContentType.size() == 67 && postContentType.ends_with(boundary));

// CP932 text as UTF-8 into `buffer` of `capacity` bytes (terminated). Returns the UTF-8 length
// written; without a buffer, the UTF-8 size including the terminator. nullopt when the text is
// not CP932 or does not fit: nothing past the capacity is ever written.
std::optional<std::size_t> toUtf8(std::string_view ansi, char* buffer, std::size_t capacity);
// CP932 text as UTF-8 with every byte written as %XX, terminated, into `buffer`. Returns the
// UTF-8 length of the text; nullopt (buffer untouched but terminated when capacity > 0) when the
// encoded text and its terminator do not fit or the text is not CP932.
std::optional<std::size_t> percentEncodePath(std::string_view ansi, char* buffer,
                                             std::size_t capacity);

}  // namespace transfer
