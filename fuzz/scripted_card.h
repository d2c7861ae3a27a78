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
#include <thread>

class ScriptedCard {
  public:
    ScriptedCard() {
        sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        auto* named = reinterpret_cast<sockaddr*>(&address);
        socklen_t length = sizeof address;
        if (::bind(listener_, named, length) != 0 || ::listen(listener_, 8) != 0 ||
            ::getsockname(listener_, named, &length) != 0)
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
            const int fd = readable(listener_, 50) ? ::accept4(listener_, nullptr, nullptr, 0) : -1;
            if (fd < 0) continue;
            // The head and its Content-Length body, so the reply never races the upload.
            std::string request;
            for (std::size_t wanted = -1; request.size() < wanted && readable(fd, 5000);) {
                const ssize_t got = ::recv(fd, chunk, sizeof chunk, 0);
                if (got <= 0) break;
                request.append(chunk, static_cast<std::size_t>(got));
                const auto end = request.find("\r\n\r\n"), at = request.find("Content-Length: ");
                if (end != std::string::npos)
                    wanted =
                        end + 4 + (at < end ? std::strtoul(&request[at + 16], nullptr, 10) : 0);
            }
            std::unique_lock lock(mutex_);
            const std::string reply = reply_;
            lock.unlock();
            for (std::size_t sent = 0; sent < reply.size();) {
                const ssize_t n = ::send(fd, &reply[sent], reply.size() - sent, MSG_NOSIGNAL);
                if (n <= 0) break;
                sent += static_cast<std::size_t>(n);
            }
            ::shutdown(fd, SHUT_WR);
            while (readable(fd, 1000) && ::recv(fd, chunk, sizeof chunk, 0) > 0) {
            }
            ::close(fd);
        }
    }

    int listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::string reply_;
    std::thread thread_;
};
