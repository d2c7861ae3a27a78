// Reads every key of VKRandom.ini once, in the order and with the defaults users' files rely on,
// and writes single keys back when they change.
#include "core/settings_store.h"

#include <filesystem>

#include "platform/ini_file.h"

namespace core {
namespace {

constexpr int defaultTableCapacity = 256;
constexpr int maxTableCapacity = 65536;

std::string decimal(int value) {
    return std::to_string(value);
}

// A settings path that names a folder, FIFO or device is no settings file: reading one could
// block start-up for good, and a write must not replace what is not ours.
bool usable(const std::string& path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    return !std::filesystem::exists(status) || std::filesystem::is_regular_file(status);
}

}  // namespace

Settings readSettings(const std::string& path) {
    using platform::readProfileInt;
    using platform::readProfileString;
    Settings s;
    if (!usable(path)) return s;  // read as missing: every default
    s.playerType = readProfileInt("DATA", "PLAYER_TYPE", 0, path);
    s.connectType = readProfileInt("REMOTE", "CONNECT_TYPE", 0, path);
    s.programType = readProfileInt("DATA", "VERSION", 1, path);
    // Only a reservation: the table grows with the catalogue, so odd values fall back quietly.
    const int capacity = readProfileInt("DATA", "NINSHIKI_DATA_COUNT", defaultTableCapacity, path);
    s.tableCapacity =
        capacity > 0 && capacity <= maxTableCapacity ? capacity : defaultTableCapacity;
    // Read one byte beyond the limit to tell a folder that fits from one that was cut to it.
    s.programFolder = readProfileString("DATA", "PATH", "", path, programFolderLimit + 2);
    // Counted as the file holds it: a folder the file keeps whole is not one that was cut.
    s.programFolderCut = platform::profileValueBytes(s.programFolder) > programFolderLimit;
    s.remoteDir = readProfileString("REMOTE", "REMOTE_DIR", ".", path);
    s.remoteInterval = readProfileInt("REMOTE", "REMOTE_INTERVAL", 1000, path);
    s.cardHostSetting = readProfileString("REMOTE", "CARD_HOST", "", path);
    s.cardHost = s.cardHostSetting.empty() ? defaultCardHost : s.cardHostSetting;
    return s;
}

bool writeProgramType(const std::string& path, int programType) {
    if (!usable(path)) return false;
    return platform::writeProfileString("DATA", "VERSION", decimal(programType), path);
}

bool writeConnectType(const std::string& path, int connectType) {
    if (!usable(path)) return false;
    return platform::writeProfileString("REMOTE", "CONNECT_TYPE", decimal(connectType), path);
}

bool writeProgramFolder(const std::string& path, const std::string& folder) {
    if (!usable(path)) return false;
    return platform::writeProfileString("DATA", "PATH", folder, path);
}

bool writeRemoteDir(const std::string& path, const std::string& remoteDir) {
    if (!usable(path)) return false;
    return platform::writeProfileString("REMOTE", "REMOTE_DIR", remoteDir, path);
}

bool writeCardHost(const std::string& path, const std::string& host) {
    if (!usable(path)) return false;
    return platform::writeProfileString("REMOTE", "CARD_HOST", host, path);
}

}  // namespace core
