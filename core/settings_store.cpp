// Reads every key of VKRandom.ini once, in the order and with the defaults users' files rely on,
// and writes single keys back when they change.
#include "core/settings_store.h"

#include "platform/ini_file.h"

namespace core {
namespace {

constexpr int defaultTableCapacity = 256;
constexpr int maxTableCapacity = 65536;

std::string decimal(int value) { return std::to_string(value); }

}  // namespace

Settings readSettings(const std::string& path) {
    using platform::readProfileInt;
    using platform::readProfileString;
    Settings s;
    s.playerType = readProfileInt("DATA", "PLAYER_TYPE", 0, path);
    s.connectType = readProfileInt("REMOTE", "CONNECT_TYPE", 0, path);
    s.programType = readProfileInt("DATA", "VERSION", 1, path);
    // Only a reservation: the table grows with the catalogue, so odd values fall back quietly.
    const int capacity = readProfileInt("DATA", "NINSHIKI_DATA_COUNT", defaultTableCapacity, path);
    s.tableCapacity = capacity > 0 && capacity <= maxTableCapacity ? capacity : defaultTableCapacity;
    // Read one byte beyond the limit to tell a folder that fits from one that was cut to it.
    s.programFolder = readProfileString("DATA", "PATH", "", path, programFolderLimit + 2);
    s.programFolderCut = s.programFolder.size() > programFolderLimit;
    if (s.programFolderCut) s.programFolder.resize(programFolderLimit);
    s.remoteDir = readProfileString("REMOTE", "REMOTE_DIR", ".", path);
    s.remoteInterval = readProfileInt("REMOTE", "REMOTE_INTERVAL", 1000, path);
    s.cardHost = readProfileString("REMOTE", "CARD_HOST", "flashair", path);
    if (s.cardHost.empty()) s.cardHost = "flashair";
    return s;
}

bool writeProgramType(const std::string& path, int programType) {
    return platform::writeProfileString("DATA", "VERSION", decimal(programType), path);
}

bool writeConnectType(const std::string& path, int connectType) {
    return platform::writeProfileString("REMOTE", "CONNECT_TYPE", decimal(connectType), path);
}

bool writeProgramFolder(const std::string& path, const std::string& folder) {
    return platform::writeProfileString("DATA", "PATH", folder, path);
}

bool writeRemoteDir(const std::string& path, const std::string& remoteDir) {
    return platform::writeProfileString("REMOTE", "REMOTE_DIR", remoteDir, path);
}

}  // namespace core
