// The card's HTTP conversation: what is asked of the card, and what its replies are taken
// for. Failed exchanges are described in Japanese for the user.
#include "transfer/card_client.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <utility>

#include "platform/clock.h"
#include "platform/encoding.h"
#include "platform/text.h"
#include "transfer/failure_facts.h"

namespace transfer {
namespace {

constexpr std::string_view successReply = "SUCCESS";
constexpr std::string_view crlf = "\r\n";

// A reply read to its end whose length is not the one it declared is a damaged transfer:
// its bytes must never be taken for the file.
std::optional<std::pair<HttpFailure, std::string>> lengthFault(const HttpReply& reply) {
    if (reply.conflictingLengths)
        return std::pair{HttpFailure::badReply, std::string("長さの指定が一つに決まらない")};
    if (reply.stoppedFull || !reply.contentLength || reply.received == *reply.contentLength)
        return std::nullopt;
    return std::pair{
        reply.received < *reply.contentLength ? HttpFailure::cutShort : HttpFailure::badReply,
        facts::bytes(*reply.contentLength) + "のはずが " + facts::bytes(reply.received)};
}

}  // namespace

CardClient::CardClient(CardFaultSink& faults, std::string host)
    : faults_(faults), host_(std::move(host)) {}

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

void CardClient::fail(CardFault fault, std::string_view description) {
    faults_.cardFault(fault, description);
}

// Every exchange ends here: a failed one is told to the sink with its description.
HttpReply CardClient::perform(const HttpRequest& request) {
    lastReply_ = performHttp(request);
    if (lastReply_.failure == HttpFailure::none)
        if (const auto fault = lengthFault(lastReply_)) {
            lastReply_.failure = fault->first;
            lastReply_.detail = fault->second;
        }
    if (lastReply_.failure != HttpFailure::none)
        fail(CardFault::exchangeFailed, describeHttpFailure(lastReply_.failure, lastReply_.detail));
    return lastReply_;
}

std::size_t CardClient::downloadFile(std::string_view encodedPath, std::span<std::uint8_t> buffer) {
    HttpRequest get = request(baseUrl() + std::string(encodedPath));
    get.headers = {"Pragma: no-cache", "Cache-Control: no-cache", "Connection: close"};
    get.destination = buffer;
    return perform(get).failure == HttpFailure::none ? lastReply_.kept : 0;
}

std::string CardClient::refusalOfLastDownload(std::size_t limit) const {
    const HttpReply& r = lastReply_;
    if (r.status == 404) return "カードにファイルがない（状態 404）";
    if (r.status != 200) return "カードが状態 " + std::to_string(r.status) + " を返した";
    if (!r.contentEncoding.empty())
        return "カードの応答が圧縮されている（" + r.contentEncoding + "）";
    if (r.stoppedFull || r.kept > limit)
        return "ファイルが大きすぎる（" + facts::bytes(limit) + "まで）";
    if (r.chunked) return r.chunkedComplete ? "" : "応答が最後まで届いたか確かめられない";
    if (!r.contentLength) return "応答に長さが示されていない";
    return "";
}

WholeFile CardClient::downloadWhole(std::string_view encodedPath, std::size_t limit) {
    // One byte more than the limit tells a file too long from one that just fits.
    std::vector<std::uint8_t> buffer(limit + 1);
    const std::size_t n = downloadFile(encodedPath, buffer);
    if (lastReply_.failure != HttpFailure::none) return {};
    if (auto refusal = refusalOfLastDownload(limit); !refusal.empty())
        return {std::nullopt, std::move(refusal)};
    buffer.resize(n);
    return {std::move(buffer), {}};
}

std::string CardClient::sendCommand(const std::string& url) {
    std::array<std::uint8_t, commandReplyLimit> text{};
    HttpRequest get = request(url);
    get.destination = text;
    if (perform(get).failure != HttpFailure::none) {
        lastCommandReply_.clear();
        return {};
    }
    lastCommandReply_.assign(reinterpret_cast<const char*>(text.data()), lastReply_.kept);
    return lastCommandReply_;
}

bool CardClient::postFile(std::string_view name, std::span<const std::uint8_t> data) {
    const std::string body = postBody(name, data);
    std::array<std::uint8_t, postReplyLimit> reply{};
    HttpRequest post = request(uploadUrl());
    post.method = HttpRequest::Method::post;
    post.http10 = true;
    post.headers = {std::string(postContentType)};
    post.body = std::span(reinterpret_cast<const std::uint8_t*>(body.data()), body.size());
    post.destination = reply;
    if (perform(post).failure != HttpFailure::none) return false;
    // The card says in the body whether it stored the file; a status other than 2xx is a
    // refusal whatever the body says.
    return lastReply_.status >= 200 && lastReply_.status < 300 &&
           saysSuccess(
               std::string_view(reinterpret_cast<const char*>(reply.data()), lastReply_.kept));
}

bool CardClient::uploadFile(const std::optional<std::string>& directory, std::string_view name,
                            std::span<const std::uint8_t> data) {
    // The name is put between quotes in the form: one that would end them or the line is not
    // sent at all rather than stored under another name.
    if (name.find_first_of("\"\r\n") != std::string_view::npos) {
        fail(CardFault::uploadFailed);
        return false;
    }
    const std::tm now = clock_ ? clock_() : platform::localNow();
    // The card applies this command's directory and time to the POST that follows it.
    const std::string reply = sendCommand(uploadUrl() + commandQuery(directory, now));
    if (!platform::equalsIgnoringCase(reply, successReply)) {
        fail(CardFault::commandRefused);
        return false;
    }
    if (!postFile(name, data)) {
        fail(CardFault::uploadFailed,
             lastReply_.failure == HttpFailure::none
                 ? "カードが保存を断った（状態 " + std::to_string(lastReply_.status) + "）"
                 : "");
        return false;
    }
    return true;
}

bool CardClient::uploadVerified(const std::optional<std::string>& directory, std::string_view name,
                                std::span<const std::uint8_t> data, std::string_view encodedPath) {
    if (!uploadFile(directory, name, data)) return false;
    // The card answers SUCCESS to a command whose folder it cannot use, so only the file read
    // back from where it should be tells that it is there, whole.
    const WholeFile back = downloadWhole(encodedPath, data.size());
    if (!back.bytes) {
        fail(CardFault::uploadFailed, back.refusal.empty() ? "書き込んだファイルを読み戻せない"
                                                           : "読み戻し: " + back.refusal);
        return false;
    }
    if (!std::equal(back.bytes->begin(), back.bytes->end(), data.begin(), data.end())) {
        fail(CardFault::uploadFailed, "カードから読み戻した内容が送った内容と違う（" +
                                          facts::bytes(back.bytes->size()) + "、送ったのは " +
                                          facts::bytes(data.size()) + "）");
        return false;
    }
    return true;
}

bool isCardHost(std::string_view host) {
    if (const auto colon = host.rfind(':'); colon != std::string_view::npos) {
        const std::string_view port = host.substr(colon + 1);
        if (port.empty() || port.size() > 5 ||
            port.find_first_not_of("0123456789") != std::string_view::npos ||
            std::stoul(std::string(port)) - 1 >= 65535)
            return false;
        host = host.substr(0, colon);
    }
    if (host.empty() || host.size() > 253) return false;
    // A name's last label is never all digits: such a host is an address of four numbers up to
    // 255 (a resolver would read "1.2.3" as another address than the user meant).
    const auto digits = [](std::string_view s) {
        return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (digits(host.substr(host.rfind('.') + 1))) {
        int numbers = 0;
        for (std::size_t at = 0; at <= host.size(); ++numbers) {
            const std::size_t end = std::min(host.find('.', at), host.size());
            const std::string_view number = host.substr(at, end - at);
            if (!digits(number) || number.size() > 3 || std::stoi(std::string(number)) > 255)
                return false;
            at = end + 1;
        }
        return numbers == 4;
    }
    for (std::size_t at = 0; at <= host.size();) {
        const std::size_t end = std::min(host.find('.', at), host.size());
        const std::string_view label = host.substr(at, end - at);
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-' ||
            !std::all_of(label.begin(), label.end(), [](char c) {
                return (c >= '0' && c <= '9') || c == '-' ||
                       (platform::asciiLower(c) >= 'a' && platform::asciiLower(c) <= 'z');
            }))
            return false;
        at = end + 1;
    }
    return true;
}

bool saysSuccess(std::string_view body) {
    const auto isLetter = [](char c) {
        return platform::asciiLower(c) >= 'a' && platform::asciiLower(c) <= 'z';
    };
    for (std::size_t at = 0; at + successReply.size() <= body.size(); ++at) {
        if (!platform::startsWithIgnoringCase(body.substr(at), successReply)) continue;
        const std::size_t end = at + successReply.size();
        if ((at == 0 || !isLetter(body[at - 1])) && (end == body.size() || !isLetter(body[end])))
            return true;
    }
    return false;
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

namespace {

// Every byte, separators and letters alike, so the card sees one unambiguous path.
std::string percentEncoded(std::string_view utf8) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(utf8.size() * 3);
    for (const unsigned char byte : utf8) out.append({'%', hex[byte >> 4], hex[byte & 0x0F]});
    return out;
}

}  // namespace

std::optional<std::size_t> percentEncodePath(std::string_view ansi, char* buffer,
                                             std::size_t capacity) {
    if (buffer && capacity > 0) buffer[0] = '\0';
    const std::optional<std::string> utf8 = withoutNul(ansi);
    if (!buffer || !utf8 || utf8->size() * 3 >= capacity) return std::nullopt;
    const std::string encoded = percentEncoded(*utf8);
    std::memcpy(buffer, encoded.c_str(), encoded.size() + 1);
    return utf8->size();
}

}  // namespace transfer
