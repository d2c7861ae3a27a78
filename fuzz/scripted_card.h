// A card on a loopback port, in a thread of its own, that answers every request with the same
// raw bytes (status line, headers, body, or none of them) and then closes the connection.
#pragma once

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

class ScriptedCard {
  public:
    ScriptedCard() {
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

    std::string host() const { return "127.0.0.1:" + std::to_string(port_); }
    void setReply(std::string reply) {
        std::lock_guard lock(mutex_);
        reply_ = std::move(reply);
    }

  private:
    static bool readable(int fd, int timeoutMs) {
        pollfd entry{fd, POLLIN, 0};
        return ::poll(&entry, 1, timeoutMs) > 0;
    }

    void serve() {
        char chunk[65536];
        while (!stop_) {
            if (!readable(listener_, 50)) continue;
            const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            // The head and its Content-Length body, so the reply never races the upload.
            std::string request;
            for (std::size_t wanted = std::string::npos; request.size() < wanted && readable(fd, 5000);) {
                const ssize_t got = ::recv(fd, chunk, sizeof chunk, 0);
                if (got <= 0) break;
                request.append(chunk, static_cast<std::size_t>(got));
                const auto headEnd = request.find("\r\n\r\n");
                if (wanted == std::string::npos && headEnd != std::string::npos) {
                    const auto at = request.find("Content-Length: ");
                    wanted = headEnd + 4 + (at < headEnd ? std::strtoul(request.c_str() + at + 16, nullptr, 10) : 0);
                }
            }
            std::string reply;
            {
                std::lock_guard lock(mutex_);
                reply = reply_;
            }
            for (std::string_view rest = reply; !rest.empty();) {
                const ssize_t sent = ::send(fd, rest.data(), rest.size(), MSG_NOSIGNAL);
                if (sent <= 0) break;
                rest.remove_prefix(static_cast<std::size_t>(sent));
            }
            ::shutdown(fd, SHUT_WR);
            while (readable(fd, 1000) && ::recv(fd, chunk, sizeof chunk, 0) > 0) {
            }
            ::close(fd);
        }
    }

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::string reply_;
    std::thread thread_;
};
