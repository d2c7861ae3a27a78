// HTTP conversation with the FlashAir card: download a file by path, upload a file through the
// card's upload.cgi (a command naming directory and time, then a multipart POST), and read an
// upload back to see that the card holds it. Blocking, one exchange of the system's HTTP
// transport per request. What fails is told to the caller's CardFaultSink, kind and
// description; this layer shows nothing itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "transfer/http_transport.h"

namespace transfer {

inline constexpr std::size_t commandReplyLimit = 300;
// The most of a POST's reply that is read: the card says SUCCESS or ERROR, perhaps in a page.
inline constexpr std::size_t postReplyLimit = 300;
inline constexpr std::string_view boundary = "========================";  // 24 '='

enum class CardFault {
    exchangeFailed,  // an exchange broke, timed out or brought no HTTP reply (description)
    commandRefused,  // the upload command was not answered SUCCESS: the card is not reachable
    uploadFailed,    // the file is not on the card as sent (description: why, when known)
};

class CardFaultSink {
  public:
    virtual void cardFault(CardFault fault, std::string_view description) = 0;

  protected:
    ~CardFaultSink() = default;
};

// A download that must be the file itself, or the reason (Japanese) it is not.
struct WholeFile {
    std::optional<std::vector<std::uint8_t>> bytes;
    std::string refusal;  // empty after an exchange failure, which the sink was told
};

class CardClient {
  public:
    // `host` is a host name, name.local or an IP address, each with an optional ":port".
    CardClient(CardFaultSink& faults, std::string host);

    // GET http://host/<encodedPath> into `buffer`, at most buffer.size() bytes. Returns the bytes
    // received, 0 after a failure (told to the sink). The body of any reply counts as content;
    // lastStatus() tells its HTTP status (0 when none arrived).
    std::size_t downloadFile(std::string_view encodedPath, std::span<std::uint8_t> buffer);
    // The whole file at `encodedPath` when the reply proves it whole: status 200, the bytes as
    // stored (no content coding), one valid Content-Length met or a complete chunked body, and
    // at most `limit` bytes. Anything else (an error page, a cut or longer file) is refused.
    WholeFile downloadWhole(std::string_view encodedPath, std::size_t limit);
    int lastStatus() const { return lastReply_.status; }
    // Everything the transport saw of the last exchange.
    const HttpReply& lastReply() const { return lastReply_; }
    // Body bytes that arrived during the last exchange, including any beyond the buffer before
    // the transfer was stopped.
    std::uint64_t lastPulled() const { return lastReply_.received; }

    // GET of a command URL; the reply, at most 300 bytes; empty after a failure.
    std::string sendCommand(const std::string& url);
    // The multipart POST to /upload.cgi; true only when the card answered 2xx with SUCCESS.
    bool postFile(std::string_view name, std::span<const std::uint8_t> data);
    // Command (directory, time), then only on "SUCCESS" the POST. A name holding '"', CR or LF
    // is refused before anything is sent.
    bool uploadFile(const std::optional<std::string>& directory, std::string_view name,
                    std::span<const std::uint8_t> data);
    // uploadFile, then the file downloaded again from `encodedPath` (its path as a download
    // names it): true only when the card holds exactly `data`. One exchange more, for the files
    // the robot runs from.
    bool uploadVerified(const std::optional<std::string>& directory, std::string_view name,
                        std::span<const std::uint8_t> data, std::string_view encodedPath);

    void setProgressHook(ProgressHook hook) { progress_ = std::move(hook); }
    void setLimits(const HttpLimits& limits) { limits_ = limits; }
    // The local time used for FTIME; tests set a fixed one.
    void setClock(std::function<std::tm()> clock) { clock_ = std::move(clock); }

    std::string baseUrl() const;    // "http://host/"
    std::string uploadUrl() const;  // "http://host/upload.cgi"

  private:
    HttpRequest request(std::string url) const;
    HttpReply perform(const HttpRequest& request);
    void fail(CardFault fault, std::string_view description = {});
    std::string refusalOfLastDownload(std::size_t limit) const;

    CardFaultSink& faults_;
    std::string host_;
    HttpLimits limits_;
    HttpReply lastReply_;
    std::string lastCommandReply_;
    ProgressHook progress_;
    std::function<std::tm()> clock_;
};

// The command query for a directory (absent: the card's root) at local time `t`:
// "?WRITEPROTECT=OFF&UPDIR=/<dir>&FTIME=0x<date><time>". In <dir>, '%', '&', '+', '#', blanks,
// control bytes and bytes from 0x7F up are written as %XX; every other byte goes unchanged.
std::string commandQuery(const std::optional<std::string>& directory, const std::tm& t);
// FAT date and time words of a local time.
std::uint16_t fatDate(const std::tm& t);
std::uint16_t fatTime(const std::tm& t);
// The whole multipart body of a POST of `data` under `name`.
std::string postBody(std::string_view name, std::span<const std::uint8_t> data);
inline constexpr std::string_view postContentType =
    "Content-Type: multipart/form-data;boundary=========================";
static_assert(postContentType.size() == 67 && postContentType.ends_with(boundary));
// Whether a POST's reply body says the card stored the file: SUCCESS in any letter case, as a
// word of its own, blanks and line breaks around it set aside.
bool saysSuccess(std::string_view body);

// Whether `host` can name the card in its URLs: a host name, name.local or an IPv4 address
// (letters, digits, '-' in dot-separated labels), with an optional ":port" from 1 to 65535.
bool isCardHost(std::string_view host);

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
