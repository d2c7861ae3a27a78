// Runs the built card emulator for one test: on a free loopback port, serving a given root
// folder, logging every raw request into a private temporary folder; stopped on destruction.
#pragma once

#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace testing_support {

class CardEmulatorProcess {
public:
    // `faultOptions` are extra emulator flags such as "--stall" or "--status", "500".
    explicit CardEmulatorProcess(std::filesystem::path rootDir,
                                 std::vector<std::string> faultOptions = {}) {
        char dirTemplate[] = "/tmp/vkrandom-card-XXXXXX";
        if (!mkdtemp(dirTemplate)) throw std::runtime_error("mkdtemp failed");
        logDir_ = dirTemplate;
        std::vector<std::string> args = {
            executable().string(), "--root", rootDir.string(), "--port", "0", "--log",
            logPath().string()};
        args.insert(args.end(), faultOptions.begin(), faultOptions.end());
        try {
            start(args);
        } catch (...) {
            stop();
            throw;
        }
    }
    ~CardEmulatorProcess() { stop(); }
    CardEmulatorProcess(const CardEmulatorProcess&) = delete;
    CardEmulatorProcess& operator=(const CardEmulatorProcess&) = delete;

    static std::filesystem::path executable() {
        return std::filesystem::path(VKRANDOM_BIN_DIR) / "vkrandom-card-emulator";
    }

    int port() const { return port_; }
    std::string host() const { return "127.0.0.1:" + std::to_string(port_); }
    std::filesystem::path logPath() const { return logDir_ / "requests.log"; }

    // The log as written: per request "#REQUEST <count>\n", the raw bytes, "\n".
    std::string rawLog() const {
        std::ifstream in(logPath(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // The raw requests received so far, in order.
    std::vector<std::string> requests() const {
        const std::string log = rawLog();
        std::vector<std::string> result;
        std::size_t at = 0;
        const std::string tag = "#REQUEST ";
        while (log.compare(at, tag.size(), tag) == 0) {
            const std::size_t lineEnd = log.find('\n', at);
            if (lineEnd == std::string::npos) break;
            const std::size_t count = std::stoul(log.substr(at + tag.size(), lineEnd - at));
            result.push_back(log.substr(lineEnd + 1, count));
            at = lineEnd + 1 + count + 1;
        }
        return result;
    }

private:
    void stop() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            waitpid(pid_, &status, 0);
            pid_ = -1;
        }
        if (output_ >= 0) close(output_);
        output_ = -1;
        std::error_code ignored;
        std::filesystem::remove_all(logDir_, ignored);
    }

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
        output_ = pipeEnds[0];  // kept open, so the emulator never writes into a closed pipe
        if (spawned != 0) {
            pid_ = -1;
            throw std::runtime_error("cannot start " + args[0]);
        }
        port_ = readPort();
    }

    // The port from the emulator's "listening on 127.0.0.1:PORT" line.
    int readPort() {
        std::string line;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (line.find('\n') == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd entry{output_, POLLIN, 0};
            char chunk[128];
            ssize_t got = 0;
            if (left.count() <= 0 || poll(&entry, 1, static_cast<int>(left.count())) <= 0 ||
                (got = read(output_, chunk, sizeof chunk)) <= 0)
                throw std::runtime_error("card emulator did not start: " + line);
            line.append(chunk, static_cast<std::size_t>(got));
        }
        const std::size_t colon = line.rfind(':', line.find('\n'));
        if (line.rfind("listening on ", 0) != 0 || colon == std::string::npos)
            throw std::runtime_error("unexpected card emulator output: " + line);
        return std::stoi(line.substr(colon + 1));
    }

    std::filesystem::path logDir_;
    pid_t pid_ = -1;
    int output_ = -1;
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
