// Slot decoding on arbitrary windows (program files of any content and length, card replies cut
// anywhere) and label counts, and the encode/decode round trip of every choice.
#include "core/choice_slot.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const int labelCount = input.ConsumeIntegral<int>();
    const int choice = input.ConsumeIntegralInRange<int>(0, 20);
    const auto sourceKind = input.ConsumeIntegral<std::uint8_t>();
    const auto filler = input.ConsumeIntegral<std::uint8_t>();
    // A window of its own allocation, so a read beyond its end is an ASan report.
    const std::vector<std::uint8_t> window = input.ConsumeRemainingBytes<std::uint8_t>();

    const int decoded = core::decodeChoice(window, labelCount);
    FUZZ_CHECK(decoded >= -1 && decoded <= (labelCount > 0 ? labelCount : 0));

    // Only positions 0, 1, 13 and 14 decide: every other byte may be anything.
    std::vector<std::uint8_t> blurred = window;
    for (std::size_t i = 2; i < blurred.size(); ++i)
        if (i != 13 && i != 14) blurred[i] = filler;
    FUZZ_CHECK(core::decodeChoice(blurred, labelCount) == decoded);

    const core::SlotBytes slot = core::encodeChoice(choice, sourceKind);
    std::vector<std::uint8_t> written(slot.begin(), slot.end());
    written.push_back(filler);  // the read window's one byte beyond the slot
    FUZZ_CHECK(core::decodeChoice(written, 20) == choice);
    FUZZ_CHECK(core::decodeChoice(written, choice) == choice);
    if (choice > 0) FUZZ_CHECK(core::decodeChoice(written, choice - 1) == -1);
    return 0;
}
