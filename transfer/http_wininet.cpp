// The HTTP transport on WinInet. WinInet blocks without a bound on a card that drips bytes, so
// the exchange runs on a worker thread while the calling thread keeps the time limits (and calls
// the progress hook); to give up, it hangs up the connection, which makes every blocked WinInet
// call return.
#include <winsock2.h>
#include <ws2tcpip.h>
// After winsock2.h, which must come before windows.h.
#include <windows.h>
#define PSAPI_VERSION 2  // kernel32's K32GetProcessMemoryInfo
#include <psapi.h>
#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <tuple>

#include "platform/win32/wide.h"
#include "transfer/failure_facts.h"
#include "transfer/http_transport.h"
#include "transfer/transfer_watch.h"

namespace transfer {
namespace {

using platform::win32::toWide;

struct InternetHandle {
    explicit InternetHandle(HINTERNET h = nullptr) : handle(h) {}
    ~InternetHandle() {
        if (handle) ::InternetCloseHandle(handle);
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    HINTERNET handle;
};

struct Target {
    std::string host;
    INTERNET_PORT port = INTERNET_DEFAULT_HTTP_PORT;
    std::string object = "/";
};

// "http://host[:port]/object": the object is kept byte for byte, as the card protocol built it.
std::optional<Target> splitUrl(std::string_view url) {
    constexpr std::string_view scheme = "http://";
    if (!url.starts_with(scheme)) return std::nullopt;
    url.remove_prefix(scheme.size());
    Target target;
    const auto slash = url.find('/');
    std::string_view authority = url.substr(0, slash);
    if (slash != std::string_view::npos) target.object = std::string(url.substr(slash));
    if (const auto colon = authority.rfind(':'); colon != std::string_view::npos) {
        const std::string_view digits = authority.substr(colon + 1);
        unsigned port = 0;
        if (digits.empty() || digits.size() > 5 ||
            digits.find_first_not_of("0123456789") != std::string_view::npos)
            return std::nullopt;
        for (const char c : digits) port = port * 10 + static_cast<unsigned>(c - '0');
        if (port == 0 || port > 65535) return std::nullopt;
        target.port = static_cast<INTERNET_PORT>(port);
        authority = authority.substr(0, colon);
    }
    if (authority.empty()) return std::nullopt;
    target.host = std::string(authority);
    return target;
}

HttpFailure failureOf(DWORD error) {
    switch (error) {
        case ERROR_INTERNET_NAME_NOT_RESOLVED:
            return HttpFailure::resolve;
        case ERROR_INTERNET_CANNOT_CONNECT:
            return HttpFailure::connect;
        case ERROR_INTERNET_TIMEOUT:
            return HttpFailure::timeout;
        case ERROR_INTERNET_CONNECTION_ABORTED:
        case ERROR_INTERNET_CONNECTION_RESET:
            return HttpFailure::cutShort;
        case ERROR_HTTP_INVALID_SERVER_RESPONSE:
        case ERROR_HTTP_HEADER_NOT_FOUND:
            return HttpFailure::badReply;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return HttpFailure::outOfMemory;
        default:
            return HttpFailure::other;
    }
}

// The error number and WinInet's own words for it, else the system's (in the user's language).
std::string errorText(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_FROM_HMODULE;
    const DWORD n = ::FormatMessageW(flags, ::GetModuleHandleW(L"wininet.dll"), error, 0,
                                     reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string out = facts::withError("", error);
    if (n > 0 && text) out += ": " + platform::win32::fromWide(std::wstring_view(text, n));
    if (text) ::LocalFree(text);
    return out;
}

// What the reply's headers declare about its body, from WinInet's copy of the raw headers.
void readDeclarations(HINTERNET request, std::size_t maxHeaderBytes, HttpReply& reply) {
    DWORD status = 0, size = sizeof status;
    if (::HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                         nullptr))
        reply.status = static_cast<int>(status);
    std::wstring raw(4096, L'\0');
    size = static_cast<DWORD>(raw.size() * sizeof(wchar_t));
    if (!::HttpQueryInfoW(request, HTTP_QUERY_RAW_HEADERS_CRLF, raw.data(), &size, nullptr)) {
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return;
        if (size / sizeof(wchar_t) > maxHeaderBytes) {
            reply.failure = HttpFailure::badReply;
            reply.detail = facts::headersBeyond(maxHeaderBytes);
            return;
        }
        raw.resize(size / sizeof(wchar_t) + 1);
        if (!::HttpQueryInfoW(request, HTTP_QUERY_RAW_HEADERS_CRLF, raw.data(), &size, nullptr))
            return;
    }
    raw.resize(size / sizeof(wchar_t));
    std::string headers(raw.begin(), raw.end());  // header names and numbers are ASCII
    // WinInet takes a connection closed without a word for an empty status line, and anything
    // else without a status line for an HTTP/0.9 reply, which it shows as this bare one.
    if (headers.empty() || headers == "\r\n") {
        reply.failure = HttpFailure::noReply;
        reply.detail = facts::closedWithoutReply;
    } else if (!headers.starts_with("HTTP/1.") || headers == "HTTP/1.0 200 OK\r\n\r\n") {
        reply.failure = HttpFailure::badReply;
        reply.detail = facts::noStatusLine;
    }
    if (reply.failure != HttpFailure::none) return;
    std::size_t pos = 0;
    while (pos < headers.size()) {
        const auto end = std::min(headers.find("\r\n", pos), headers.size());
        const std::string_view line(headers.data() + pos, end - pos);
        pos = end + 2;
        noteBodyHeader(line, reply);
    }
}

// One exchange, shared between the worker that performs it and the caller that watches it. It
// owns everything the worker touches: a worker that WinInet keeps blocked after the caller gave
// up is left to finish on its own, and must not write into the caller's buffers by then.
struct Exchange {
    explicit Exchange(const HttpRequest& r)
        : request(r),
          body(r.body.begin(), r.body.end()),
          data(r.discardBody ? 0 : r.destination.size()) {
        request.body = body;
        request.destination = data;
        request.progress = nullptr;
    }
    HttpRequest request;  // the caller's, its spans on the storage below
    std::vector<std::uint8_t> body, data;
    HttpReply reply;
    std::atomic<std::uint64_t> moved{0};  // bytes sent and received so far
    std::atomic<bool> sent{false};        // the request is out; the reply is awaited
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
};

// The facts of a failed WinInet call, worded as on every system, with its error number; the
// system's own text only where no word names the failure.
void fail(HttpReply& reply, DWORD error, std::string_view url) {
    reply.failure = failureOf(error);
    std::string seen;
    switch (reply.failure) {
        case HttpFailure::resolve:
            seen = facts::host(url);
            break;
        case HttpFailure::connect:
        case HttpFailure::timeout:
            seen = facts::hostAndPort(url);
            break;
        case HttpFailure::cutShort:
            seen = facts::received(reply.received);
            break;
        case HttpFailure::badReply:
            seen = facts::badHeaders;
            break;
        case HttpFailure::other:
            reply.detail = errorText(error);
            return;
        default:
            break;
    }
    reply.detail = facts::withError(seen, error);
}

void perform(Exchange& x, HINTERNET session) {
    const HttpRequest& request = x.request;
    HttpReply& reply = x.reply;
    const auto target = splitUrl(request.url);
    if (!target) {
        reply.failure = HttpFailure::other;
        reply.detail = "http の URL でない: " + request.url;
        return;
    }
    InternetHandle connection(::InternetConnectW(session, toWide(target->host).c_str(),
                                                 target->port, nullptr, nullptr,
                                                 INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection.handle) return fail(reply, ::GetLastError(), request.url);
    const bool post = request.method == HttpRequest::Method::post;
    // No cookies, redirects or dialogs; a download is never served from or kept in a cache
    // (a POST never is). Only the header lines asked for go out.
    const DWORD flags = INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTO_REDIRECT |
                        INTERNET_FLAG_NO_UI |
                        (post ? 0 : INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE);
    InternetHandle handle(::HttpOpenRequestW(
        connection.handle, post ? L"POST" : L"GET", toWide(target->object).c_str(),
        request.http10 ? L"HTTP/1.0" : L"HTTP/1.1", nullptr, nullptr, flags, 0));
    if (!handle.handle) return fail(reply, ::GetLastError(), request.url);
    std::string headers;
    for (const auto& line : request.headers) headers += line + "\r\n";
    const std::wstring wideHeaders = toWide(headers);
    const bool ok =
        ::HttpSendRequestW(handle.handle, wideHeaders.empty() ? nullptr : wideHeaders.c_str(),
                           static_cast<DWORD>(wideHeaders.size()),
                           post ? const_cast<std::uint8_t*>(request.body.data()) : nullptr,
                           post ? static_cast<DWORD>(request.body.size()) : 0);
    if (!ok) {
        const DWORD error = ::GetLastError();
        fail(reply, error, request.url);
        // Broken off before any reply came: the card closed without answering.
        if (reply.failure == HttpFailure::cutShort) {
            reply.failure = HttpFailure::noReply;
            reply.detail = facts::withError(facts::closedWithoutReply, error);
        }
        return;
    }
    x.sent = true;
    x.moved += request.body.size();
    readDeclarations(handle.handle, request.limits.maxHeaderBytes, reply);
    if (reply.failure == HttpFailure::none && reply.status == 0) {
        reply.failure = HttpFailure::badReply;
        reply.detail = facts::noStatusLine;
    }
    if (reply.failure != HttpFailure::none) return;

    std::uint8_t scratch[4096];
    for (;;) {
        const bool keep = !request.discardBody;
        const std::size_t room = keep ? request.destination.size() - reply.kept : sizeof scratch;
        if (keep && room == 0) {
            reply.stoppedFull = reply.kept > 0;
            return;
        }
        std::uint8_t* into = keep ? request.destination.data() + reply.kept : scratch;
        // Only what has arrived is read, so a card that drips its bytes shows each one as
        // progress rather than looking stalled until a whole buffer is full.
        DWORD ready = 0;
        if (!::InternetQueryDataAvailable(handle.handle, &ready, 0, 0))
            return fail(reply, ::GetLastError(), request.url);
        if (ready == 0) break;
        const auto want = static_cast<DWORD>(std::min<std::size_t>({room, ready, 1 << 20}));
        DWORD n = 0;
        if (!::InternetReadFile(handle.handle, into, want, &n))
            return fail(reply, ::GetLastError(), request.url);
        if (n == 0) break;
        reply.received += n;
        if (keep) reply.kept += n;
        x.moved += n;
    }
    // WinInet ends a chunked body cut at a chunk's end as if it were complete, so such a body
    // is never taken for a whole file here (chunkedComplete stays false).
}

// Ends the connections of this process to the card. Under Wine, closing a WinInet handle does
// not end the receive a worker is blocked in, and WinInet holds every header line it reads in
// memory; a connection shut down ends it at once. The sockets are WinInet's own, found by their
// peer: shut down, never closed, so WinInet still closes each once.
void hangUp(const Target& target) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    if (::getaddrinfo(target.host.c_str(), nullptr, &hints, &found) != 0) return;
    std::vector<std::uint32_t> addresses;
    for (const addrinfo* a = found; a; a = a->ai_next)
        addresses.push_back(reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr.s_addr);
    ::freeaddrinfo(found);
    for (UINT_PTR handle = 4; handle < 65536; handle += 4) {
        const auto socket = static_cast<SOCKET>(handle);
        int type = 0, length = sizeof type;
        sockaddr_in peer{};
        int peerLength = sizeof peer;
        if (::getsockopt(socket, SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&type), &length) !=
                0 ||
            ::getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &peerLength) != 0 ||
            peer.sin_family != AF_INET || ntohs(peer.sin_port) != target.port)
            continue;
        if (std::find(addresses.begin(), addresses.end(), peer.sin_addr.s_addr) != addresses.end())
            ::shutdown(socket, SD_BOTH);
    }
}

// The memory this process has taken: WinInet shows nothing of a reply until its headers have
// ended, so headers without end show only as the memory they take.
std::uint64_t memoryInUse() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    // The commit charge (Wine counts no PrivateUsage).
    return ::K32GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters)
               ? counters.PagefileUsage
               : 0;
}

}  // namespace

