// CP932 conversion: the Microsoft-table mappings, trail bytes that look like '\', and how damaged
// input is handled by the strict and display-only variants.
#include "platform/encoding.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(Encoding, RoundTripsMicrosoftTableCharacters) {
    // あ; 0x8160, which is U+FF5E in CP932; 表, whose 0x5C trail byte must stay in the character.
    for (const auto& [cp932, utf8] : {std::pair{"\x82\xA0", "\xE3\x81\x82"},
                                      {"\x81\x60", "\xEF\xBD\x9E"}, {"\x95\x5C", "\xE8\xA1\xA8"}}) {
        EXPECT_EQ(cp932ToUtf8(cp932), utf8);
        EXPECT_EQ(utf8ToCp932(utf8), cp932);
    }
    EXPECT_EQ(cp932ToUtf8("A\x95\x5C.xml"), "A\xE8\xA1\xA8.xml");
    EXPECT_EQ(cp932ToUtf8("\xB1"), "\xEF\xBD\xB1");  // half-width katakana
}

TEST(Encoding, InvalidInputStrictFailsLossyReplaces) {
    EXPECT_EQ(cp932ToUtf8("a\x82"), std::nullopt);             // truncated double-byte character
    EXPECT_EQ(cp932ToUtf8("\x82\x20z"), std::nullopt);         // invalid trail byte
    EXPECT_EQ(utf8ToCp932("\xFF"), std::nullopt);              // not UTF-8
    EXPECT_EQ(utf8ToCp932("\xF0\x9F\x98\x80"), std::nullopt);  // no CP932 equivalent
    EXPECT_EQ(cp932ToUtf8Lossy("a\x82"), "a\xEF\xBF\xBD");
    EXPECT_EQ(cp932ToUtf8Lossy("\xA0\x82\xA0z"), "\xEF\xBF\xBD\xE3\x81\x82z");
}

TEST(Encoding, TruncateKeepsDoubleByteCharactersWhole) {
    // Names are cut this way; the catalogue tests cover the cut of a long one.
    EXPECT_EQ(cp932Truncate("ab\x82\xA0", 3), "ab");
    EXPECT_EQ(cp932Truncate("\xB1\xB2", 1), "\xB1");  // half-width kana are single bytes
}
