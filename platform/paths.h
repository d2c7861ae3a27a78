// Where the settings file lives, and how the catalogue's Windows-style program paths become
// native paths on this machine.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Full path of the running executable (from /proc/self/exe); empty when unknown.
std::string executablePath();

// VKRandom.ini beside the executable when that file exists or its folder is writable, otherwise
// $XDG_CONFIG_HOME/VKRandom/VKRandom.ini (default ~/.config/VKRandom/VKRandom.ini).
std::string defaultSettingsPath();
// The same rule for a given executable path and config home; exposed for tests.
std::string settingsPathFor(const std::string& exePath, const std::string& configHome);

// Executable's file name without its extension: the caption of every message box.
std::string applicationName();

// Native path of a catalogue file name (CP932, '\' separators) inside `folder` (UTF-8): the
// name is converted to UTF-8, '\' becomes '/', and when the exact path is missing each component
// is matched case-insensitively (unique match only), since cards are FAT. nullopt when the name
// cannot be converted, is absolute, or holds a ".." component. An empty folder addresses the
// filesystem root, as an empty program folder addressed the current drive's root.
std::optional<std::string> resolveProgramPath(const std::string& folder, std::string_view cp932Name);

// Mount point of the filesystem that holds `path`, with a trailing '/'; empty when unknown.
std::string mountPointOf(const std::string& path);

bool fileExists(const std::string& path);

}  // namespace platform
