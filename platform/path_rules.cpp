// Which catalogue program names address a file inside the program folder.
#include "platform/path_rules.h"

#include <algorithm>

#include "platform/encoding.h"

namespace platform::detail {

std::optional<std::vector<std::string>> relativeComponents(std::string name) {
    for (char& c : name)
        if (c == '\\') c = '/';
    bool drive = name.size() >= 2 && name[1] == ':' &&
                 ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
    if (name.empty() || name[0] == '/' || drive) return std::nullopt;
    std::vector<std::string> parts;
    std::size_t pos = 0;
    while (pos <= name.size()) {
        std::size_t slash = std::min(name.find('/', pos), name.size());
        std::string part = name.substr(pos, slash - pos);
        if (part == "..") return std::nullopt;
        if (!part.empty() && part != ".") parts.push_back(part);
        pos = slash + 1;
    }
    if (parts.empty()) return std::nullopt;
    return parts;
}

std::optional<std::vector<std::string>> programNameComponents(const std::string& folder,
                                                              std::string_view cp932Name) {
    if (cp932Name.find('\0') != std::string_view::npos || folder.find('\0') != std::string::npos)
        return std::nullopt;
    std::optional<std::string> utf8 = cp932ToUtf8(cp932Name);
    if (!utf8) return std::nullopt;
    return relativeComponents(*utf8);
}

std::string folderBefore(const std::string& path, std::string_view separators) {
    const auto slash = path.find_last_of(separators);
    if (slash == std::string::npos) return {};
    return path.substr(0, slash == 0 ? 1 : slash);
}

std::string withSeparator(std::string_view backslashed, char separator) {
    std::string path(backslashed);
    std::replace(path.begin(), path.end(), '\\', separator);
    return path;
}

}  // namespace platform::detail