HttpReply performHttp(const HttpRequest& request) {
    // Direct, as on Linux: the card is on the local Wi-Fi, a proxy would only hide it.
    HINTERNET session =
        ::InternetOpenW(L"VKRandom", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    if (!session) {
        HttpReply reply;
        fail(reply, ::GetLastError(), request.url);
        return reply;
    }
    const auto& limits = request.limits;
    DWORD connectMs = static_cast<DWORD>(limits.connectSeconds * 1000);
    DWORD stallMs = static_cast<DWORD>(limits.stallSeconds * 1000);
    ::InternetSetOptionW(session, INTERNET_OPTION_CONNECT_TIMEOUT, &connectMs, sizeof connectMs);
    ::InternetSetOptionW(session, INTERNET_OPTION_SEND_TIMEOUT, &stallMs, sizeof stallMs);
    ::InternetSetOptionW(session, INTERNET_OPTION_RECEIVE_TIMEOUT, &stallMs, sizeof stallMs);

    auto x = std::make_shared<Exchange>(request);
    std::thread worker([x, session] {
        perform(*x, session);
        std::lock_guard lock(x->mutex);
        x->finished = true;
        x->done.notify_all();
    });

    // The limits, watched from here; while the reply's headers are awaited, also what they take.
    TransferWatch watch(limits, TransferWatch::Clock::now());
    std::optional<std::pair<HttpFailure, std::string>> stop;
    const std::uint64_t memoryBefore = memoryInUse();
    constexpr std::uint64_t headerMemory = 16u << 20;
    std::unique_lock lock(x->mutex);
    while (!x->done.wait_for(lock, std::chrono::milliseconds(100), [&] { return x->finished; })) {
        const auto now = TransferWatch::Clock::now();
        const std::uint64_t moved = x->moved;
        if (request.progress) {
            lock.unlock();
            const bool post = request.method == HttpRequest::Method::post;
            request.progress(moved, post ? request.body.size() : request.destination.size());
            lock.lock();
        }
        if (x->sent) watch.sent(now);
        if ((stop = watch.check(moved, now))) break;
        if (!x->sent && memoryInUse() > memoryBefore + headerMemory) {
            stop = {HttpFailure::badReply, "ヘッダーが終わらない"};
            break;
        }
    }
    // A worker still blocked a moment after the hang-up is left behind rather than holding the
    // window.
    lock.unlock();
    if (stop)
        if (const auto target = splitUrl(request.url)) hangUp(*target);
    ::InternetCloseHandle(session);
    lock.lock();
    const bool finished =
        x->done.wait_for(lock, std::chrono::seconds(2), [&] { return x->finished; });
    lock.unlock();
    HttpReply reply;
    if (finished) {
        worker.join();
        reply = std::move(x->reply);
        std::copy_n(x->data.begin(), reply.kept, request.destination.begin());
    } else {
        worker.detach();
    }
    if (stop) {
        std::tie(reply.failure, reply.detail) = *stop;
        reply.stoppedFull = false;
    }
    return reply;
}

}  // namespace transfer
