#include "core/choice_slot.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::vector<std::uint8_t> bytes(const std::string& s) { return {s.begin(), s.end()}; }

TEST(ChoiceSlot, EveryFormIsByteExactAndDecodesBack) {
    for (int kind = 0; kind <= 3; ++kind) {
        const std::string random = kind == 2 ? R"(<mem_r size="2" adr="0x0f0a"/>)"
                                             : R"(<mem_r size="4" adr="0x0084"/>)";
        for (int choice = 0; choice <= 14; ++choice) {
            SCOPED_TRACE(std::to_string(kind) + "/" + std::to_string(choice));
            const auto slot = core::encodeChoice(choice, static_cast<std::uint8_t>(kind));
            const std::string constant = "<const data=\"" + std::to_string(choice - 1) +
                                         "\"/>\r\n" + std::string(choice <= 10 ? 11 : 10, ' ');
            EXPECT_EQ(std::string(slot.begin(), slot.end()), choice == 0 ? random : constant);
            EXPECT_EQ(core::decodeChoice(slot, 14), choice);
        }
    }
}

TEST(ChoiceSlot, DecodeChecksRangeAndSignedBytes) {
    const auto c7 = bytes("<const data=\"7\"/>\r\n           !");
    EXPECT_EQ(core::decodeChoice(c7, 8), 8);
    EXPECT_EQ(core::decodeChoice(c7, 7), -1);
    const auto c12 = bytes("<const data=\"12\"/>\r\n          !");
    EXPECT_EQ(core::decodeChoice(c12, 13), 13);
    EXPECT_EQ(core::decodeChoice(c12, 12), -1);
    // Any memory read counts as random, whatever its size or the entry's source kind.
    EXPECT_EQ(core::decodeChoice(bytes("<m"), 3), 0);
    EXPECT_EQ(core::decodeChoice(bytes(" <mem_r"), 3), -1);
    // High bytes are negative: never a valid digit, never a huge index, however many labels.
    auto high = c7;
    high[13] = 0xB7;
    EXPECT_EQ(core::decodeChoice(high, 1000), -1);
    high = c12;
    high[14] = 0x82;
    EXPECT_EQ(core::decodeChoice(high, 1000), -1);
    // A window cut short by the end of the file cannot be decoded past its end.
    EXPECT_EQ(core::decodeChoice(std::span(c7).first(14), 15), -1);
    EXPECT_EQ(core::decodeChoice(std::span(c7).first(15), 15), 8);
}

}  // namespace
