// Any bytes as one catalogue line (catalogues come from the internet and from hand edits): an
// entry stays inside its line and inside the entry's limits.
#include "core/catalogue.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view line(reinterpret_cast<const char*>(data), size);
    line = line.substr(0, line.find('\n'));
    const auto item = core::parseCatalogueLine(line);
    if (!item) return 0;
    FUZZ_CHECK(item->labelCount >= 0 && item->labelCount <= core::maxLabels);
    FUZZ_CHECK(item->name.size() <= core::maxNameBytes);
    // Column 1 lies between two commas, so a comma in the name is a misplaced cut.
    FUZZ_CHECK(item->name.find(',') == std::string_view::npos);
    FUZZ_CHECK(line.find(item->name) != std::string_view::npos);
    FUZZ_CHECK(line.find(item->fileName) != std::string_view::npos);
    for (int k = 0; k < item->labelCount; ++k) {
        const auto& label = item->labels.at(static_cast<std::size_t>(k));
        FUZZ_CHECK(!label.empty() && label.find(',') == std::string_view::npos);
        FUZZ_CHECK(line.find(label) != std::string_view::npos);
    }
    return 0;
}
