// The HTTP transport on libcurl's easy interface: one handle per exchange, every option checked.
// The limits are kept by the shared TransferWatch rather than by curl, so each ends with its own
// kind, as on Windows.
#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>
#include <tuple>

#include "platform/text.h"
#include "transfer/failure_facts.h"
#include "transfer/http_transport.h"
#include "transfer/transfer_watch.h"

namespace transfer {
namespace {

struct EasyCleanup {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct SlistCleanup {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// Everything the callbacks share during one exchange.
struct Exchange {
    Exchange(const HttpRequest& r, HttpReply& into)
        : request(r), reply(into), watch(r.limits, TransferWatch::Clock::now()) {}
    const HttpRequest& request;
    HttpReply& reply;
    CURL* handle = nullptr;
    bool serverCloses = false;
    bool statusLine = false;  // an HTTP status line arrived
    bool bodyEnded = false;   // all declared bytes arrived on a connection kept open
    HttpFailure abortedFor = HttpFailure::none;
    std::string abortDetail;
    // Header bytes count as moving too.
    std::uint64_t headerBytes = 0;
    TransferWatch watch;

    bool full() const { return !request.discardBody && reply.kept == request.destination.size(); }
};

std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto& x = *static_cast<Exchange*>(user);
    auto& reply = x.reply;
    const std::string_view line(data, size * count);
    x.headerBytes += line.size();
    if (x.headerBytes > x.request.limits.maxHeaderBytes) {
        x.abortedFor = HttpFailure::badReply;
        x.abortDetail = facts::headersBeyond(x.request.limits.maxHeaderBytes);
        return 0;
    }
    if (line.rfind("HTTP/", 0) == 0) {  // a new response (after a 100 Continue, say)
        reply.contentLength.reset();
        reply.conflictingLengths = reply.chunked = false;
        x.serverCloses = false;
        x.statusLine = true;
    } else if (noteBodyHeader(line, reply)) {
    } else if (platform::startsWithIgnoringCase(line, "connection:") &&
               line.find("close") != std::string_view::npos) {
        x.serverCloses = true;
    } else if ((line == "\r\n" || line == "\n") && reply.contentLength == 0u &&
               !reply.conflictingLengths && !reply.chunked && !x.serverCloses) {
        x.bodyEnded = true;  // an empty body on a connection kept open: nothing to wait for
        return 0;
    }
    return size * count;
}

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto& x = *static_cast<Exchange*>(user);
    auto& reply = x.reply;
    const std::size_t bytes = size * count;
    reply.received += bytes;
    std::size_t taken = bytes;
    if (!x.request.discardBody) {
        const auto destination = x.request.destination;
        taken = std::min(bytes, destination.size() - reply.kept);
        if (taken > 0) std::memcpy(destination.data() + reply.kept, data, taken);
        reply.kept += taken;
    }
    // A server that keeps the connection open would otherwise be waited for until the stall
    // limit; one that closes it lets the whole reply be measured against its length.
    if (taken == bytes && !x.serverCloses && !reply.chunked && reply.contentLength &&
        reply.received >= *reply.contentLength && reply.received > 0) {
        x.bodyEnded = true;
        return 0;
    }
    // A short count makes curl stop with CURLE_WRITE_ERROR: our own stop at a full buffer.
    return taken;
}

int onProgress(void* user, curl_off_t downTotal, curl_off_t downNow, curl_off_t upTotal,
               curl_off_t upNow) {
    auto& x = *static_cast<Exchange*>(user);
    const bool upload = x.request.method == HttpRequest::Method::post;
    if (x.request.progress) {
        const curl_off_t done = upload ? upNow : downNow;
        curl_off_t expected = upload ? upTotal : downTotal;
        if (!upload && expected <= 0 && x.reply.contentLength)
            expected = static_cast<curl_off_t>(*x.reply.contentLength);
        x.request.progress(static_cast<std::uint64_t>(done), static_cast<std::uint64_t>(expected));
    }
    // A full buffer ends the transfer now rather than at the next socket read.
    if (x.reply.kept > 0 && x.full()) return 1;

    // Connecting has its own limit (curl's); the others count from the moment the request is out.
    const auto now = TransferWatch::Clock::now();
    curl_off_t sending = 0;
    if (curl_easy_getinfo(x.handle, CURLINFO_PRETRANSFER_TIME_T, &sending) == CURLE_OK &&
        sending != 0)
        x.watch.sent(now);
    const auto moved = static_cast<std::uint64_t>(downNow + upNow) + x.headerBytes;
    if (const auto stop = x.watch.check(moved, now)) {
        std::tie(x.abortedFor, x.abortDetail) = *stop;
        return 1;
    }
    return 0;
}

HttpFailure failureOf(CURLcode code) {
    switch (code) {
        case CURLE_OK:
            return HttpFailure::none;
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
            return HttpFailure::resolve;
        case CURLE_COULDNT_CONNECT:
            return HttpFailure::connect;
        case CURLE_OPERATION_TIMEDOUT:
            return HttpFailure::timeout;
        case CURLE_GOT_NOTHING:
            return HttpFailure::noReply;
        case CURLE_PARTIAL_FILE:
        case CURLE_RECV_ERROR:
        case CURLE_SEND_ERROR:
            return HttpFailure::cutShort;
        case CURLE_WEIRD_SERVER_REPLY:
        case CURLE_UNSUPPORTED_PROTOCOL:
        case CURLE_BAD_CONTENT_ENCODING:
        case CURLE_HTTP_RETURNED_ERROR:
            return HttpFailure::badReply;
        case CURLE_OUT_OF_MEMORY:
            return HttpFailure::outOfMemory;
        default:
            return HttpFailure::other;
    }
}

// One easy handle. The first failing setopt is kept and perform() then does nothing.
class Easy {
  public:
    Easy() {
        static std::once_flag globalInit;
        std::call_once(globalInit, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
        handle_.reset(curl_easy_init());
        if (!handle_) code_ = CURLE_FAILED_INIT;
        set(CURLOPT_ERRORBUFFER, error_.data());
    }

    template <typename Value>
    void set(CURLoption option, Value value) {
        if (code_ == CURLE_OK) code_ = curl_easy_setopt(handle_.get(), option, value);
    }

    void setHeaders(const std::vector<std::string>& lines) {
        for (const auto& line : lines) {
            curl_slist* grown = curl_slist_append(headers_.get(), line.c_str());
            if (!grown) {
                if (code_ == CURLE_OK) code_ = CURLE_OUT_OF_MEMORY;
                return;
            }
            (void)headers_.release();
            headers_.reset(grown);
        }
        set(CURLOPT_HTTPHEADER, headers_.get());
    }

    CURLcode perform() {
        if (code_ == CURLE_OK) code_ = curl_easy_perform(handle_.get());
        return code_;
    }

    int status() const {
        long status = 0;
        if (!handle_ ||
            curl_easy_getinfo(handle_.get(), CURLINFO_RESPONSE_CODE, &status) != CURLE_OK)
            return 0;
        return static_cast<int>(status);
    }

    CURL* get() const { return handle_.get(); }

    std::string errorText() const {
        return error_[0] != '\0' ? std::string(error_.data()) : curl_easy_strerror(code_);
    }

  private:
    std::array<char, CURL_ERROR_SIZE> error_{};
    std::unique_ptr<curl_slist, SlistCleanup> headers_;
    std::unique_ptr<CURL, EasyCleanup> handle_;
    CURLcode code_ = CURLE_OK;
};

// The facts of a failure curl reported, as the other transports word them; curl's own sentence
// only where no word names the failure.
std::string detailOf(HttpFailure failure, const Exchange& x, const Easy& easy) {
    const std::string& url = x.request.url;
    switch (failure) {
        case HttpFailure::resolve:
            return facts::host(url);
        case HttpFailure::connect:
            return facts::hostAndPort(url);
        case HttpFailure::timeout:  // only connecting has a limit of curl's
            return facts::hostAndPort(url) + "、接続に " +
                   facts::seconds(x.request.limits.connectSeconds);
        case HttpFailure::noReply:
            return std::string(facts::closedWithoutReply);
        case HttpFailure::cutShort:
            return facts::received(x.reply.received);
        case HttpFailure::badReply:
            return std::string(x.statusLine ? facts::badHeaders : facts::noStatusLine);
        case HttpFailure::outOfMemory:
            return {};
        default:
            return easy.errorText();
    }
}

}  // namespace

HttpReply performHttp(const HttpRequest& request) {
    HttpReply reply;
    Exchange x(request, reply);
    Easy easy;
    x.handle = easy.get();
    easy.set(CURLOPT_URL, request.url.c_str());
    easy.set(CURLOPT_PROTOCOLS_STR, "http");
    easy.set(CURLOPT_USERAGENT, "VKRandom");
    // The card is on the local Wi-Fi: an http_proxy from the environment would only hide it.
    easy.set(CURLOPT_PROXY, "");
    easy.set(CURLOPT_NOSIGNAL, 1L);
    easy.set(CURLOPT_CONNECTTIMEOUT, request.limits.connectSeconds);
    easy.set(CURLOPT_HEADERFUNCTION, &onHeader);
    easy.set(CURLOPT_HEADERDATA, static_cast<void*>(&x));
    easy.set(CURLOPT_WRITEFUNCTION, &onBody);
    easy.set(CURLOPT_WRITEDATA, static_cast<void*>(&x));
    easy.set(CURLOPT_NOPROGRESS, 0L);
    easy.set(CURLOPT_XFERINFOFUNCTION, &onProgress);
    easy.set(CURLOPT_XFERINFODATA, static_cast<void*>(&x));
    // The body is read to the connection's end and measured by us, so a reply whose length is
    // not the declared one is seen instead of cut to it.
    easy.set(CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
    // Small reads for small destinations: a choice read then pulls little more than it keeps.
    if (!request.discardBody)
        easy.set(CURLOPT_BUFFERSIZE,
                 std::clamp<long>(static_cast<long>(request.destination.size()), 1024, 16384));
    // Only the lines asked for, in the order WinInet sends them, so both systems' requests are
    // the same bytes: no Accept, no Expect; a POST's length before its agent.
    std::vector<std::string> headers = {"Accept:"};
    if (request.method == HttpRequest::Method::post) {
        if (request.http10)
            easy.set(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
        easy.set(CURLOPT_POST, 1L);
        easy.set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
        easy.set(CURLOPT_POSTFIELDS, request.body.data());
        headers.insert(headers.end(),
                       {"Expect:", "Content-Length: " + std::to_string(request.body.size()),
                        "User-Agent: VKRandom"});
    } else {
        easy.set(CURLOPT_HTTPGET, 1L);
    }
    headers.insert(headers.end(), request.headers.begin(), request.headers.end());
    easy.setHeaders(headers);

    const CURLcode code = easy.perform();
    reply.status = easy.status();
    const bool ownStop = code == CURLE_WRITE_ERROR || code == CURLE_ABORTED_BY_CALLBACK;
    reply.stoppedFull = ownStop && reply.kept > 0 && x.full();
    reply.chunkedComplete = reply.chunked && code == CURLE_OK;
    if (code == CURLE_OK || (ownStop && (reply.stoppedFull || x.bodyEnded))) return reply;
    if (x.abortedFor != HttpFailure::none) {
        reply.failure = x.abortedFor;
        reply.detail = x.abortDetail;
    } else {
        reply.failure = failureOf(code);
        // Broken off before any byte of a reply: the card closed without answering, as WinInet
        // tells it.
        if (reply.failure == HttpFailure::cutShort && x.headerBytes == 0)
            reply.failure = HttpFailure::noReply;
        reply.detail = detailOf(reply.failure, x, easy);
    }
    return reply;
}

}  // namespace transfer
