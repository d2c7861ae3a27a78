// Any bytes as one catalogue data line (catalogues come from the internet and hand edits): the
// parser must stay inside the line and inside the entry's limits.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/catalogue.h"
#include "fuzz_check.h"

namespace {

bool isPartOf(std::string_view text, std::string_view line) {
    return line.find(text) != std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const auto item = core::parseCatalogueLine(line);
    if (!item) return 0;
    FUZZ_CHECK(item->labelCount >= 0 && item->labelCount <= core::maxLabels);
    FUZZ_CHECK(item->name.size() <= core::maxNameBytes);
    // Column 1 lies between two commas, so a comma in the name means a misplaced cut.
    FUZZ_CHECK(item->name.find(',') == std::string::npos);
    FUZZ_CHECK(isPartOf(item->name, line));
    FUZZ_CHECK(isPartOf(item->fileName, line));
    for (int k = 0; k < item->labelCount; ++k) {
        const std::string& label = item->labels.at(static_cast<std::size_t>(k));
        FUZZ_CHECK(!label.empty());  // an empty field ends the list
        FUZZ_CHECK(label.find(',') == std::string::npos);
        FUZZ_CHECK(isPartOf(label, line));
    }
    return 0;
}
