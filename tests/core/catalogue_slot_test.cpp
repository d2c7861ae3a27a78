// The catalogue parser and the slot forms, from the rows in tests/data/.
#include <gtest/gtest.h>

#include "core/catalogue.h"
#include "core/choice_slot.h"
#include "core/messages.h"
#include "support/cases.h"
#include "transfer/http_transport.h"

namespace {

using testing_support::readCases;

TEST(Catalogue, EveryLineOfTheTable) {
    for (const auto& c : readCases("catalogue_lines.txt")) {
        SCOPED_TRACE(c[0]);
        const auto item = core::parseCatalogueLine(c[0]);
        ASSERT_EQ(item.has_value(), c[1] != "-");
        if (!item) continue;
        std::string labels;
        for (int k = 0; k < item->labelCount; ++k) labels += (k ? ";" : "") + item->labels[k];
        EXPECT_EQ(std::to_string(item->typeMask) + "|" + item->name + "|" + item->fileName + "|" +
                      std::to_string(item->sourceKind) + "|" + std::to_string(item->slotOffset) +
                      "|" + labels,
                  c[1] + "|" + c[2] + "|" + c[3] + "|" + c[4] + "|" + c[5] + "|" + c[6]);
    }
    // A long line: 15 labels at most, the name cut before a character the 255th byte would split.
    std::string name = "XY";
    for (int i = 0; i < 200; ++i) name += "\x95\x5C";  // 表, whose trail byte is '\'
    std::string line = "0," + name + ",x,F.XML,4,10,";
    for (int i = 0; i < 40; ++i) line += "label" + std::to_string(i) + ",";
    const auto item = core::parseCatalogueLine(line);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->labelCount, core::maxLabels);
    EXPECT_EQ(item->labels[14], "label14");
    EXPECT_EQ(item->name, name.substr(0, 254));
    // The mask is a bit set of program types; 0 (and 256, cut to 0) lists an entry everywhere.
    for (int type = 1; type <= 4; ++type) {
        EXPECT_TRUE(core::isListed(*core::parseCatalogueLine("256,N,x,F,4,5,"), type));
        EXPECT_EQ(core::isListed(*core::parseCatalogueLine("3,N,x,F,4,5,"), type), type != 4);
    }
}

TEST(ChoiceSlot, GoldenFormsEncodeAndDecodeBack) {
    const auto bytes = [](std::string s) { return std::vector<std::uint8_t>(s.begin(), s.end()); };
    for (const auto& c : readCases("slot_forms.txt")) {
        if (c[1] == "x" || c[1] == "w") {
            EXPECT_EQ(core::isWholeSlot(bytes(c[2])), c[1] == "w") << c[2];
            continue;
        }
        const int choice = std::stoi(c[1]);
        const auto slot = core::encodeChoice(choice, static_cast<std::uint8_t>(std::stoi(c[0])));
        EXPECT_EQ(std::string(slot.begin(), slot.end()), c[2]) << c[0] << "/" << c[1];
        EXPECT_TRUE(core::isWholeSlot(slot) && core::decodeChoice(slot, 14) == choice);
        EXPECT_EQ(core::decodeChoice(slot, choice - 1), choice ? -1 : 0);  // beyond the labels
    }
    // High bytes count as negative: never a digit, never a huge index.
    EXPECT_EQ(core::decodeChoice(bytes("<const data=\"\xB7\"/>\r\n"), 1000), -1);
    EXPECT_EQ(core::decodeChoice(bytes("<const data=\"1\x82\"/>\r\n"), 1000), -1);
    EXPECT_EQ(core::decodeChoice(bytes(" <mem_r"), 3), -1);
    // A window cut short by the end of the file is not read past its end.
    EXPECT_EQ(core::decodeChoice(bytes("<const data=\"7"), 15), -1);
    EXPECT_EQ(core::decodeChoice(bytes("<const data=\"7\""), 15), 8);
}

TEST(Messages, TextsUsersKnowAndTrimmedDescriptions) {
    EXPECT_EQ(core::messageText(113), "Veskプログラムの書出しに成功しました");
    EXPECT_EQ(core::messageText(120), "Flash Airと接続できません。\nWi-Fi設定を確認してください。");
    // A description fits 259 bytes: cut never inside a character, its line end dropped.
    std::string kana;
    for (int i = 0; i < 100; ++i) kana += "あ";
    EXPECT_EQ(transfer::describeHttpFailure(transfer::HttpFailure::noReply, "x\r\n"),
              "応答がない（x）");
    const std::string cut = transfer::describeHttpFailure(transfer::HttpFailure::noReply, kana);
    EXPECT_EQ(cut, "応答がない（" + kana.substr(0, 3 * 79) + "）");
}

}  // namespace
