// Any bytes as one catalogue data line and as a whole catalogue file (catalogues come from the
// internet and hand edits): entries stay inside their line and inside the entry's limits, and a
// file gives at most one entry per data line.
#include "core/catalogue.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "scratch_file.h"

namespace {

void checkEntry(const core::RandomItem& item, std::string_view text) {
    FUZZ_CHECK(item.labelCount >= 0 && item.labelCount <= core::maxLabels);
    FUZZ_CHECK(item.name.size() <= core::maxNameBytes);
    // Column 1 lies between two commas, so a comma or line end in the name is a misplaced cut.
    FUZZ_CHECK(item.name.find_first_of(",\n") == std::string::npos);
    FUZZ_CHECK(text.find(item.name) != std::string_view::npos);
    FUZZ_CHECK(text.find(item.fileName) != std::string_view::npos);
    for (int k = 0; k < item.labelCount; ++k) {
        const std::string& label = item.labels.at(static_cast<std::size_t>(k));
        FUZZ_CHECK(!label.empty() && label.find_first_of(",\n") == std::string::npos);
        FUZZ_CHECK(text.find(label) != std::string_view::npos);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    const std::string_view line = content.substr(0, content.find('\n'));
    if (const auto item = core::parseCatalogueLine(line)) checkEntry(*item, line);
    static const ScratchFile scratch("catalogue");
    std::vector<core::RandomItem> items;
    FUZZ_CHECK(core::readCatalogueFile(scratch.holding(content), items));
    // The header line never becomes an entry.
    FUZZ_CHECK(items.size() <=
               static_cast<std::size_t>(std::count(content.begin(), content.end(), '\n')));
    for (const auto& item : items) checkEntry(item, content);
    return 0;
}
