// Where the settings file lives, and how the catalogue's Windows-style program paths become
// native paths on this machine.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Full path of the running executable (UTF-8); empty when unknown.
std::string executablePath();

// VKRandom.ini beside the executable. On POSIX only for a copy run from a folder of its own
// (one the user owns, not under /usr) when that file exists or the folder is writable;
// otherwise, and always for an installed program, $XDG_CONFIG_HOME/VKRandom/VKRandom.ini
// (default ~/.config/VKRandom/...), so that no settings land in a folder other users share.
std::string defaultSettingsPath();
// The POSIX rule for a given executable path and config home; exposed for tests.
std::string settingsPathFor(const std::string& exePath, const std::string& configHome);

// Folders a catalogue is looked for in, in this order: the working folder (absolute); on POSIX
// then the user's data folder and, for an installed program, the package's data folder
// (<prefix>/share/vkrandom); on Windows then the executable's folder, where the zip puts it.
std::vector<std::string> catalogueFolders();

// The demo the package ships (<prefix>/share/vkrandom/demo); empty when there is none (on
// Windows the zip's own folder is the demo).
std::string packagedDemoFolder();

// Executable's file name without its extension: the caption of every message box.
std::string applicationName();

// Native path of a catalogue file name (CP932, '\' separators) inside `folder` (UTF-8): the
// name is converted to UTF-8 and gets the system's separators; on POSIX, when the exact path is
// missing, each component is matched case-insensitively (unique match only), since cards are FAT.
// nullopt when the name cannot be converted, is absolute, holds a ".." component (or, on
// Windows, names a device or a stream). An empty folder addresses the root of the current
// drive on Windows, the filesystem root on POSIX.
std::optional<std::string> resolveProgramPath(const std::string& folder,
                                              std::string_view cp932Name);

// Root of the volume that holds `path`, with its trailing separator: the mount point on POSIX,
// the drive root ("E:\\") on Windows; empty when unknown.
std::string mountPointOf(const std::string& path);

// Root of the filesystem (drive) that holds the working folder, with its trailing separator: what a
// program name with no program folder hangs off. nullopt when unknown, and when that root is the
// system's own ("/", or the Windows drive), which such a name must never reach.
std::optional<std::string> currentDriveRoot();

// `name` inside `folder`, joined with the system's separator.
std::string joinPath(const std::string& folder, std::string_view name);
// The folder of a chosen file, without a trailing separator except at a root ("/"); a file at
// a drive root gives "E:". Empty when the path has no separator.
std::string folderOfChosenFile(const std::string& path);
// A fixed relative name written with '\' ("ADDON\\TEMP.VX4") in the system's own form.
std::string nativeRelativePath(std::string_view backslashed);

bool fileExists(const std::string& path);

// UTF-8 paths as the standard library's paths and back, the same on every system (a plain
// std::string would be read in the ANSI code page on Windows).
inline std::filesystem::path fsPath(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
inline std::string utf8Of(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// Whether `path`, every link on the way to it followed (a name not there yet as it would be
// created), lies inside `folder`: a link that leads elsewhere is never written through.
bool staysInside(const std::string& folder, const std::string& path);

// The user's own folder for VKRandom's data on this PC, never on the robot's card:
// $XDG_DATA_HOME/VKRandom (default ~/.local/share/VKRandom) on POSIX, %LOCALAPPDATA%\VKRandom
// on Windows.
std::string userDataFolder();

}  // namespace platform
