// The card's HTTP conversation on libcurl's easy interface. Each operation owns one easy handle
// for its whole life; every failure inside it becomes message 119 with curl's own error text.
#include "transfer/card_client.h"

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <mutex>

#include "core/messages.h"
#include "core/prompts.h"
#include "platform/encoding.h"

namespace transfer {
namespace {

constexpr const char* userAgent = "VKRandom";
constexpr std::string_view successReply = "SUCCESS";
constexpr std::string_view crlf = "\r\n";

struct EasyCleanup {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct SlistCleanup {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// Takes a reply body into a fixed buffer and ends the transfer once the buffer is full: the
// rest of the file is never needed, and reading it would cost a choice read the whole file.
struct Sink {
    explicit Sink(std::span<std::uint8_t> into, bool drainOnly = false)
        : buffer(into), discard(drainOnly) {}
    std::span<std::uint8_t> buffer;
    bool discard = false;  // drain only: accept and drop every byte
    std::size_t received = 0;
    std::uint64_t pulled = 0;
    // What the reply declared: its Content-Length (conflicting values make it unusable) and
    // whether the card closes the connection after it.
    std::optional<std::uint64_t> declaredLength;
    bool conflictingLengths = false;
    bool serverCloses = false;
    bool bodyEnded = false;  // all declared bytes arrived on a connection kept open

