// Windows-profile-compatible INI logic on an in-memory file image, the same on every system. The
// file is handled as a list of raw lines that keep their own line ends, so a write changes or
// inserts exactly one line and leaves the rest alone.
#include "platform/ini_file.h"

#include <cstdint>
#include <vector>

#include "platform/text.h"

namespace platform {
namespace {

// One line of the file: [begin, textEnd) is its text, [textEnd, end) its line end.
struct Line {
    std::size_t begin;
    std::size_t textEnd;
    std::size_t end;
};

enum class Kind { other, section, key };

struct ParsedLine {
    Kind kind = Kind::other;
    std::string_view name;   // section or key name, trimmed
    std::string_view value;  // key value, trimmed but still quoted
};

// Files saved by Windows editors may start with a UTF-8 byte-order mark; it is not text of the
// first line (a write keeps it, as every other byte).
constexpr std::string_view utf8Bom = "\xEF\xBB\xBF";

// Lines end in CR LF, LF or a CR alone, as Windows reads them.
std::vector<Line> splitLines(std::string_view content) {
    std::vector<Line> lines;
    std::size_t pos = content.starts_with(utf8Bom) ? utf8Bom.size() : 0;
    while (pos < content.size()) {
        std::size_t nl = content.find_first_of("\r\n", pos);
        if (nl == std::string_view::npos) {
            lines.push_back({pos, content.size(), content.size()});
            break;
        }
        std::size_t end = nl + 1;
        if (content[nl] == '\r' && end < content.size() && content[end] == '\n') ++end;
        lines.push_back({pos, nl, end});
        pos = end;
    }
    return lines;
}

std::string_view trim(std::string_view text) {
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::string_view unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

ParsedLine parseLine(std::string_view text) {
    ParsedLine parsed;
    std::string_view body = trim(text);
    if (body.empty() || body.front() == ';') return parsed;
    std::size_t close = body.find(']');
    if (body.front() == '[' && close != std::string_view::npos) {
        parsed.kind = Kind::section;
        parsed.name = trim(body.substr(1, close - 1));
        return parsed;
    }
    std::size_t eq = body.find('=');
    if (eq == std::string_view::npos) return parsed;
    parsed.kind = Kind::key;
    parsed.name = trim(body.substr(0, eq));
    parsed.value = trim(body.substr(eq + 1));
    return parsed;
}

ParsedLine parseAt(std::string_view content, const Line& line) {
    return parseLine(content.substr(line.begin, line.textEnd - line.begin));
}

// Where a section and a key sit in the file; npos members when absent.
struct Location {
    std::size_t section = std::string_view::npos;  // index of the section's header line
    std::size_t key = std::string_view::npos;      // index of the key's line
    std::size_t lastKey = std::string_view::npos;  // index of the section's last key line
};

Location locate(std::string_view content, const std::vector<Line>& lines, std::string_view section,
                std::string_view key) {
    Location loc;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        ParsedLine parsed = parseAt(content, lines[i]);
        if (parsed.kind == Kind::section) {
            if (loc.section != std::string_view::npos) break;  // first matching section wins
            if (equalsIgnoringCase(parsed.name, section)) loc.section = i;
        } else if (parsed.kind == Kind::key && loc.section != std::string_view::npos) {
            loc.lastKey = i;
            if (loc.key == std::string_view::npos && equalsIgnoringCase(parsed.name, key))
                loc.key = i;
        }
    }
    return loc;
}

// Lines the write adds end in CR LF, as Windows writes them; existing lines keep their own.
constexpr std::string_view addedLineEnd = "\r\n";

// Decimal conversion as the Windows profile functions do it: wraps modulo 2^32.
int parseProfileInteger(std::string_view text) {
    std::size_t pos = text.find_first_not_of(" \t");  // blanks inside quotes
    if (pos == std::string_view::npos) return 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    std::uint32_t result = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos)
        result = result * 10u + static_cast<std::uint32_t>(text[pos] - '0');
    if (negative) result = 0u - result;
    return static_cast<int>(result);
}

}  // namespace

bool lookupProfileValue(std::string_view content, std::string_view section, std::string_view key,
                        std::string& value) {
    std::vector<Line> lines = splitLines(content);
    Location loc = locate(content, lines, section, key);
    if (loc.key == std::string_view::npos) return false;
    value = std::string(unquote(parseAt(content, lines[loc.key]).value));
    return true;
}

std::string profileStringValue(std::string_view content, std::string_view section,
                               std::string_view key, std::string_view def, std::size_t bufferSize) {
    std::string value;
    if (!lookupProfileValue(content, section, key, value)) {
        // Windows strips trailing blanks from the default.
        std::size_t last = def.find_last_not_of(' ');
        value = std::string(def.substr(0, last == std::string_view::npos ? 0 : last + 1));
    }
    std::size_t limit = bufferSize == 0 ? 0 : bufferSize - 1;
    if (value.size() > limit) value.resize(limit);
    return value;
}

int profileIntValue(std::string_view content, std::string_view section, std::string_view key,
                    int def) {
    std::string text = profileStringValue(content, section, key, "");
    if (text.empty()) return def;
    return parseProfileInteger(text);
}

bool profileWriteAllowed(std::string_view section, std::string_view key, std::string_view value) {
    // A line break inside a name or value would smuggle extra lines into the file.
    for (std::string_view text : {section, key, value})
        if (text.find_first_of("\r\n") != std::string_view::npos) return false;
    return true;
}

std::string applyProfileWrite(std::string_view content, std::string_view section,
                              std::string_view key, std::string_view value) {
    std::vector<Line> lines = splitLines(content);
    Location loc = locate(content, lines, section, key);
    const std::string_view eol = addedLineEnd;
    std::string out(content);
    if (loc.key != std::string_view::npos) {
        const Line& line = lines[loc.key];
        std::string keyLine = std::string(parseAt(content, line).name) + "=" + std::string(value);
        return out.replace(line.begin, line.textEnd - line.begin, keyLine);
    }
    std::string keyLine = std::string(key) + "=" + std::string(value) + std::string(eol);
    if (loc.section != std::string_view::npos) {
        const Line& after =
            lines[loc.lastKey != std::string_view::npos ? loc.lastKey : loc.section];
        if (after.textEnd == after.end) keyLine.insert(0, eol);  // that line had no line end
        return out.insert(after.end, keyLine);
    }
    if (!out.empty() && out.back() != '\n' && out.back() != '\r') out += eol;
    return out + "[" + std::string(section) + "]" + std::string(eol) + keyLine;
}

}  // namespace platform
