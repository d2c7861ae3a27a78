#include "core/demo.h"

#include <filesystem>

#include "core/settings_store.h"

namespace core {

std::optional<DemoCopy> prepareDemo(const std::string& packaged, const std::string& userData,
                                    std::string& error) {
    namespace fs = std::filesystem;
    const fs::path copy = fs::path(userData) / "demo";
    DemoCopy demo{copy.string(), (copy / "VKRandom.ini").string()};
    std::error_code failure;
    if (!fs::exists(copy, failure)) {
        if (packaged.empty() || userData.empty()) {
            error = "このプログラムにはデモが同梱されていません";
            return std::nullopt;
        }
        // Copied beside its place and renamed: a copy cut short is never taken for the demo.
        const fs::path part = fs::path(userData) / "demo.part";
        fs::remove_all(part, failure);
        fs::create_directories(part, failure);
        if (!failure) fs::copy(fs::path(packaged) / "Random.csv", part / "Random.csv", failure);
        if (!failure)
            fs::copy(fs::path(packaged) / "robot", part / "robot", fs::copy_options::recursive,
                     failure);
        if (!failure) fs::rename(part, copy, failure);
        if (failure) {
            error = "デモを " + copy.string() + " にコピーできません（" + failure.message() + "）";
            fs::remove_all(part, failure);
            return std::nullopt;
        }
    }
    if (!fs::exists(demo.settingsPath, failure) &&
        !writeProgramFolder(demo.settingsPath, (copy / "robot").string())) {
        error = "デモの設定ファイル " + demo.settingsPath + " を書き込めません";
        return std::nullopt;
    }
    return demo;
}

}  // namespace core
