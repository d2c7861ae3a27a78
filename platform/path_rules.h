// Rules on catalogue program names that hold on every system; the system parts of paths.cpp
// build native paths from what these accept.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::detail {

// The folder levels of a UTF-8 program name with '\' or '/' separators ("." levels dropped).
// nullopt for names that would leave the program folder: absolute, with a drive, with "..", or
// naming no file at all.
std::optional<std::vector<std::string>> relativeComponents(std::string name);

// The same for a catalogue name in CP932 inside `folder`; also nullopt when either holds a NUL
// (the system would cut the path there and address another file) or the name is not CP932.
std::optional<std::vector<std::string>> programNameComponents(const std::string& folder,
                                                              std::string_view cp932Name);

// The folder of a chosen file: everything before its last separator (any of `separators`),
// except that a file at the root keeps that separator, so the folder is never empty for it
// (an empty program folder means that none was chosen).
std::string folderBefore(const std::string& path, std::string_view separators);

// "ADDON\TEMP.VX4" with the system's separator.
std::string withSeparator(std::string_view backslashed, char separator);

}  // namespace platform::detail
