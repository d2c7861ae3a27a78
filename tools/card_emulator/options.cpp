// The emulator's command line: where it serves from and listens, and the faults it plays.
#include <arpa/inet.h>

#include <charconv>
#include <fstream>
#include <iterator>

#include "emulator.h"

namespace emulator {

const char* const usageText =
    "usage: vkrandom-card-emulator --root DIR [OPTION...]\n"
    "Serves the regular files below DIR like a FlashAir card over HTTP. An upload's POST is\n"
    "answered 200, with the body SUCCESS when the file was stored, ERROR when not. Each\n"
    "connection has its own time limits; SIGINT or SIGTERM stops the emulator at once.\n"
    "  --root DIR           the card's contents (required)\n"
    "  --port N             TCP port, 0 to 65535 (default 8080; 0 picks a free one); the\n"
    "                       address is printed as \"listening on ADDR:PORT\"\n"
    "  --port-file PATH     write the port, once listening, into PATH; removed on exit\n"
    "  --stop-file PATH     stop as soon as PATH exists (for callers that cannot signal)\n"
    "  --exit-with-parent   stop when the process that started the emulator ends\n"
    "  --bind ADDR          IPv4 address to listen on (default 127.0.0.1)\n"
    "  --log FILE           append every raw request to FILE as \"#REQUEST <bytes>\\n\",\n"
    "                       the bytes, \"\\n\"\n"
    "Faults, for tests of a client's failure handling:\n"
    "  --command-reply TEXT answer upload.cgi commands with TEXT instead of SUCCESS\n"
    "  --status CODE        answer uploads with status CODE (100-599) and store nothing\n"
    "  --post-error         answer every upload's POST 200 ERROR and store nothing\n"
    "  --post-store-nothing answer every upload's POST 200 SUCCESS and store nothing\n"
    "  --post-store-other   answer every upload's POST 200 SUCCESS, but store the file with\n"
    "                       the lowest bit of its middle byte (at offset length / 2) flipped;\n"
    "                       an empty file is stored as the single byte 0x01\n"
    "  --updir-literal      take UPDIR as the card does: its command answers SUCCESS\n"
    "                       whatever the folder, and the POST that follows makes a missing\n"
    "                       folder when its parent exists, else answers ERROR and stores\n"
    "                       nothing (without this: a missing folder fails the POST, one\n"
    "                       outside the root fails the command)\n"
    "  --truncate N         close each download after N bytes of its body\n"
    "  --drip-ms N          send every reply one byte every N milliseconds\n"
    "  --reply-file FILE    answer every request with the raw bytes of FILE (an empty FILE\n"
    "                       closes the connection without a reply); also --reply-override\n"
    "  --reply-to WHAT FILE the same for the requests WHAT: download (a GET of a file),\n"
    "                       command (GET upload.cgi), post (POST upload.cgi) or a number N\n"
    "                       (the Nth request since start, from 1)\n"
    "  --stall              read each request, then never answer (until the emulator stops)\n"
    "  --stall-on WHAT      the same for the requests WHAT only\n"
    "  --header-flood [WHAT]\n"
    "                       answer every request, or the requests WHAT only, with a status\n"
    "                       line and then header lines without end (8 KiB every 10 ms), never\n"
    "                       the blank line, until the client closes or stops reading for 10 s\n"
    "A script for a request number wins over one for its kind, which wins over one for all.\n";

namespace {

std::optional<long long> number(const std::string& text, long long low, long long high) {
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return std::nullopt;
    return value;
}

bool validWhat(const std::string& what) {
    return what == "download" || what == "command" || what == "post" ||
           number(what, 1, 1LL << 62).has_value();
}

std::optional<std::string> fileBytes(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

const std::map<std::string, Faults::Post> postFaults = {
    {"--post-error", Faults::Post::error},
    {"--post-store-nothing", Faults::Post::storeNothing},
    {"--post-store-other", Faults::Post::storeOther}};

// Takes one option and its values from argv[i...]; "" when accepted, else why not.
std::string takeOption(int argc, char** argv, int& i, Options& options) {
    const std::string flag = argv[i];
    Faults& faults = options.faults;
    if (flag == "--exit-with-parent") {
        options.exitWithParent = true;
        return {};
    }
    if (const auto post = postFaults.find(flag); post != postFaults.end()) {
        faults.post = post->second;
        return {};
    }
    if (flag == "--updir-literal") {
        faults.updirLiteral = true;
        return {};
    }
    if (flag == "--header-flood") {  // its WHAT may be left out
        const bool what = i + 1 < argc && validWhat(argv[i + 1]);
        faults.scripts[what ? argv[++i] : "*"] = Scripted{false, {}, true};
        return {};
    }
    if (flag == "--stall") {
        faults.scripts["*"] = Scripted{true, {}};
        return {};
    }
    const int values = flag == "--reply-to" ? 2 : 1;
    if (i + values >= argc) return flag + " needs a value";
    const std::string value = argv[++i];
    const std::string second = values == 2 ? argv[++i] : "";
    if (flag == "--root") {
        options.root = value;
    } else if (flag == "--port") {
        const auto port = number(value, 0, 65535);
        if (!port) return "--port must be a number from 0 to 65535, not \"" + value + "\"";
        options.port = static_cast<int>(*port);
    } else if (flag == "--port-file") {
        options.portFile = value;
    } else if (flag == "--stop-file") {
        options.stopFile = value;
    } else if (flag == "--bind") {
        in_addr address{};
        if (inet_pton(AF_INET, value.c_str(), &address) != 1)
            return "--bind must be an IPv4 address such as 127.0.0.1, not \"" + value + "\"";
        options.bind = value;
    } else if (flag == "--log") {
        options.log = value;
    } else if (flag == "--command-reply") {
        faults.commandReply = value;
    } else if (flag == "--status") {
        const auto status = number(value, 100, 599);
        if (!status) return "--status must be an HTTP status from 100 to 599";
        faults.postStatus = static_cast<int>(*status);
    } else if (flag == "--truncate") {
        const auto bytes = number(value, 0, 1LL << 40);
        if (!bytes) return "--truncate must be a byte count";
        faults.truncate = static_cast<std::size_t>(*bytes);
    } else if (flag == "--drip-ms") {
        const auto ms = number(value, 1, 3600000);
        if (!ms) return "--drip-ms must be a number of milliseconds from 1 to 3600000";
        faults.dripMs = static_cast<int>(*ms);
    } else if (flag == "--stall-on") {
        if (!validWhat(value)) return "--stall-on takes download, command, post or a number";
        faults.scripts[value] = Scripted{true, {}};
    } else if (flag == "--reply-file" || flag == "--reply-override" || flag == "--reply-to") {
        const std::string& what = values == 2 ? value : "*";
        const std::string& path = values == 2 ? second : value;
        if (values == 2 && !validWhat(what))
            return "--reply-to takes download, command, post or a number";
        const auto bytes = fileBytes(path);
        if (!bytes) return "cannot read the reply file \"" + path + "\"";
        faults.scripts[what] = Scripted{false, *bytes};
    } else {
        return "unknown option \"" + flag + "\"";
    }
    return {};
}

}  // namespace

ParsedOptions parseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--help") return {};
        if (std::string error = takeOption(argc, argv, i, options); !error.empty())
            return {std::nullopt, error};
    }
    std::error_code error;
    if (options.root.empty()) return {std::nullopt, "--root is required"};
    if (!std::filesystem::is_directory(options.root, error))
        return {std::nullopt, "--root " + options.root.string() + " is not a folder"};
    return {options, {}};
}

}  // namespace emulator
