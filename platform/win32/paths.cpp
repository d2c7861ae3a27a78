// Native locations on Windows: VKRandom.ini beside the executable, the catalogue's folders,
// catalogue program paths with '\' separators, and the drive root that holds a chosen REMOTE.LOG.
#include "platform/paths.h"

#include <algorithm>
#include <array>
#include <cwctype>
#include <filesystem>

#include "platform/encoding.h"
#include "platform/path_rules.h"
#include "platform/win32/wide.h"

namespace platform {
namespace {

using win32::fromWide;
using win32::toWide;

constexpr std::string_view kSettingsName = "VKRandom.ini";

std::wstring modulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) return path.substr(0, n);
        path.resize(path.size() * 2);  // long paths: the name was cut, try a larger buffer
    }
}

// The devices Windows reaches under any folder ("A\CON.XML" is the console), and streams
// ("A.XML:x"): names that would address something other than a program file.
bool namesDeviceOrStream(const std::string& part) {
    if (part.find(':') != std::string::npos) return true;
    std::string stem = part.substr(0, part.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    for (char& c : stem)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    static constexpr std::array<std::string_view, 6> plain = {"CON", "PRN",    "AUX",
                                                              "NUL", "CONIN$", "CONOUT$"};
    if (std::find(plain.begin(), plain.end(), stem) != plain.end()) return true;
    return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) &&
           stem[3] >= '0' && stem[3] <= '9';
}

// "E:" of the current folder; an empty program folder addresses that drive's root, as "\NAME"
// always did, never the system drive's.
std::string currentDrive() {
    std::wstring full(MAX_PATH, L'\0');
    const DWORD n =
        ::GetFullPathNameW(L"\\", static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0 || n >= full.size()) return {};
    full.resize(n);
    while (!full.empty() && full.back() == L'\\') full.pop_back();  // "E:\" -> "E:", "\\srv\share"
    return fromWide(full);
}

}  // namespace

std::string executablePath() {
    return fromWide(modulePath());
}

std::string defaultSettingsPath() {
    return joinPath(folderOfChosenFile(executablePath()), kSettingsName);
}

std::vector<std::string> catalogueFolders() {
    std::wstring here(MAX_PATH + 1, L'\0');
    const DWORD n = ::GetCurrentDirectoryW(static_cast<DWORD>(here.size()), here.data());
    here.resize(n < here.size() ? n : 0);
    std::vector<std::string> folders{here.empty() ? std::string(".") : fromWide(here)};
    // Beside the program too, where the zip puts the catalogue: a shortcut or a prompt may
    // start it elsewhere. Explorer starts it there, so the folder is often listed already.
    const std::string program = folderOfChosenFile(executablePath());
    if (!program.empty() &&
        ::CompareStringOrdinal(toWide(program).c_str(), -1, toWide(folders[0]).c_str(), -1, TRUE) !=
            CSTR_EQUAL)
        folders.push_back(program);
    return folders;
}

std::string packagedDemoFolder() {
    return {};
}

std::string applicationName() {
    std::string exe = executablePath();
    const auto slash = exe.find_last_of("\\/");
    std::string name = slash == std::string::npos ? exe : exe.substr(slash + 1);
    const auto dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name.empty() ? "vkrandom" : name;
}

std::optional<std::string> resolveProgramPath(const std::string& folder,
                                              std::string_view cp932Name) {
    std::optional<std::vector<std::string>> parts =
        detail::programNameComponents(folder, cp932Name);
    if (!parts || std::any_of(parts->begin(), parts->end(), namesDeviceOrStream))
        return std::nullopt;
    std::string path = folder.empty() ? currentDrive() : folder;
    if (folder.empty() && path.empty()) return std::nullopt;
    while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    for (const std::string& part : *parts) path += "\\" + part;
    return path;
}

std::string mountPointOf(const std::string& path) {
    std::wstring root(MAX_PATH + 1, L'\0');
    if (!::GetVolumePathNameW(toWide(path).c_str(), root.data(), static_cast<DWORD>(root.size())))
        return {};
    root.resize(std::wcslen(root.c_str()));
    if (!root.empty() && root.back() != L'\\') root += L'\\';
    return fromWide(root);
}

std::string joinPath(const std::string& folder, std::string_view name) {
    if (folder.empty()) return std::string(name);
    return folder + (folder.back() == '\\' || folder.back() == '/' ? "" : "\\") + std::string(name);
}

std::string folderOfChosenFile(const std::string& path) {
    return detail::folderBefore(path, "\\/");
}

std::string nativeRelativePath(std::string_view backslashed) {
    return detail::withSeparator(backslashed, '\\');
}

std::optional<std::string> currentDriveRoot() {
    std::wstring here(MAX_PATH + 1, L'\0');
    const DWORD n = ::GetCurrentDirectoryW(static_cast<DWORD>(here.size()), here.data());
    if (n == 0 || n >= here.size()) return std::nullopt;
    std::wstring windows(MAX_PATH + 1, L'\0');
    const UINT w = ::GetSystemWindowsDirectoryW(windows.data(), static_cast<UINT>(windows.size()));
    if (w == 0 || w >= windows.size()) return std::nullopt;
    here.resize(n);
    windows.resize(w);
    const std::string root = mountPointOf(fromWide(here));
    const std::string systemRoot = mountPointOf(fromWide(windows));
    if (root.empty() || systemRoot.empty() ||
        ::CompareStringOrdinal(toWide(root).c_str(), -1, toWide(systemRoot).c_str(), -1, TRUE) ==
            CSTR_EQUAL)
        return std::nullopt;
    return root;
}

bool fileExists(const std::string& path) {
    return ::GetFileAttributesW(toWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool staysInside(const std::string& folder, const std::string& path) {
    std::error_code error;
    const auto root = std::filesystem::weakly_canonical(toWide(folder), error);
    if (error) return false;
    const auto target = std::filesystem::weakly_canonical(toWide(path), error);
    if (error) return false;
    const auto [end, at] = std::mismatch(
        root.begin(), root.end(), target.begin(), target.end(),
        [](const auto& a, const auto& b) { return ::lstrcmpiW(a.c_str(), b.c_str()) == 0; });
    // A trailing separator gives an empty last component.
    return end == root.end() || (std::next(end) == root.end() && end->empty());
}

// From the environment Windows sets up for every user: the shell's own functions would load
// shell32 and its train of DLLs at start-up.
std::string userDataFolder() {
    const auto variable = [](const wchar_t* name) {
        std::wstring value(MAX_PATH, L'\0');
        const DWORD n =
            ::GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
        value.resize(n < value.size() ? n : 0);
        return value;
    };
    std::wstring local = variable(L"LOCALAPPDATA");
    if (local.empty() && !(local = variable(L"USERPROFILE")).empty()) local += L"\\AppData\\Local";
    return local.empty() ? std::string() : fromWide(local) + "\\VKRandom";
}

}  // namespace platform
