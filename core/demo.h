// The demo a new user can try at once: the packaged one (a catalogue and a robot folder) is
// copied on first use into the user's data folder, since the package's files are not the user's
// to write, and gets a settings file of its own that names the copy's robot folder.
#pragma once

#include <optional>
#include <string>

namespace core {

struct DemoCopy {
    std::string folder;        // holds the catalogue Random.csv and robot/
    std::string settingsPath;  // the copy's own VKRandom.ini
};

// `userData`/demo, copied from `packaged` (Random.csv and robot/) when it is not there yet; a
// copy the user already has is kept as the user left it. nullopt, with `error` set (Japanese),
// when there is no packaged demo or the copy cannot be made.
std::optional<DemoCopy> prepareDemo(const std::string& packaged, const std::string& userData,
                                    std::string& error);

}  // namespace core
