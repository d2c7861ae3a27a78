// The keys of VKRandom.ini: read all once at start, write single keys when they change.
#pragma once

#include <string>

namespace core {

struct Settings {
    int playerType = 0;
    int connectType = 0;
    int programType = 1;
    int tableCapacity = 256;        // NINSHIKI_DATA_COUNT, already sanitised
    std::string programFolder;      // PATH, at most 259 bytes
    bool programFolderCut = false;  // PATH was longer: the folder it names is not the one meant
    std::string remoteDir = ".";
    int remoteInterval = 1000;
    std::string cardHost = "flashair";  // the card's host: REMOTE/CARD_HOST, else its own name
    std::string cardHostSetting;        // CARD_HOST as the file holds it (empty: none)
};

Settings readSettings(const std::string& settingsPath);

bool writeProgramType(const std::string& settingsPath, int programType);
bool writeConnectType(const std::string& settingsPath, int connectType);
// Longest program folder that reads back whole.
inline constexpr std::size_t programFolderLimit = 259;

bool writeProgramFolder(const std::string& settingsPath, const std::string& folder);
bool writeRemoteDir(const std::string& settingsPath, const std::string& remoteDir);
bool writeCardHost(const std::string& settingsPath, const std::string& host);

inline constexpr const char* defaultCardHost = "flashair";

}  // namespace core
