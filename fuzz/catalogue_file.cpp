// Any bytes as a whole catalogue file: line splitting (LF, CR LF, no final line end, NUL bytes,
// very long lines) must yield only entries made of the file's own bytes, one per data line.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/catalogue.h"
#include "fuzz_check.h"
#include "scratch_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    static const ScratchFile scratch("catalogue");
    std::vector<core::RandomItem> items;
    FUZZ_CHECK(core::readCatalogueFile(scratch.holding(content), items));
    // The header line never becomes an entry.
    const auto lineEnds =
        static_cast<std::size_t>(std::count(content.begin(), content.end(), '\n'));
    FUZZ_CHECK(items.size() <= lineEnds);
    for (const auto& item : items) {
        FUZZ_CHECK(item.labelCount >= 0 && item.labelCount <= core::maxLabels);
        FUZZ_CHECK(item.name.size() <= core::maxNameBytes);
        // Texts never run across a line end.
        FUZZ_CHECK(item.name.find('\n') == std::string::npos);
        FUZZ_CHECK(item.fileName.find('\n') == std::string::npos);
        FUZZ_CHECK(content.find(item.name) != std::string_view::npos);
        FUZZ_CHECK(content.find(item.fileName) != std::string_view::npos);
        for (int k = 0; k < item.labelCount; ++k) {
            const std::string& label = item.labels.at(static_cast<std::size_t>(k));
            FUZZ_CHECK(label.find('\n') == std::string::npos);
            FUZZ_CHECK(content.find(label) != std::string_view::npos);
        }
    }
    return 0;
}
