// Parses the behaviour catalogue CSV. Lines are read whole and parsed on views, so a damaged
// line can never make the parser read outside it; a line that lacks a separator is skipped.
#include "core/catalogue.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <utility>

#include "platform/encoding.h"

namespace core {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Leading blanks, optional sign, decimal digits up to the first other byte; saturates at the
// 32-bit limits; no digits gives 0.
std::int32_t leadingInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::int64_t value = 0;
    constexpr std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > limit) value = limit;
    }
    if (negative) return static_cast<std::int32_t>(-value);
    return static_cast<std::int32_t>(value >= limit ? limit - 1 : value);
}

// A cursor over one line; every search stays inside it.
struct Cursor {
    std::string_view line;
    std::size_t pos = 0;

    // The field from pos up to the next comma, moving past that comma.
    std::optional<std::string_view> field() {
        const auto comma = line.find(',', pos);
        if (comma == std::string_view::npos) return std::nullopt;
        const auto text = line.substr(pos, comma - pos);
        pos = comma + 1;
        return text;
    }
    std::string_view rest() const { return line.substr(pos); }
};

// Column 3: quoted (may hold commas, the byte after the closing quote is its separator) or plain.
std::optional<std::string_view> fileNameField(Cursor& c) {
    if (c.pos < c.line.size() && c.line[c.pos] == '"') {
        const auto close = c.line.find('"', c.pos + 1);
        if (close == std::string_view::npos || close + 1 >= c.line.size()) return std::nullopt;
        const auto text = c.line.substr(c.pos + 1, close - c.pos - 1);
        c.pos = close + 2;
        return text;
    }
    return c.field();
}

}  // namespace

std::optional<RandomItem> parseCatalogueLine(std::string_view line) {
    RandomItem item;
    item.typeMask = static_cast<std::uint8_t>(leadingInteger(line) & 0xFF);
    Cursor c{line};
    if (!c.field()) return std::nullopt;
    const auto name = c.field();
    if (!name || !c.field()) return std::nullopt;
    // Cut on a character boundary so the list line and the lookup agree on the same bytes.
    item.name = std::string(platform::cp932Truncate(*name, maxNameBytes));
    const auto fileName = fileNameField(c);
    if (!fileName) return std::nullopt;
    item.fileName = std::string(*fileName);
    item.sourceKind = static_cast<std::uint8_t>(leadingInteger(c.rest()) & 0xFF);
    if (!c.field()) return std::nullopt;
    item.slotOffset = leadingInteger(c.rest());
    if (!c.field()) return std::nullopt;
    while (item.labelCount < maxLabels) {
        const auto label = c.field();
        if (!label || label->empty()) break;
        item.labels.emplace_back(*label);
        ++item.labelCount;
    }
    return item;
}

std::string catalogueFileName(int programType) {
    switch (programType) {
        case 4:
            return "RandomL2.csv";
        case 2:
            return "RandomV2.csv";
        case 3:
            return "RandomPL.csv";
        default:
            return "Random.csv";
    }
}

bool readCatalogueFile(const std::string& path, std::vector<RandomItem>& items) {
    // Only a regular file of sane size: a folder or a device would abort the read, a FIFO would
    // hold start-up until something writes to it, and a huge file would exhaust memory.
    constexpr std::uintmax_t maxCatalogueBytes = 64u << 20;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error) ||
        std::filesystem::file_size(path, error) > maxCatalogueBytes || error)
        return false;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return false;
    std::string content(static_cast<std::size_t>(std::max<std::streamoff>(in.tellg(), 0)), '\0');
    in.seekg(0);
    if (!in.read(content.data(), static_cast<std::streamsize>(content.size()))) return false;
    std::string_view rest(content);
    bool header = true;
    while (!rest.empty()) {
        const auto end = rest.find('\n');
        auto line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (std::exchange(header, false)) continue;
        if (auto item = parseCatalogueLine(line)) items.push_back(std::move(*item));
    }
    return true;
}

bool isListed(const RandomItem& item, int programType) {
    return item.typeMask == 0 || (item.typeMask & (programType & 0xFF)) != 0;
}

}  // namespace core
