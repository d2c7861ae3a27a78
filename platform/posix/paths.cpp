// Native locations: the settings file, the catalogue's and the demo's folders, the executable's
// name, catalogue program paths (CP932, Windows separators, case-insensitive on FAT cards) and
// the mount point that plays a drive root.
#include "platform/paths.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/encoding.h"
#include "platform/path_rules.h"
#include "platform/text.h"

namespace platform {
namespace {

constexpr const char* kSettingsName = "VKRandom.ini";

std::string folderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// $variable when it is absolute (relative values are invalid by XDG rules), else
// $HOME/`fallback`.
std::string xdgFolder(const char* variable, const char* fallback) {
    const char* xdg = std::getenv(variable);
    if (xdg != nullptr && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        const passwd* pw = ::getpwuid(::getuid());
        home = pw != nullptr ? pw->pw_dir : "/tmp";
    }
    return std::string(home) + "/" + fallback;
}

// A program that was installed rather than unpacked or built: its folder lies under /usr or
// belongs to someone else (a package's, or one root set up for everyone).
bool isInstalledFolder(const std::string& folder) {
    if (folder.starts_with("/usr/")) return true;
    struct stat st {};
    return ::stat(folder.empty() ? "." : folder.c_str(), &st) != 0 || st.st_uid != ::geteuid();
}

// <prefix>/share/vkrandom of a program in <prefix>/bin.
std::string packageDataFolder(const std::string& exePath) {
    const auto prefix = std::filesystem::path(exePath).parent_path().parent_path();
    return (prefix / "share/vkrandom").string();
}

// The one entry of `dir` whose name equals `name` ignoring ASCII case; empty when none or several.
std::string uniqueCaseMatch(const std::string& dir, const std::string& name) {
    DIR* handle = ::opendir(dir.empty() ? "/" : dir.c_str());
    if (handle == nullptr) return {};
    std::string wanted = asciiLowered(name), match;
    int count = 0;
    while (const dirent* entry = ::readdir(handle)) {
        if (asciiLowered(entry->d_name) == wanted) {
            match = entry->d_name;
            ++count;
        }
    }
    ::closedir(handle);
    return count == 1 ? match : std::string();
}

bool isOctalDigit(char c) {
    return c >= '0' && c <= '7';
}

// mountinfo writes space, tab, newline and backslash in names as \ooo.
std::string decodeMountinfoEscapes(std::string_view field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && isOctalDigit(field[i + 1]) &&
            isOctalDigit(field[i + 2]) && isOctalDigit(field[i + 3])) {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                     (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

// The mount point field (the fifth) of one mountinfo line, decoded.
std::optional<std::string> mountPointField(const std::string& line) {
    std::size_t pos = 0;
    for (int field = 0; field < 4; ++field) {
        pos = line.find(' ', pos);
        if (pos == std::string::npos) return std::nullopt;
        ++pos;
    }
    return decodeMountinfoEscapes(std::string_view(line).substr(pos, line.find(' ', pos) - pos));
}

// True when `mount` is `path` or one of its ancestor folders.
bool isComponentPrefix(const std::string& mount, const std::string& path) {
    if (mount == "/") return true;
    if (path.compare(0, mount.size(), mount) != 0) return false;
    return path.size() == mount.size() || path[mount.size()] == '/';
}

}  // namespace

std::string executablePath() {
    std::vector<char> buffer(4096);
    ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size()) return {};
    return std::string(buffer.data(), static_cast<std::size_t>(n));
}

std::string settingsPathFor(const std::string& exePath, const std::string& configHome) {
    if (!exePath.empty() && !isInstalledFolder(folderOf(exePath))) {
        std::string folder = folderOf(exePath);
        std::string beside = folder + kSettingsName;
        if (fileExists(beside) || ::access(folder.empty() ? "." : folder.c_str(), W_OK) == 0)
            return beside;
    }
    std::string dir = configHome + "/VKRandom";
    std::error_code ignored;  // a failure shows later as a failed write, which is not reported
    std::filesystem::create_directories(dir, ignored);
    return dir + "/" + kSettingsName;
}

std::string defaultSettingsPath() {
    return settingsPathFor(executablePath(), xdgFolder("XDG_CONFIG_HOME", ".config"));
}

std::vector<std::string> catalogueFolders() {
    std::error_code error;
    const std::string here = std::filesystem::current_path(error).string();
    std::vector<std::string> candidates{error ? std::string(".") : here, userDataFolder()};
    const std::string exe = executablePath();
    if (!exe.empty() && isInstalledFolder(folderOf(exe)))
        candidates.push_back(packageDataFolder(exe));
    std::vector<std::string> folders;  // each once, for a user who works in one of them
    for (std::string& folder : candidates)
        if (std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(std::move(folder));
    return folders;
}

std::string userDataFolder() {
    return xdgFolder("XDG_DATA_HOME", ".local/share") + "/VKRandom";
}

std::string packagedDemoFolder() {
    const std::string exe = executablePath();
    if (exe.empty()) return {};
    std::string demo = packageDataFolder(exe) + "/demo";
    std::error_code error;
    return std::filesystem::is_directory(demo, error) ? demo : std::string();
}

std::string applicationName() {
    std::string exe = executablePath();
    if (exe.empty()) return "vkrandom";
    return std::filesystem::path(exe).stem().string();
}

std::optional<std::string> resolveProgramPath(const std::string& folder,
                                              std::string_view cp932Name) {
    std::optional<std::vector<std::string>> parts =
        detail::programNameComponents(folder, cp932Name);
    if (!parts) return std::nullopt;
    std::string base = folder;
    while (!base.empty() && base.back() == '/') base.pop_back();
    std::string exact = base;
    for (const std::string& part : *parts) exact += "/" + part;
    if (fileExists(exact)) return exact;

    std::string path = base;
    bool matching = true;  // once a component is missing, the rest cannot exist either
    for (const std::string& part : *parts) {
        std::string name = part;
        if (matching && !fileExists(path + "/" + part)) {
            std::string match = uniqueCaseMatch(path, part);
            matching = !match.empty();
            if (matching) name = match;
        }
        path += "/" + name;
    }
    return path;
}

std::string mountPointOf(const std::string& path) {
    std::error_code error;
    std::string canonical = std::filesystem::weakly_canonical(path, error).string();
    std::ifstream mountinfo("/proc/self/mountinfo");
    if (error || !mountinfo) return {};
    std::string line, best;
    while (std::getline(mountinfo, line)) {
        std::optional<std::string> mount = mountPointField(line);
        // Later lines are mounted on top of earlier ones at the same place, hence >=.
        if (mount && isComponentPrefix(*mount, canonical) && mount->size() >= best.size())
            best = *mount;
    }
    if (best.empty()) return {};
    return best == "/" ? best : best + "/";
}

std::string joinPath(const std::string& folder, std::string_view name) {
    return folder + "/" + std::string(name);
}

std::string folderOfChosenFile(const std::string& path) {
    return detail::folderBefore(path, "/");
}

std::string nativeRelativePath(std::string_view backslashed) {
    return detail::withSeparator(backslashed, '/');
}

std::optional<std::string> currentDriveRoot() {
    std::error_code error;
    const auto here = std::filesystem::current_path(error);
    if (error) return std::nullopt;
    std::string root = mountPointOf(here.string());
    if (root.empty() || root == "/") return std::nullopt;
    return root;
}

bool fileExists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

bool staysInside(const std::string& folder, const std::string& path) {
    std::error_code error;
    const auto root = std::filesystem::weakly_canonical(folder, error);
    if (error) return false;
    const auto target = std::filesystem::weakly_canonical(path, error);
    if (error) return false;
    const auto [end, at] = std::mismatch(root.begin(), root.end(), target.begin(), target.end());
    // A trailing separator gives an empty last component.
    return end == root.end() || (std::next(end) == root.end() && end->empty());
}

}  // namespace platform
