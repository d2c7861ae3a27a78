// Runs the built card emulator for one test: on a free loopback port, serving a given root
// folder, logging every raw request into a private temporary folder; stopped on destruction.
// Replies can be scripted with its options (vkrandom-card-emulator --help lists them).
#pragma once

#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "support/temp_dir.h"

extern char** environ;

namespace testing_support {

class CardEmulatorProcess {
  public:
    // `faultOptions` are extra emulator flags such as "--stall" or "--reply-to", "post", FILE.
    explicit CardEmulatorProcess(const std::string& rootDir,
                                 const std::vector<std::string>& faultOptions = {}) {
        std::vector<std::string> args = {executable(), "--root",      rootDir,
                                         "--port",     "0",           "--log",
                                         logPath(),    "--port-file", logDir_ / "port"};
        args.insert(args.end(), faultOptions.begin(), faultOptions.end());
        try {
            start(args);
        } catch (...) {
            stop();
            throw;
        }
    }
    ~CardEmulatorProcess() { stop(); }

    static std::string executable() {
        return std::string(VKRANDOM_BIN_DIR) + "/vkrandom-card-emulator";
    }
    std::string host() const { return "127.0.0.1:" + std::to_string(port_); }
    int port() const { return port_; }

    // A raw connection to the emulator whose reads give up after 5 s.
    int connect() const {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port_));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const timeval limit{5, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        return fd;
    }
    // Sends raw `request` bytes on a new connection; what came back until the emulator closed it.
    std::string exchange(const std::string& request) const {
        const int fd = connect();
        send(fd, request.data(), request.size(), MSG_NOSIGNAL);
        std::string reply(1 << 16, '\0');
        reply.resize(std::max<ssize_t>(0, recv(fd, reply.data(), reply.size(), MSG_WAITALL)));
        close(fd);
        return reply;
    }

    // The raw requests received so far, in order; the log holds, per request,
    // "#REQUEST <count>\n", the raw bytes, "\n".
    std::vector<std::string> requests() const {
        const std::string log = readFile(logPath());
        std::vector<std::string> result;
        for (std::size_t at = 0; log.compare(at, 9, "#REQUEST ") == 0;) {
            const std::size_t lineEnd = log.find('\n', at);
            if (lineEnd == std::string::npos) break;
            const std::size_t count = std::stoul(log.substr(at + 9, lineEnd - at));
            result.push_back(log.substr(lineEnd + 1, count));
            at = lineEnd + 1 + count + 1;
        }
        return result;
    }

    // Sends `signal`; an emulator still running 5 s later is killed. True when it exited with
    // status 0 by itself.
    bool stop(int signal = SIGTERM) {
        int status = 0;
        pid_t done = 0;
        if (pid_ > 0) {
            kill(pid_, signal);
            for (int i = 0; i < 500 && (done = waitpid(pid_, &status, WNOHANG)) == 0; ++i)
                usleep(10000);
            if (done == 0) {
                kill(pid_, SIGKILL);
                waitpid(pid_, nullptr, 0);
            }
        }
        if (output_) fclose(output_);
        output_ = nullptr;
        return std::exchange(pid_, -1) == done && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

  private:
    std::string logPath() const { return logDir_ / "requests.log"; }

    void start(const std::vector<std::string>& args) {
        int pipeEnds[2];
        if (pipe(pipeEnds) != 0) throw std::runtime_error("pipe failed");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
        std::vector<char*> argv;
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        const int spawned = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(pipeEnds[1]);
        // Kept open, so the emulator never writes into a closed pipe.
        output_ = fdopen(pipeEnds[0], "r");
        if (spawned != 0) {
            pid_ = -1;
            throw std::runtime_error("cannot start " + args[0]);
        }
        // An emulator that fails to start exits, which ends this read. Anything but a loopback
        // address would expose the test's folder to the network.
        char line[128] = "";
        if (!fgets(line, sizeof line, output_) ||
            std::sscanf(line, "listening on 127.0.0.1:%d", &port_) != 1)
            throw std::runtime_error(std::string("card emulator did not start: ") + line);
        if (readFile(logDir_ / "port") != std::to_string(port_) + "\n")
            throw std::runtime_error("card emulator wrote no port file");
    }

    TempDir logDir_;
    pid_t pid_ = -1;
    FILE* output_ = nullptr;
    int port_ = 0;
};

// A loopback port with nothing listening on it: connecting there is refused.
inline int unusedLoopbackPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

}  // namespace testing_support
