// Any bytes as a settings file (users edit it by hand): reads never fail hard or overrun the
// buffer, and a write reads back as the written value and changes at most the key's own line.
#include "platform/ini_file.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "scratch_file.h"

namespace {

// Lines without their line ends (LF or CR LF; a CR with no LF after it is text).
std::vector<std::string_view> linesOf(std::string_view content) {
    std::vector<std::string_view> lines;
    for (std::size_t at = 0; at < content.size();) {
        const auto nl = std::min(content.find('\n', at), content.size());
        lines.push_back(content.substr(
            at, nl - at - (nl < content.size() && nl > at && content[nl - 1] == '\r')));
        at = nl + 1;
    }
    return lines;
}

// Letters, digits and '_' from arbitrary bytes: names any real settings file could hold.
std::string saneName(FuzzedDataProvider& input, std::size_t minLength) {
    static constexpr std::string_view alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_";
    std::string name(input.ConsumeIntegralInRange<std::size_t>(minLength, 12), 'A');
    for (char& c : name)
        c = alphabet[input.ConsumeIntegralInRange<std::size_t>(0, alphabet.size() - 1)];
    return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const bool sane = input.ConsumeBool();
    const auto bufferSize = input.ConsumeIntegralInRange<std::size_t>(0, 300);
    const std::string section = sane ? saneName(input, 1) : input.ConsumeRandomLengthString(16);
    const std::string key = sane ? saneName(input, 1) : input.ConsumeRandomLengthString(16);
    const std::string value = sane ? saneName(input, 0) : input.ConsumeRandomLengthString(16);
    const std::string content = input.ConsumeRemainingBytesAsString();

    static const ScratchFile scratch("ini");
    const std::string& path = scratch.holding(content);
    const std::string text = platform::readProfileString(section, key, "def", path, bufferSize);
    FUZZ_CHECK(text.size() < std::max<std::size_t>(bufferSize, 1));
    (void)platform::readProfileInt(section, key, 7, path);
    const std::string after = platform::applyProfileWrite(content, section, key, value);
    if (!sane) return 0;
    std::string readBack;
    FUZZ_CHECK(platform::lookupProfileValue(after, section, key, readBack) && readBack == value);
    // Old and new lines agree on a common head and tail; between them, at most the key's own
    // line was replaced, by at most a section line, a key line and a line end.
    const auto oldLines = linesOf(content), newLines = linesOf(after);
    std::size_t head = 0, tail = 0;
    while (head < std::min(oldLines.size(), newLines.size()) && oldLines[head] == newLines[head])
        ++head;
    while (tail < std::min(oldLines.size(), newLines.size()) - head &&
           oldLines[oldLines.size() - 1 - tail] == newLines[newLines.size() - 1 - tail])
        ++tail;
    FUZZ_CHECK(oldLines.size() - head - tail <= 1 && newLines.size() - head - tail <= 3);
    return 0;
}
