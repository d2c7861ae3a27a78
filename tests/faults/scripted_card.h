// A card that answers each request with whatever its script returns: raw reply bytes, or a close
// without any reply. Serves one connection at a time on a loopback port, in a thread of its own,
// and keeps every request. Shared by the fault tests and the card-reply fuzz target.
#pragma once

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace testing_support {

class ScriptedCard {
  public:
    // The reply to one raw request; nullopt closes the connection without a reply.
    using Script = std::function<std::optional<std::string>(const std::string& request)>;

    explicit ScriptedCard(Script script) : script_(std::move(script)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener_, 8) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            std::abort();
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~ScriptedCard() {
        stop_ = true;
        thread_.join();
        ::close(listener_);
    }
    ScriptedCard(const ScriptedCard&) = delete;
    ScriptedCard& operator=(const ScriptedCard&) = delete;

    std::string host() const { return "127.0.0.1:" + std::to_string(port_); }
    // Sends each reply one byte per `pause`, as a card on a failing link would.
    void drip(std::chrono::milliseconds pause) { drip_ = pause; }
    // The raw requests received since the last call, in order.
    std::vector<std::string> takeRequests() {
        std::lock_guard lock(mutex_);
        return std::exchange(requests_, {});
    }

  private:
    static bool readable(int fd, int timeoutMs) {
        pollfd entry{fd, POLLIN, 0};
        return ::poll(&entry, 1, timeoutMs) > 0;
    }

    // The head and its Content-Length body, so a reply never races the upload; the request as
    // far as it arrived.
    static std::string readRequest(int fd) {
        std::string raw;
        std::size_t wanted = std::string::npos;
        char chunk[65536];
        while (raw.size() < wanted && readable(fd, 5000)) {
            const ssize_t got = ::recv(fd, chunk, sizeof chunk, 0);
            if (got <= 0) break;
            raw.append(chunk, static_cast<std::size_t>(got));
            const auto headEnd = raw.find("\r\n\r\n");
            if (wanted == std::string::npos && headEnd != std::string::npos) {
                const auto at = raw.find("Content-Length: ");
                wanted = headEnd + 4 +
                         (at < headEnd ? std::strtoul(raw.c_str() + at + 16, nullptr, 10) : 0);
            }
        }
        return raw;
    }

    void serve() {
        while (!stop_) {
            if (!readable(listener_, 50)) continue;
            const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            const std::string request = readRequest(fd);
            {
                std::lock_guard lock(mutex_);
                requests_.push_back(request);
            }
            if (const auto reply = script_(request)) {
                std::string_view rest = *reply;
                const std::chrono::milliseconds pause = drip_;
                while (!rest.empty() && !stop_) {
                    const std::size_t piece = pause.count() > 0 ? 1 : rest.size();
                    const ssize_t sent = ::send(fd, rest.data(), piece, MSG_NOSIGNAL);
                    if (sent <= 0) break;
                    rest.remove_prefix(static_cast<std::size_t>(sent));
                    std::this_thread::sleep_for(pause);
                }
                ::shutdown(fd, SHUT_WR);
                char sink[4096];
                while (readable(fd, 1000) && ::recv(fd, sink, sizeof sink, 0) > 0) {
                }
            }
            ::close(fd);
        }
    }

    Script script_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<std::chrono::milliseconds> drip_{};
    std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

}  // namespace testing_support
