// Runs the built card emulator for one test: on a free loopback port, serving a given root
// folder, logging every raw request into a private temporary folder; stopped on destruction.
// Replies can be scripted with its options (vkrandom-card-emulator --help lists them). It is
// started through the shell on both systems, its output going to a file and its port to a port
// file, so that it holds none of the test's own output pipes (Wine hands a Linux process no
// Windows handles); its process id stays in the test's folder, for a caller to end one left
// behind.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

namespace testing_support {

class CardEmulatorProcess {
  public:
    // `faultOptions` are extra emulator flags such as "--stall" or "--reply-to", "post", FILE.
    explicit CardEmulatorProcess(const std::string& rootDir,
                                 const std::vector<std::string>& faultOptions = {}) {
        std::vector<std::string> args = {"--root", rootDir, "--port",
                                         "0",      "--log", file("requests.log")};
        args.insert(args.end(), {"--port-file", file("port"), "--stop-file", file("stop")});
        args.insert(args.begin(),
                    {"/bin/sh", "-c",
                     "echo $$ >\"$1\"; out=$2; shift 2; exec \"$@\" </dev/null >\"$out\" 2>&1",
                     "sh", file("emulator.pid"), file("output.txt"), executable()});
#ifndef _WIN32
        // A test killed on a time-out takes its emulator with it. Not under Wine: there the
        // parent the emulator sees at its start can be Wine's launcher, which ends soon after and
        // so stopped the emulator in mid-test under load (message 119: cannot connect, reset,
        // closed without a reply); there the stop file and emulator.pid end it.
        args.push_back("--exit-with-parent");
#endif
        args.insert(args.end(), faultOptions.begin(), faultOptions.end());
        spawn(args);
        // An emulator that cannot start exits at once and never writes its port. Anything but a
        // loopback address would expose the test's folder to the network.
        for (int waited = 0; port_ == 0 && waited < 1000; ++waited) {
            std::sscanf(readFile(dir_ / "output.txt").c_str(), "listening on 127.0.0.1:%d", &port_);
            if (port_ == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (port_ == 0 || readFile(dir_ / "port") != std::to_string(port_) + "\n") {
            stop();
            throw std::runtime_error("card emulator did not start: " +
                                     readFile(dir_ / "output.txt"));
        }
    }
    ~CardEmulatorProcess() {
        stop();
    }
    CardEmulatorProcess(const CardEmulatorProcess&) = delete;
    CardEmulatorProcess& operator=(const CardEmulatorProcess&) = delete;

    static std::string executable() {
#ifdef _WIN32
        return VKRANDOM_LINUX_BIN_DIR "/vkrandom-card-emulator";
#else
        return VKRANDOM_BIN_DIR "/vkrandom-card-emulator";
#endif
    }
    std::string host() const {
        return "127.0.0.1:" + std::to_string(port_);
    }

    // The raw requests received so far, in order; the log holds, per request,
    // "#REQUEST <count>\n", the raw bytes, "\n".
    std::vector<std::string> requests() const {
        const std::string log = readFile(dir_ / "requests.log");
        std::vector<std::string> result;
        for (std::size_t at = 0, end; log.compare(at, 9, "#REQUEST ") == 0;) {
            if ((end = log.find('\n', at)) == std::string::npos) break;
            const std::size_t count = std::stoul(log.substr(at + 9, end - at));
            result.push_back(log.substr(end + 1, count));
            at = end + 1 + count + 1;
        }
        return result;
    }

  private:
    std::string file(const std::string& name) const {
        return dir_ / name;
    }
#ifdef _WIN32
    // Under Wine the emulator is a Linux process that Windows calls neither end nor wait for:
    // it is asked to stop by its stop file and has ended once its port file is gone.
    void stop() {
        if (!std::exchange(started_, false)) return;
        writeFile(dir_ / "stop", "");
        for (int i = 0; i < 500 && std::filesystem::exists(dir_ / "port"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    void spawn(const std::vector<std::string>& args) {
        std::string line = "Z:" + args[0];
        for (std::size_t i = 1; i < args.size(); ++i) line += " \"" + unixPath(args[i]) + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                            nullptr, nullptr, &startup, &info))
            throw std::runtime_error("cannot start " + line);
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
        started_ = true;
    }
    // The Unix path of a Windows path, as Wine maps it; other arguments as they are.
    static std::string unixPath(const std::string& arg) {
        using ToUnix = char*(CDECL*)(const wchar_t*);
        static const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
        char* unix = toUnix && arg.size() > 2 && arg[1] == ':'
                         ? toUnix(std::filesystem::path(arg).wstring().c_str())
                         : nullptr;
        if (!unix) return arg;
        const std::string result = unix;
        HeapFree(GetProcessHeap(), 0, unix);
        return result;
    }
    bool started_ = false;
#else
    // Killed: its log, all a test reads of it, is written as each request comes.
    void stop() {
        if (pid_ > 0) kill(pid_, SIGKILL), waitpid(std::exchange(pid_, -1), nullptr, 0);
    }
    void spawn(const std::vector<std::string>& args) {
        std::vector<char*> argv;
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
            throw std::runtime_error("cannot start " + args[0]);
    }
    pid_t pid_ = -1;
#endif
    TempDir dir_;
    int port_ = 0;
};

}  // namespace testing_support
