// The card's HTTP conversation: what is asked of the card, and what its replies are taken
// for. Every failure of an exchange becomes message 119 with a Japanese description.
#include "transfer/card_client.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <utility>

#include "core/messages.h"
#include "core/prompts.h"
#include "platform/clock.h"
#include "platform/encoding.h"

namespace transfer {
namespace {

constexpr std::string_view successReply = "SUCCESS";
constexpr std::string_view crlf = "\r\n";

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

// A reply read to its end whose length is not the one it declared is a damaged transfer:
// its bytes must never be taken for the file.
std::optional<std::pair<HttpFailure, std::string>> lengthFault(const HttpReply& reply) {
    if (reply.conflictingLengths)
        return std::pair{HttpFailure::badReply, "conflicting Content-Length headers in the reply"};
    if (reply.stoppedFull || !reply.contentLength || reply.received == *reply.contentLength)
        return std::nullopt;
    return std::pair{
        reply.received < *reply.contentLength ? HttpFailure::cutShort : HttpFailure::badReply,
        "reply body of " + std::to_string(reply.received) + " bytes, declared " +
            std::to_string(*reply.contentLength)};
}

}  // namespace

CardClient::CardClient(core::Prompts& prompts, std::string host)
    : prompts_(prompts), host_(std::move(host)) {}

std::string CardClient::baseUrl() const {
    return "http://" + host_ + "/";
}
std::string CardClient::uploadUrl() const {
    return "http://" + host_ + "/upload.cgi";
}

HttpRequest CardClient::request(std::string url) const {
    HttpRequest request;
    request.url = std::move(url);
    request.limits = limits_;
    request.progress = progress_;
    return request;
}

void CardClient::showFailure(HttpFailure failure, std::string_view detail) {
    core::showMessage(prompts_, core::msgCardCommFailed, describeHttpFailure(failure, detail));
}

std::size_t CardClient::downloadFile(std::string_view encodedPath, std::span<std::uint8_t> buffer) {
    HttpRequest get = request(baseUrl() + std::string(encodedPath));
    get.headers = {"Pragma: no-cache", "Cache-Control: no-cache", "Connection: close"};
    get.destination = buffer;
    lastReply_ = performHttp(get);
    const auto& reply = lastReply_;
    if (reply.failure != HttpFailure::none) {
        showFailure(reply.failure, reply.detail);
        return 0;
    }
    if (const auto fault = lengthFault(reply)) {
        showFailure(fault->first, fault->second);
        return 0;
    }
    return reply.kept;
}

std::string CardClient::sendCommand(const std::string& url) {
    std::array<std::uint8_t, commandReplyLimit> text{};
    HttpRequest get = request(url);
    get.destination = text;
    lastReply_ = performHttp(get);
    if (lastReply_.failure != HttpFailure::none) {
        lastCommandReply_.clear();
        showFailure(lastReply_.failure, lastReply_.detail);
        return {};
    }
    lastCommandReply_.assign(reinterpret_cast<const char*>(text.data()), lastReply_.kept);
    return lastCommandReply_;
}

bool CardClient::postFile(std::string_view name, std::span<const std::uint8_t> data) {
    const std::string body = postBody(name, data);
    HttpRequest post = request(uploadUrl());
    post.method = HttpRequest::Method::post;
    post.http10 = true;
    post.headers = {std::string(postContentType)};
    post.body = std::span(reinterpret_cast<const std::uint8_t*>(body.data()), body.size());
    post.discardBody = true;
    lastReply_ = performHttp(post);
    if (lastReply_.failure != HttpFailure::none) {
        showFailure(lastReply_.failure, lastReply_.detail);
        return false;
    }
    // A card that is write-protected, full or lacks the folder says so with its status.
    return lastReply_.status >= 200 && lastReply_.status < 300;
}

bool CardClient::lastDownloadWhole() const {
    const HttpReply& r = lastReply_;
    if (r.failure != HttpFailure::none || r.status != 200 || r.stoppedFull || r.conflictingLengths)
        return false;
    if (r.chunked) return r.chunkedComplete;
    return r.contentLength && *r.contentLength == r.received;
}

bool CardClient::uploadFile(const std::optional<std::string>& directory, std::string_view name,
                            std::span<const std::uint8_t> data) {
    // The name is put between quotes in the form: one that would end them or the line is not
    // sent at all rather than stored under another name.
    if (name.find_first_of("\"\r\n") != std::string_view::npos) {
        core::showMessage(prompts_, core::msgCardUploadFailed);
        return false;
    }
    const std::tm now = clock_ ? clock_() : platform::localNow();
    // The card applies this command's directory and time to the POST that follows it.
    const std::string reply = sendCommand(uploadUrl() + commandQuery(directory, now));
    if (!equalsIgnoringCase(reply, successReply)) {
        core::showMessage(prompts_, core::msgCardUnreachable);
        return false;
    }
    if (!postFile(name, data)) {
        core::showMessage(prompts_, core::msgCardUploadFailed);
        return false;
    }
    return true;
}

std::uint16_t fatDate(const std::tm& t) {
    // FAT dates cover 1980..2107; a clock outside that range gets the nearest end.
    const int years = std::clamp(t.tm_year - 80, 0, 127);
    return static_cast<std::uint16_t>((years << 9) | ((t.tm_mon + 1) << 5) | t.tm_mday);
}

std::uint16_t fatTime(const std::tm& t) {
    return static_cast<std::uint16_t>((t.tm_hour << 11) | (t.tm_min << 5) | (t.tm_sec / 2));
}

std::string commandQuery(const std::optional<std::string>& directory, const std::tm& t) {
    std::string query = "?WRITEPROTECT=OFF&UPDIR=/";
    // The directory goes as it is, except the bytes that would change the query's meaning (an
    // escape, a separator, '+' read as a blank, the fragment mark) or that a URL cannot carry
    // (blanks, control bytes, and UTF-8 beyond ASCII, which an HTTP layer may convert to its own
    // code page): those are escaped, so the card sees the folder's name.
    for (const unsigned char byte : directory.value_or("")) {
        char escaped[4];
        std::snprintf(escaped, sizeof escaped, "%%%02X", unsigned{byte});
        if (byte <= 0x20 || byte >= 0x7F || byte == '#' || byte == '%' || byte == '&' ||
            byte == '+')
            query += escaped;
        else
            query += static_cast<char>(byte);
    }
    char time[24];
    std::snprintf(time, sizeof time, "&FTIME=0x%04X%04X", unsigned{fatDate(t)},
                  unsigned{fatTime(t)});
    return query + time;
}

std::string postBody(std::string_view name, std::span<const std::uint8_t> data) {
    const std::string delimiter = "--" + std::string(boundary);
    std::string body;
    body.reserve(153 + name.size() + data.size());
    body.append(delimiter).append(crlf);
    body.append("Content-Disposition: form-data; name=\"upload.cgi\";filename=\"");
    body.append(name).append("\"").append(crlf);
    // The card wants the delimiter line a second time before the blank line.
    body.append(delimiter).append(crlf);
    body.append(crlf);
    body.append(reinterpret_cast<const char*>(data.data()), data.size());
    body.append(crlf).append(delimiter).append("--").append(crlf);
    return body;
}

namespace {

std::optional<std::string> withoutNul(std::string_view ansi) {
    if (ansi.find('\0') != std::string_view::npos) return std::nullopt;
    return platform::cp932ToUtf8(ansi);
}

}  // namespace

std::optional<std::size_t> toUtf8(std::string_view ansi, char* buffer, std::size_t capacity) {
    // A NUL inside the text would end it early on the card: such a name is refused.
    const std::optional<std::string> utf8 = withoutNul(ansi);
    if (!buffer) return utf8 ? std::optional(utf8->size() + 1) : std::nullopt;
    if (capacity > 0) buffer[0] = '\0';
    if (!utf8 || utf8->size() >= capacity) return std::nullopt;
    std::memcpy(buffer, utf8->data(), utf8->size());
    buffer[utf8->size()] = '\0';
    return utf8->size();
}

std::optional<std::size_t> percentEncodePath(std::string_view ansi, char* buffer,
                                             std::size_t capacity) {
    if (buffer && capacity > 0) buffer[0] = '\0';
    const std::optional<std::string> utf8 = withoutNul(ansi);
    if (!buffer || !utf8 || utf8->size() * 3 >= capacity) return std::nullopt;
    // Every byte, separators and letters alike, so the card sees one unambiguous path.
    static constexpr char hex[] = "0123456789ABCDEF";
    char* out = buffer;
    for (const unsigned char byte : *utf8) {
        *out++ = '%';
        *out++ = hex[byte >> 4];
        *out++ = hex[byte & 0x0F];
    }
    *out = '\0';
    return utf8->size();
}

}  // namespace transfer
