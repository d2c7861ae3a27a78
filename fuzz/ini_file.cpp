// Any bytes as a settings file (users edit it by hand): reads never fail hard, and a write
// changes or inserts exactly one key line (plus the section line when the section is new),
// keeps every other line with its line end, and reads back as the written value.
#include "platform/ini_file.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "scratch_file.h"

namespace {

// Lines with their own line ends; a final line without one is a line too.
std::vector<std::string_view> rawLines(std::string_view content) {
    std::vector<std::string_view> lines;
    while (!content.empty()) {
        const auto nl = content.find('\n');
        const auto length = nl == std::string_view::npos ? content.size() : nl + 1;
        lines.push_back(content.substr(0, length));
        content.remove_prefix(length);
    }
    return lines;
}

// A line's text without its line end (LF or CR LF; a CR with no LF after it is text).
std::string_view textOf(std::string_view line) {
    if (line.ends_with("\r\n"))
        line.remove_suffix(2);
    else if (line.ends_with('\n'))
        line.remove_suffix(1);
    return line;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// "Key=value" with the key spelled as in the file or as given.
bool isKeyLine(std::string_view text, std::string_view key, std::string_view value) {
    return text.size() == key.size() + 1 + value.size() &&
           sameIgnoringCase(text.substr(0, key.size()), key) && text[key.size()] == '=' &&
           text.substr(key.size() + 1) == value;
}

// Letters, digits and '_' from arbitrary bytes: names any real settings file could hold.
std::string saneName(FuzzedDataProvider& input, std::size_t minLength) {
    static constexpr std::string_view alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_";
    std::string name;
    const auto length = input.ConsumeIntegralInRange<std::size_t>(minLength, 12);
    for (std::size_t i = 0; i < length; ++i)
        name += alphabet[input.ConsumeIntegralInRange<std::size_t>(0, alphabet.size() - 1)];
    return name;
}

void checkWrite(std::string_view before, std::string_view section, std::string_view key,
                std::string_view value) {
    const std::string after = platform::applyProfileWrite(before, section, key, value);
    std::string readBack;
    FUZZ_CHECK(platform::lookupProfileValue(after, section, key, readBack));
    FUZZ_CHECK(readBack == value);

    // Old and new lines agree on a common head and tail; what lies between is the edit.
    const auto oldLines = rawLines(before);
    const auto newLines = rawLines(after);
    std::size_t head = 0;
    while (head < oldLines.size() && head < newLines.size() && oldLines[head] == newLines[head])
        ++head;
    std::size_t tail = 0;
    while (tail < oldLines.size() - head && tail < newLines.size() - head &&
           oldLines[oldLines.size() - 1 - tail] == newLines[newLines.size() - 1 - tail])
        ++tail;
    // A last line without a line end gains one when something is added after it.
    if (newLines.size() > oldLines.size() && head + 1 == oldLines.size() - tail &&
        oldLines[head].find('\n') == std::string_view::npos &&
        newLines[head].starts_with(oldLines[head])) {
        const auto added = newLines[head].substr(oldLines[head].size());
        FUZZ_CHECK(added == "\n" || added == "\r\n");
        ++head;
    }
    const std::size_t oldMiddle = oldLines.size() - head - tail;
    const std::size_t newMiddle = newLines.size() - head - tail;
    FUZZ_CHECK(oldMiddle <= 1);
    if (oldMiddle == 0 && newMiddle == 0) return;  // the key line already said exactly this
    if (oldMiddle == 1) {  // the key's own line, rewritten with its own line end
        FUZZ_CHECK(newMiddle == 1);
        FUZZ_CHECK(isKeyLine(textOf(newLines[head]), key, value));
        FUZZ_CHECK(newLines[head].substr(textOf(newLines[head]).size()) ==
                   oldLines[head].substr(textOf(oldLines[head]).size()));
    } else if (newMiddle == 1) {  // a new key in an existing section
        FUZZ_CHECK(isKeyLine(textOf(newLines[head]), key, value));
    } else {  // a new section, appended at the end
        FUZZ_CHECK(newMiddle == 2 && tail == 0);
        FUZZ_CHECK(textOf(newLines[head]) == "[" + std::string(section) + "]");
        FUZZ_CHECK(isKeyLine(textOf(newLines[head + 1]), key, value));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const bool sane = input.ConsumeBool();
    const auto bufferSize = input.ConsumeIntegralInRange<std::size_t>(0, 300);
    std::string section, key, value;
    if (sane) {
        section = saneName(input, 1);
        key = saneName(input, 1);
        value = saneName(input, 0);
    } else {
        section = input.ConsumeRandomLengthString(16);
        key = input.ConsumeRandomLengthString(16);
        value = input.ConsumeRandomLengthString(16);
    }
    const std::string content = input.ConsumeRemainingBytesAsString();

    // Reads through the file, as the session does.
    static const ScratchFile scratch("ini");
    const std::string& path = scratch.holding(content);
    const std::string text = platform::readProfileString(section, key, "def", path, bufferSize);
    FUZZ_CHECK(text.size() < (bufferSize == 0 ? 1 : bufferSize));
    std::string found;
    if (platform::lookupProfileValue(content, section, key, found))
        FUZZ_CHECK(found.compare(0, text.size(), text) == 0);
    (void)platform::readProfileInt(section, key, 7, path);

    if (sane) {
        checkWrite(content, section, key, value);
    } else {
        (void)platform::applyProfileWrite(content, section, key, value);
    }
    return 0;
}