    bool full() const { return !discard && received == buffer.size(); }
    bool stoppedByUs() const { return full() || bodyEnded; }
};

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix);

// Keeps the Content-Length and Connection headers of the reply (the last response's).
std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto& sink = *static_cast<Sink*>(user);
    const std::string_view line(data, size * count);
    if (line.rfind("HTTP/", 0) == 0) {
        sink.declaredLength.reset();
        sink.conflictingLengths = sink.serverCloses = false;
    } else if (startsWithIgnoringCase(line, "content-length:")) {
        const std::string value(line.substr(15));
        char* end = nullptr;
        const auto length = std::strtoull(value.c_str(), &end, 10);
        if (value.find('-') != std::string::npos || end == value.c_str()) {
            sink.conflictingLengths = true;
        } else {
            if (sink.declaredLength && *sink.declaredLength != length) sink.conflictingLengths = true;
            sink.declaredLength = length;
        }
    } else if (startsWithIgnoringCase(line, "connection:") &&
               line.find("close") != std::string_view::npos) {
        sink.serverCloses = true;
    }
    return size * count;
}

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto& sink = *static_cast<Sink*>(user);
    const std::size_t bytes = size * count;
    sink.pulled += bytes;
    if (sink.discard) return bytes;
    const std::size_t taken = std::min(bytes, sink.buffer.size() - sink.received);
    if (taken > 0) std::memcpy(sink.buffer.data() + sink.received, data, taken);
    sink.received += taken;
    // A card that keeps the connection open would otherwise be waited for until the stall
    // time-out; one that closes it lets the whole reply be checked against its length.
    if (taken == bytes && !sink.serverCloses && sink.declaredLength &&
        sink.pulled >= *sink.declaredLength && sink.pulled > 0) {
        sink.bodyEnded = true;
        return 0;
    }
    // A short count makes curl stop with CURLE_WRITE_ERROR, which perform() forgives.
    return taken;
}

struct ProgressState {
    Sink* sink;
    const ProgressHook* hook;
    bool upload;
};

int onProgress(void* user, curl_off_t downTotal, curl_off_t downNow, curl_off_t upTotal,
               curl_off_t upNow) {
    auto& state = *static_cast<ProgressState*>(user);
    if (*state.hook) {
        const curl_off_t done = state.upload ? upNow : downNow;
        curl_off_t expected = state.upload ? upTotal : downTotal;
        // Downloads are measured by us, so curl does not know their size: the header does.
        if (!state.upload && expected <= 0 && state.sink->declaredLength)
            expected = static_cast<curl_off_t>(*state.sink->declaredLength);
        (*state.hook)(static_cast<std::uint64_t>(done), static_cast<std::uint64_t>(expected));
    }
    // A full buffer ends the transfer now rather than at the next socket read.
    return state.sink->received > 0 && state.sink->full() ? 1 : 0;
}

// One easy handle with the options every request to the card shares. The first failing
// setopt is kept and perform() then does nothing, so every return code counts.
class Request {
public:
    Request(const std::string& url, Sink& sink, const ProgressHook& hook, bool upload,
            long connectTimeout, long stallTimeout)
        : sink_(sink), progress_{&sink, &hook, upload} {
        static std::once_flag globalInit;
        std::call_once(globalInit, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
        handle_.reset(curl_easy_init());
        if (!handle_) {
            code_ = CURLE_FAILED_INIT;
            return;
        }
        set(CURLOPT_ERRORBUFFER, error_.data());
        set(CURLOPT_URL, url.c_str());
        set(CURLOPT_PROTOCOLS_STR, "http");
        set(CURLOPT_USERAGENT, userAgent);
        // The card is on the local Wi-Fi: an http_proxy from the environment would only hide it.
        set(CURLOPT_PROXY, "");
        set(CURLOPT_NOSIGNAL, 1L);
        set(CURLOPT_CONNECTTIMEOUT, connectTimeout);
        set(CURLOPT_LOW_SPEED_LIMIT, 1L);
        set(CURLOPT_LOW_SPEED_TIME, stallTimeout);
        set(CURLOPT_WRITEFUNCTION, &onBody);
        set(CURLOPT_WRITEDATA, static_cast<void*>(&sink_));
        set(CURLOPT_NOPROGRESS, 0L);
        set(CURLOPT_XFERINFOFUNCTION, &onProgress);
        set(CURLOPT_XFERINFODATA, static_cast<void*>(&progress_));
    }

    template <typename Value>
    void set(CURLoption option, Value value) {
        if (code_ == CURLE_OK) code_ = curl_easy_setopt(handle_.get(), option, value);
    }

    void setHeaders(std::initializer_list<const char*> lines) {
        for (const char* line : lines) {
            curl_slist* grown = curl_slist_append(headers_.get(), line);
            if (!grown) {
                if (code_ == CURLE_OK) code_ = CURLE_OUT_OF_MEMORY;
                return;
            }
            (void)headers_.release();
            headers_.reset(grown);
        }
        set(CURLOPT_HTTPHEADER, headers_.get());
    }

    // True when the transfer ended without a fault; our own stop at a full buffer is none.
    bool perform() {
        if (code_ == CURLE_OK) code_ = curl_easy_perform(handle_.get());
        const bool ownStop = code_ == CURLE_WRITE_ERROR || code_ == CURLE_ABORTED_BY_CALLBACK;
        return code_ == CURLE_OK || (ownStop && sink_.stoppedByUs());
    }

    int status() const {
        long status = 0;
        if (!handle_ ||
            curl_easy_getinfo(handle_.get(), CURLINFO_RESPONSE_CODE, &status) != CURLE_OK)
            return 0;
        return static_cast<int>(status);
    }

    std::string errorText() const {
        return error_[0] != '\0' ? std::string(error_.data()) : curl_easy_strerror(code_);
    }

private:
    Sink& sink_;
    ProgressState progress_;
    std::array<char, CURL_ERROR_SIZE> error_{};
    std::unique_ptr<curl_slist, SlistCleanup> headers_;
    std::unique_ptr<CURL, EasyCleanup> handle_;
    CURLcode code_ = CURLE_OK;
};

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && equalsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// A reply read to its end whose length is not the one it declared is a damaged transfer:
// its bytes must never be taken for the file.
std::optional<std::string> lengthFault(const Sink& sink) {
    if (sink.conflictingLengths) return "conflicting Content-Length headers in the reply";
    if (sink.full() || !sink.declaredLength || sink.pulled == *sink.declaredLength)
        return std::nullopt;
    return "reply body of " + std::to_string(sink.pulled) + " bytes, declared " +
           std::to_string(*sink.declaredLength);
}

std::tm localNow() {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    return t;
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

std::size_t CardClient::downloadFile(std::string_view encodedPath, std::span<std::uint8_t> buffer) {
    Sink sink(buffer);
    Request request(baseUrl() + std::string(encodedPath), sink, progress_, false, connectTimeout_,
                    stallTimeout_);
    request.set(CURLOPT_HTTPGET, 1L);
    // The body is read to the connection's end and measured here, so a reply whose length is
    // not the declared one is caught instead of cut to it.
    request.set(CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
    request.set(CURLOPT_HEADERFUNCTION, &onHeader);
    request.set(CURLOPT_HEADERDATA, static_cast<void*>(&sink));
    request.setHeaders({"Pragma: no-cache", "Cache-Control: no-cache", "Connection: close"});
    // Small reads for small counts: a choice read then pulls little more than it keeps.
    request.set(CURLOPT_BUFFERSIZE,
                std::clamp<long>(static_cast<long>(buffer.size()), 1024, 16384));
    const bool ok = request.perform();
    lastStatus_ = request.status();
    lastPulled_ = sink.pulled;
    const auto fault = ok ? lengthFault(sink) : std::nullopt;
    if (!ok || fault) {
        core::showMessage(prompts_, core::msgCardCommFailed, fault ? *fault : request.errorText());
        return 0;
    }
    return sink.received;
}

std::string CardClient::sendCommand(const std::string& url) {
    std::array<std::uint8_t, commandReplyLimit> reply{};
    Sink sink(reply);
    Request request(url, sink, progress_, false, connectTimeout_, stallTimeout_);
    request.set(CURLOPT_HTTPGET, 1L);
    const bool ok = request.perform();
    lastStatus_ = request.status();
    if (!ok) {
        lastReply_.clear();
        core::showMessage(prompts_, core::msgCardCommFailed, request.errorText());
        return {};
    }
    lastReply_.assign(reinterpret_cast<const char*>(reply.data()), sink.received);
    return lastReply_;
}

bool CardClient::postFile(std::string_view name, std::span<const std::uint8_t> data) {
    const std::string body = postBody(name, data);
    Sink sink({}, true);
    Request request(uploadUrl(), sink, progress_, true, connectTimeout_, stallTimeout_);
    request.set(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
    request.set(CURLOPT_POST, 1L);
    request.set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    request.set(CURLOPT_POSTFIELDS, body.data());
    // The card expects exactly these headers: its content type, and no Accept or Expect.
    request.setHeaders({postContentType.data(), "Accept:", "Expect:"});
    const bool ok = request.perform();
    lastStatus_ = request.status();
    if (!ok) {
        core::showMessage(prompts_, core::msgCardCommFailed, request.errorText());
        return false;
    }
    return true;  // any status: the card has taken the request
}

bool CardClient::uploadFile(const std::optional<std::string>& directory, std::string_view name,
                            std::span<const std::uint8_t> data) {
    const std::tm now = clock_ ? clock_() : localNow();
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
    // The directory goes as it is, raw UTF-8 included; only the bytes a URL cannot carry
    // literally (curl refuses blanks and control bytes, and '#' would end the query) are escaped.
    for (const unsigned char byte : directory.value_or("")) {
        char escaped[4];
        std::snprintf(escaped, sizeof escaped, "%%%02X", unsigned{byte});
        if (byte <= 0x20 || byte == 0x7F || byte == '#')
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
