// The card behind the emulator's socket: files below the root folder found as FAT finds them
// (any letter case, '/' or '\' between levels), and upload.cgi with its command and its POST.
// Only regular files below the root are read or written, whatever links lead elsewhere.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <ctime>
#include <system_error>

#include "emulator.h"
#include "platform/text.h"

namespace emulator {
namespace fs = std::filesystem;
using platform::asciiLowered;

namespace {

// The levels of a card path; nullopt when one of them would climb out of the root.
std::optional<std::vector<std::string>> components(std::string_view path) {
    std::vector<std::string> parts;
    std::string part;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/' && path[i] != '\\') {
            part += path[i];
            continue;
        }
        // A NUL would end the name early at every system call: never a different, shorter name.
        if (part == ".." || part.find('\0') != std::string::npos) return std::nullopt;
        if (!part.empty() && part != ".") parts.push_back(part);
        part.clear();
    }
    return parts;
}

// `name` inside `dir`: the exact name, else the first entry that differs only in letter case.
std::optional<fs::path> findEntry(const fs::path& dir, const std::string& name) {
    std::error_code error;
    if (fs::exists(fs::symlink_status(dir / name, error))) return dir / name;
    const std::string wanted = asciiLowered(name);
    for (const auto& entry : fs::directory_iterator(dir, error))
        if (asciiLowered(entry.path().filename().string()) == wanted) return entry.path();
    return std::nullopt;
}

bool inside(const fs::path& root, const fs::path& path) {
    const auto [end, at] = std::mismatch(root.begin(), root.end(), path.begin(), path.end());
    return end == root.end();
}

// The file or folder a card path names, links resolved; nullopt when it leads out of the root.
// A name that does not exist yet resolves to where it would be created.
std::optional<fs::path> resolve(const fs::path& root, std::string_view cardPath) {
    const auto parts = components(cardPath);
    if (!parts) return std::nullopt;
    fs::path at = root;
    for (const std::string& part : *parts) {
        std::error_code error;
        if (!fs::is_directory(at, error)) return std::nullopt;
        at = fs::weakly_canonical(findEntry(at, part).value_or(at / part), error);
        if (error || !inside(root, at)) return std::nullopt;
    }
    return at;
}

