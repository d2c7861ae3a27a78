#include "core/choice_slot.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string text(const core::SlotBytes& b) { return {b.begin(), b.end()}; }
std::vector<std::uint8_t> bytes(const std::string& s) { return {s.begin(), s.end()}; }

TEST(ChoiceSlot, EveryFormIsByteExact) {
    for (int kind : {0, 1, 3, 255})
        EXPECT_EQ(text(core::encodeChoice(0, static_cast<std::uint8_t>(kind))),
                  R"(<mem_r size="4" adr="0x0084"/>)");
    EXPECT_EQ(text(core::encodeChoice(0, 2)), R"(<mem_r size="2" adr="0x0f0a"/>)");
    for (int choice = 1; choice <= 10; ++choice)
        EXPECT_EQ(text(core::encodeChoice(choice, 2)),
                  "<const data=\"" + std::to_string(choice - 1) + "\"/>\r\n" + std::string(11, ' '));
    for (int choice = 11; choice <= 14; ++choice)
        EXPECT_EQ(text(core::encodeChoice(choice, 4)),
                  "<const data=\"" + std::to_string(choice - 1) + "\"/>\r\n" + std::string(10, ' '));
}

TEST(ChoiceSlot, DecodeChecksRangeAndSignedBytes) {
    const auto c7 = bytes("<const data=\"7\"/>\r\n           !");
    EXPECT_EQ(core::decodeChoice(c7, 8), 8);
    EXPECT_EQ(core::decodeChoice(c7, 7), -1);
    const auto c12 = bytes("<const data=\"12\"/>\r\n          !");
    EXPECT_EQ(core::decodeChoice(c12, 13), 13);
    EXPECT_EQ(core::decodeChoice(c12, 12), -1);
    // Any memory read counts as random, whatever its size.
    EXPECT_EQ(core::decodeChoice(bytes(R"(<mem_r size="4" adr="0x0084"/>)"), 0), 0);
    EXPECT_EQ(core::decodeChoice(bytes("<m"), 3), 0);
    EXPECT_EQ(core::decodeChoice(bytes(" <mem_r"), 3), -1);
    EXPECT_EQ(core::decodeChoice(bytes("<x"), 3), -1);
    // High bytes are negative: never a valid digit, never a huge index.
    auto high = c7;
    high[13] = 0xB7;
    EXPECT_EQ(core::decodeChoice(high, 15), -1);
    high = c12;
    high[14] = 0x82;
    EXPECT_EQ(core::decodeChoice(high, 15), -1);
    // A window cut short by the end of the file cannot be decoded past its end.
    EXPECT_EQ(core::decodeChoice(std::span(c7).first(14), 15), -1);
    EXPECT_EQ(core::decodeChoice(std::span(c7).first(15), 15), 8);
    EXPECT_EQ(core::decodeChoice({}, 15), -1);
}

TEST(ChoiceSlot, EncodedChoicesDecodeBack) {
    for (int choice = 0; choice <= 15; ++choice) {
        const auto slot = core::encodeChoice(choice, 2);
        EXPECT_EQ(core::decodeChoice(slot, 15), choice);
    }
}

}  // namespace
