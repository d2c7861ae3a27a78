// vkrandom-card-emulator: serves a folder the way the FlashAir card serves its SD card, on
// loopback by default. Each connection is served in a thread of its own under its own time
// limits, so a slow client holds up no one else; a stop ends them all at once.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <limits>
#include <thread>

#include "emulator.h"

namespace {

using namespace emulator;
using std::chrono::milliseconds;

constexpr auto requestLimit = std::chrono::seconds(30);  // to receive one whole request
constexpr auto sendLimit = std::chrono::seconds(60);     // to send one reply (drips aside)
constexpr int maxConnections = 32;                       // more wait in the listen queue

// The socket listening on the options' address, or -1 and the reason.
int listenOn(const Options& options, int& port, std::string& error) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(options.port));
    inet_pton(AF_INET, options.bind.c_str(), &address.sin_addr);
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int yes = 1;
    socklen_t length = sizeof address;
    if (fd < 0 || setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes) != 0 ||
        bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd, 64) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        error = std::strerror(errno);
        if (fd >= 0) close(fd);
        return -1;
    }
    port = ntohs(address.sin_port);
    return fd;
}

// Written under another name and renamed, so a reader never sees half of it.
bool writePortFile(const std::string& path, int port) {
    const std::string partial = path + ".partial";
    FILE* file = std::fopen(partial.c_str(), "w");
    if (!file) return false;
    const bool written = std::fprintf(file, "%d\n", port) > 0;
    return std::fclose(file) == 0 && written && std::rename(partial.c_str(), path.c_str()) == 0;
}

// Reads and drops what the client still sends, until it closes, is silent for `idleMs` or
// `totalMs` passed.
void drain(int fd, int idleMs, int totalMs) {
    const auto deadline = Clock::now() + milliseconds(totalMs);
    char sink[4096];
    while (Clock::now() < deadline && waitFor(fd, POLLIN, idleMs) &&
           recv(fd, sink, sizeof sink, MSG_DONTWAIT) > 0) {
    }
}

// A status line, then header lines and never the blank line that ends them, for a client that
// should cap what it holds. 8 KiB every 10 ms keeps this thread nearly idle; it ends when a send
// fails (the client closed, or read nothing for the idle limit) or on a stop.
void flood(int fd) {
    std::string lines;
    while (lines.size() < 8192) lines += "X-Flood: " + std::string(53, 'x') + "\r\n";
    if (!sendAll(fd, "HTTP/1.1 200 OK\r\n", Clock::now() + sendLimit)) return;
    while (sendAll(fd, lines, Clock::now() + sendLimit) && sleepFor(10)) {
    }
}

class Server {
  public:
    explicit Server(const Options& options)
        : options_(options), card_(options.root, options.faults), parent_(getppid()) {}

    // Accepts until a stop, then waits a moment for the connections to notice it.
    void run(int listener) {
        const bool watching = !options_.stopFile.empty() || options_.exitWithParent;
        while (!stopping()) {
            if (watching) watch();
            std::unique_lock lock(mutex_);
            if (active_ >= maxConnections) {
                ended_.wait_for(lock, milliseconds(50));
                continue;
            }
            lock.unlock();
            if (!waitFor(listener, POLLIN, watching ? 100 : 60000)) continue;
            const int client = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0) start(client);
        }
        std::unique_lock lock(mutex_);
        ended_.wait_for(lock, milliseconds(500), [this] { return active_ == 0; });
    }
    bool idle() {
        std::lock_guard lock(mutex_);
        return active_ == 0;
    }

  private:
    // The stops asked for without a signal: a process under Wine cannot send one to this
    // Linux process, and a test killed on a time-out never sends one.
    void watch() const {
        if ((options_.exitWithParent && getppid() != parent_) ||
            (!options_.stopFile.empty() && access(options_.stopFile.c_str(), F_OK) == 0))
            requestStop();
    }

    void start(int client) {
        std::lock_guard lock(mutex_);
        try {
            std::thread([this, client] {
                serve(client);
                std::lock_guard done(mutex_);
                --active_;
                ended_.notify_all();
            }).detach();
            ++active_;
        } catch (const std::system_error&) {
            close(client);
        }
    }

    void serve(int fd) {
        const Request request = readRequest(fd, Clock::now() + requestLimit);
        const Scripted* script = options_.faults.scriptFor(request, logRequest(request.raw));
        if (script && script->stall) {
            // Silent until the client gives up or the emulator stops: a client that keeps no time
            // limit of its own hangs its test, which its time-out then fails.
            constexpr int forever = std::numeric_limits<int>::max();
            drain(fd, forever, forever);
        } else if (script && script->flood) {
            flood(fd);
        } else if (!stopping()) {
            const std::string reply = script ? script->reply : render(card_.handle(request));
            if (sendAll(fd, reply, Clock::now() + sendLimit, options_.faults.dripMs)) {
                // Let the client read the reply to the end before the socket goes away.
                shutdown(fd, SHUT_WR);
                drain(fd, 1000, 5000);
            }
        }
        close(fd);
    }

    // One record per request: "#REQUEST <byte count>\n", the raw bytes, "\n". Returns the
    // request's number, counted from 1 in the order of the log.
    std::uint64_t logRequest(const std::string& raw) {
        std::lock_guard lock(logMutex_);
        if (!options_.log.empty()) {
            const std::string record = "#REQUEST " + std::to_string(raw.size()) + "\n" + raw + "\n";
            const int fd = open(options_.log.c_str(),
                                O_WRONLY | O_CREAT | O_APPEND | O_NONBLOCK | O_CLOEXEC, 0644);
            if (fd >= 0) {
                [[maybe_unused]] const ssize_t written = write(fd, record.data(), record.size());
                close(fd);
            }
        }
        return ++requests_;
    }

    const Options& options_;
    Card card_;
    std::mutex mutex_, logMutex_;
    std::condition_variable ended_;
    int active_ = 0;
    std::uint64_t requests_ = 0;
    const pid_t parent_;
};

extern "C" void onStop(int) {
    requestStop();
}

}  // namespace

int main(int argc, char** argv) {
    const ParsedOptions parsed = parseOptions(argc, argv);
    if (!parsed.options) {
        if (parsed.error.empty()) {
            std::cout << usageText;
            return 0;
        }
        std::cerr << "vkrandom-card-emulator: " << parsed.error << "\n" << usageText;
        return 2;
    }
    const Options& options = *parsed.options;
    initStop();
    struct sigaction action {};
    action.sa_handler = onStop;
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    int port = 0;
    std::string error;
    const int listener = listenOn(options, port, error);
    if (listener < 0) {
        std::cerr << "vkrandom-card-emulator: cannot listen on " << options.bind << ":"
                  << options.port << ": " << error << "\n";
        return 1;
    }
    if (!options.portFile.empty() && !writePortFile(options.portFile, port)) {
        std::cerr << "vkrandom-card-emulator: cannot write " << options.portFile << ": "
                  << std::strerror(errno) << "\n";
        return 1;
    }
    std::cout << "listening on " << options.bind << ":" << port << std::endl;

    Server server(options);
    server.run(listener);
    close(listener);
    // Gone with the listener, so a caller that cannot wait for this process sees it has ended.
    if (!options.portFile.empty()) std::remove(options.portFile.c_str());
    // A connection still busy after the stop is not waited for.
    if (!server.idle()) std::_Exit(0);
    return 0;
}