// Opens `file` only if it is a regular file: a FIFO or device is never waited on.
int openRegular(const fs::path& file, int flags) {
    const int fd = open(file.c_str(), flags | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, 0644);
    struct stat info {};
    if (fd >= 0 && (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        close(fd);
        return -1;
    }
    if (fd >= 0) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

// The one word upload.cgi answers with, in a plain 200 reply.
Response word(std::string_view text) {
    return {200, "text/plain", std::string(text), std::nullopt};
}

Response page(int status, std::string_view text) {
    const std::string t(text);
    return {status, "text/html",
            "<html><head><title>" + t + "</title></head><body><h1>" + t + "</h1></body></html>\n",
            std::nullopt};
}

std::optional<std::string> queryValue(std::string_view query, std::string_view key) {
    while (!query.empty()) {
        const std::size_t end = query.find('&');
        const std::string_view pair = query.substr(0, end);
        const std::size_t equals = pair.find('=');
        if (pair.substr(0, equals) == key)
            return percentDecode(equals == std::string_view::npos ? "" : pair.substr(equals + 1));
        if (end == std::string_view::npos) break;
        query.remove_prefix(end + 1);
    }
    return std::nullopt;
}

// FTIME is the FAT date word followed by the FAT time word, local time.
void setFileTime(int fd, std::uint32_t fatStamp) {
    const unsigned date = fatStamp >> 16, time = fatStamp & 0xFFFF;
    std::tm t{};
    t.tm_year = static_cast<int>((date >> 9) + 80);
    t.tm_mon = static_cast<int>(((date >> 5) & 15) - 1);
    t.tm_mday = static_cast<int>(date & 31);
    t.tm_hour = static_cast<int>(time >> 11);
    t.tm_min = static_cast<int>((time >> 5) & 63);
    t.tm_sec = static_cast<int>((time & 31) * 2);
    t.tm_isdst = -1;
    const timespec stamp{std::mktime(&t), 0};
    const timespec times[2] = {stamp, stamp};
    futimens(fd, times);
}

std::string boundaryOf(const std::string& contentType) {
    const std::size_t at = contentType.find("boundary=");
    if (at == std::string::npos) return {};
    std::string value = contentType.substr(at + 9, contentType.find(';', at) - at - 9);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return value;
}

}  // namespace

std::string kindOf(const Request& request) {
    const std::string path =
        asciiLowered(percentDecode(request.target.substr(0, request.target.find('?'))));
    if (request.method == "GET") return path == "/upload.cgi" ? "command" : "download";
    return request.method == "POST" && path == "/upload.cgi" ? "post" : "";
}

const Scripted* Faults::scriptFor(const Request& request, std::uint64_t number) const {
    for (const std::string& key : {std::to_string(number), kindOf(request), std::string("*")})
        if (const auto found = scripts.find(key); found != scripts.end()) return &found->second;
    return nullptr;
}

Card::Card(fs::path root, Faults faults) : root_(fs::canonical(root)), faults_(std::move(faults)) {}

Response Card::handle(const Request& request) {
    if (!request.complete) return page(400, "Bad Request");
    const std::size_t question = request.target.find('?');
    const std::string path = percentDecode(std::string_view(request.target).substr(0, question));
    const std::string_view query =
        question == std::string::npos ? "" : std::string_view(request.target).substr(question + 1);
    const bool uploadCgi = asciiLowered(path) == "/upload.cgi";
    if (request.method == "GET" && uploadCgi) return command(query);
    if (request.method == "GET") return download(path);
    if (request.method == "POST" && uploadCgi) return upload(request);
    return page(405, "Method Not Allowed");
}

Response Card::command(std::string_view query) {
    const std::lock_guard lock(mutex_);
    const auto dir = queryValue(query, "UPDIR");
    // One that would climb out of the root cannot be used; the card itself would say SUCCESS.
    if (dir && !components(*dir) && !faults_.updirLiteral) return word("ERROR");
    if (dir) upDir_ = *dir;
    if (const auto stamp = queryValue(query, "FTIME");
        stamp && asciiLowered(*stamp).starts_with("0x"))
        fileTime_ = static_cast<std::uint32_t>(std::strtoul(stamp->c_str() + 2, nullptr, 16));
    return word(faults_.commandReply.value_or("SUCCESS"));
}

Response Card::download(std::string_view path) const {
    const auto file = resolve(root_, path);
    const int fd = file ? openRegular(*file, O_RDONLY) : -1;
    if (fd < 0) return page(404, "404 Not Found");
    std::string bytes;
    char chunk[65536];
    ssize_t got;
    while ((got = read(fd, chunk, sizeof chunk)) > 0)
        bytes.append(chunk, static_cast<std::size_t>(got));
    close(fd);
    if (got < 0) return page(500, "Read Error");
    return {200, "application/octet-stream", std::move(bytes), faults_.truncate};
}

Response Card::upload(const Request& request) {
    const std::lock_guard lock(mutex_);
    if (faults_.postStatus != 200) return page(faults_.postStatus, "Error");
    const Faults::Post post = faults_.post;
    if (post == Faults::Post::error || post == Faults::Post::storeNothing)
        return word(post == Faults::Post::error ? "ERROR" : "SUCCESS");
    // Like the card, a POST is answered 200 either way: only its body says whether it was stored.
    const bool stored = store(request);
    return word(stored || post == Faults::Post::storeOther ? "SUCCESS" : "ERROR");
}

bool Card::store(const Request& request) {
    const std::string boundary = boundaryOf(request.header("Content-Type"));
    const std::string& body = request.body;
    const std::size_t nameStart = body.find("filename=\"");
    if (boundary.empty() || nameStart == std::string::npos) return false;
    const std::size_t nameEnd = body.find('"', nameStart + 10);
    const std::size_t dataStart = body.find("\r\n\r\n", nameEnd);
    const std::size_t dataEnd = body.rfind("\r\n--" + boundary);
    if (nameEnd == std::string::npos || dataStart == std::string::npos ||
        dataEnd == std::string::npos || dataEnd < dataStart + 4)
        return false;
    // A name such as ADDON\REMOTE.LOG lands as REMOTE.LOG in the command's directory.
    std::string name = body.substr(nameStart + 10, nameEnd - nameStart - 10);
    name = name.substr(name.find_last_of("/\\") + 1);
    const auto dir = resolve(root_, upDir_);
    std::error_code error;
    if (name.empty() || name == "." || name == ".." || !dir) return false;
    // One level only: a missing parent fails, and so does a name already taken by a non-folder.
    if (faults_.updirLiteral) fs::create_directory(*dir, error);
    if (!fs::is_directory(*dir, error)) return false;
    // An existing file is replaced in place (through a link if it lies below the root too);
    // anything but a regular file is left alone.
    const auto target = resolve(root_, upDir_ + "/" + name);
    if (!target) return false;
    int fd = openRegular(*target, O_WRONLY);
    if (fd < 0 && !fs::exists(fs::symlink_status(*target, error)))
        fd = openRegular(*target, O_WRONLY | O_CREAT | O_EXCL);
    if (fd < 0) return false;
    std::string bytes = body.substr(dataStart + 4, dataEnd - dataStart - 4);
    if (faults_.post == Faults::Post::storeOther) {
        if (bytes.empty()) bytes.push_back('\0');
        bytes[bytes.size() / 2] ^= 1;
    }
    std::string_view data = bytes;
    bool written = ftruncate(fd, 0) == 0;
    while (written && !data.empty()) {
        const ssize_t put = write(fd, data.data(), data.size());
        written = put > 0;
        if (written) data.remove_prefix(static_cast<std::size_t>(put));
    }
    if (written && fileTime_) setFileTime(fd, *fileTime_);
    return close(fd) == 0 && written;
}

}  // namespace emulator
