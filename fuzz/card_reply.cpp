// The card client's handling of whatever a card sends back: a loopback server in this process
// answers every request with the fuzz input as the whole raw reply (status line, headers, body
// or none of them), then closes. Every operation must return, within its buffer, showing only
// the card's failure messages.
#include <fuzzer/FuzzedDataProvider.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/messages.h"
#include "core/prompts.h"
#include "fuzz_check.h"
#include "transfer/card_client.h"

namespace {

class CountingPrompts : public core::Prompts {
  public:
    void showMessage(int id, const std::string&) override {
        FUZZ_CHECK(id == core::msgCardCommFailed || id == core::msgCardUnreachable ||
                   id == core::msgCardUploadFailed);
        ++shown;
    }
    std::optional<std::string> askOpenFile(const core::OpenFileQuestion&) override {
        return std::nullopt;
    }
    bool runSettingsDialog(core::CRandomEditor&) override { return false; }
    void reportFileError(const std::string&) override { std::abort(); }
    int shown = 0;
};

bool waitReadable(int fd, int timeoutMs) {
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, timeoutMs) > 0;
}

// Reads the request head and its Content-Length body, so the reply never races the upload.
void readRequest(int fd) {
    std::string raw;
    std::size_t wanted = std::string::npos;
    char chunk[65536];
    while (raw.size() < wanted && waitReadable(fd, 2000)) {
        const ssize_t got = ::recv(fd, chunk, sizeof chunk, 0);
        if (got <= 0) return;
        raw.append(chunk, static_cast<std::size_t>(got));
        const auto headEnd = raw.find("\r\n\r\n");
        if (wanted == std::string::npos && headEnd != std::string::npos) {
            const auto at = raw.find("Content-Length: ");
            const std::size_t length = at != std::string::npos && at < headEnd
                                           ? std::strtoul(raw.c_str() + at + 16, nullptr, 10)
                                           : 0;
            wanted = headEnd + 4 + length;
        }
    }
}

// Serves the current reply to every connection, one connection at a time.
class RawServer {
  public:
    RawServer() {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        FUZZ_CHECK(listener_ >= 0);
        FUZZ_CHECK(::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
        FUZZ_CHECK(::listen(listener_, 8) == 0);
        FUZZ_CHECK(::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) == 0);
        port_ = ntohs(address.sin_port);
        std::thread([this] { serve(); }).detach();
    }
    int port() const { return port_; }
    void setReply(std::string reply) {
        std::lock_guard lock(mutex_);
        reply_ = std::move(reply);
    }

  private:
    void serve() {
        for (;;) {
            const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            readRequest(fd);
            std::string reply;
            {
                std::lock_guard lock(mutex_);
                reply = reply_;
            }
            std::string_view rest = reply;
            while (!rest.empty()) {
                const ssize_t sent = ::send(fd, rest.data(), rest.size(), MSG_NOSIGNAL);
                if (sent <= 0) break;
                rest.remove_prefix(static_cast<std::size_t>(sent));
            }
            ::shutdown(fd, SHUT_WR);
            char sink[4096];
            while (waitReadable(fd, 500) && ::recv(fd, sink, sizeof sink, 0) > 0) {
            }
            ::close(fd);
        }
    }

    int listener_ = -1;
    int port_ = 0;
    std::mutex mutex_;
    std::string reply_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static RawServer server;
    FuzzedDataProvider input(data, size);
    const auto bufferSize = input.ConsumeIntegralInRange<std::size_t>(0, 200000);
    server.setReply(input.ConsumeRemainingBytesAsString());

    CountingPrompts prompts;
    transfer::CardClient card(prompts, "127.0.0.1:" + std::to_string(server.port()));
    card.setTimeouts(2, 2);

    std::vector<std::uint8_t> buffer(bufferSize);
    const std::size_t received = card.downloadFile("%41%2E%58%4D%4C", buffer);
    FUZZ_CHECK(received <= buffer.size());
    FUZZ_CHECK(prompts.shown <= 1);

    const std::string reply = card.sendCommand(card.uploadUrl() + "?WRITEPROTECT=OFF");
    FUZZ_CHECK(reply.size() <= transfer::commandReplyLimit);
    FUZZ_CHECK(prompts.shown <= 2);

    const std::uint8_t program[] = {'<', 'x', '/', '>'};
    (void)card.uploadFile(std::string("ADDON"), "TEMP.VX4", program);
    FUZZ_CHECK(prompts.shown <= 4);
    return 0;
}
