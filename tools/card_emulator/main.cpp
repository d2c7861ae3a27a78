// vkrandom-card-emulator: serves a folder the way the FlashAir card serves its SD card, on
// loopback by default, one connection at a time. Fault options make it misbehave for tests.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>

#include "emulator.h"

namespace {

using namespace emulator;

constexpr int stallLimitMs = 30000;

struct Options {
    std::filesystem::path root;
    int port = 8080;
    std::string bind = "127.0.0.1";
    std::string log;
    Faults faults;
};

constexpr const char* usage =
    "usage: vkrandom-card-emulator --root DIR [--port N] [--bind ADDR] [--log FILE]\n"
    "         [--command-reply TEXT] [--status CODE] [--truncate N] [--stall]\n"
    "         [--reply-override FILE]\n"
    "Serves DIR like a FlashAir card over HTTP. --port 0 picks a free port; the chosen address\n"
    "is printed as \"listening on ADDR:PORT\". --log appends every raw request to FILE.\n";

std::optional<Options> parseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        if (flag == "--stall") {
            options.faults.stall = true;
            continue;
        }
        if (i + 1 >= argc) return std::nullopt;
        const std::string value = argv[++i];
        if (flag == "--root")
            options.root = value;
        else if (flag == "--port")
            options.port = std::atoi(value.c_str());
        else if (flag == "--bind")
            options.bind = value;
        else if (flag == "--log")
            options.log = value;
        else if (flag == "--command-reply")
            options.faults.commandReply = value;
        else if (flag == "--status")
            options.faults.postStatus = std::atoi(value.c_str());
        else if (flag == "--truncate")
            options.faults.truncate = std::strtoull(value.c_str(), nullptr, 10);
        else if (flag == "--reply-override") {
            std::ifstream in(value, std::ios::binary);
            if (!in) return std::nullopt;
            options.faults.replyOverride.emplace(std::istreambuf_iterator<char>(in),
                                                 std::istreambuf_iterator<char>());
        } else
            return std::nullopt;
    }
    if (options.root.empty() || !std::filesystem::is_directory(options.root)) return std::nullopt;
    return options;
}

int listenOn(const Options& options, int& port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(options.port));
    if (inet_pton(AF_INET, options.bind.c_str(), &address.sin_addr) != 1) return -1;
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int yes = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    socklen_t length = sizeof address;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd, 16) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (fd >= 0) close(fd);
        return -1;
    }
    port = ntohs(address.sin_port);
    return fd;
}

// One record per request: "#REQUEST <byte count>\n", the raw bytes, "\n".
void logRequest(const std::string& path, const std::string& raw) {
    if (path.empty()) return;
    const std::string record = "#REQUEST " + std::to_string(raw.size()) + "\n" + raw + "\n";
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    [[maybe_unused]] const ssize_t written = write(fd, record.data(), record.size());
    close(fd);
}

// After our reply: let the client read it to the end before the socket goes away.
void finish(int fd) {
    shutdown(fd, SHUT_WR);
    char sink[4096];
    while (waitReadable(fd, 1000) && recv(fd, sink, sizeof sink, 0) > 0) {
    }
    close(fd);
}

void serve(int fd, Card& card, const Options& options) {
    const Request request = readRequest(fd);
    logRequest(options.log, request.raw);
    if (options.faults.stall) {
        // Silent until the client gives up; after 30 s the line drops, so a client without
        // time-outs fails visibly instead of hanging its test.
        char sink[4096];
        while (waitReadable(fd, stallLimitMs) && recv(fd, sink, sizeof sink, 0) > 0) {
        }
        close(fd);
        return;
    }
    if (options.faults.replyOverride)
        sendAll(fd, *options.faults.replyOverride);
    else
        sendResponse(fd, card.handle(request));
    finish(fd);
}

extern "C" void onStop(int) {
    stopRequested = 1;
}

}  // namespace

int main(int argc, char** argv) {
    const auto options = parseOptions(argc, argv);
    if (!options) {
        std::cerr << usage;
        return 2;
    }
    // SIGTERM and SIGINT are only let in while waiting, so a stop is seen between requests.
    struct sigaction action {};
    action.sa_handler = onStop;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGTERM);
    sigaddset(&blocked, SIGINT);
    sigprocmask(SIG_BLOCK, &blocked, nullptr);

    int port = 0;
    const int listener = listenOn(*options, port);
    if (listener < 0) {
        std::cerr << "vkrandom-card-emulator: cannot listen on " << options->bind << ":"
                  << options->port << ": " << std::strerror(errno) << "\n";
        return 1;
    }
    std::cout << "listening on " << options->bind << ":" << port << std::endl;

    Card card(options->root, options->faults);
    while (!stopRequested) {
        if (!waitReadable(listener, -1)) continue;
        const int client = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client >= 0) serve(client, card, *options);
    }
    close(listener);
    return 0;
}
