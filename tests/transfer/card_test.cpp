// The card client: the texts it builds, and what it and the sessions on a card do over HTTP
// against the card emulator (the scripts of tests/data/sessions_card.txt).
#include <gtest/gtest.h>

#include <cstring>

#include "support/session_script.h"
#include "transfer/card_client.h"

namespace {

using namespace std::string_literals;

TEST(CardText, PercentEncodingAndUtf8StayWithinCapacity) {
    char buffer[20];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(transfer::percentEncodePath("A/\x82\xA0", buffer, 16), 5u);
    EXPECT_EQ(std::string(buffer, 17), "%41%2F%E3%81%82\0#"s);
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(transfer::percentEncodePath("A/\x82\xA0", buffer, 15), std::nullopt);  // not cut
    EXPECT_EQ(std::string(buffer, 16), "\0###############"s);
    EXPECT_EQ(transfer::percentEncodePath("\x82", buffer, 20), std::nullopt);  // cut character
    EXPECT_EQ(transfer::percentEncodePath("A\0B"s, buffer, 20),
              std::nullopt);  // the card cuts at NUL
    EXPECT_EQ(transfer::toUtf8("\x82\xA0", nullptr, 0), 4u);
    EXPECT_EQ(transfer::toUtf8("A\\\x82\xA0", buffer, 6), 5u);
    EXPECT_STREQ(buffer, "A\\\xE3\x81\x82");
    EXPECT_EQ(transfer::toUtf8("\x82\xA0", buffer, 3), std::nullopt);  // no room for the NUL
    // The card's root is "/"; FAT dates start in 1980, so an earlier clock gives its first day.
    std::tm t{};
    t.tm_year = 79;
    t.tm_mday = 1;
    EXPECT_EQ(transfer::commandQuery(std::nullopt, t),
              "?WRITEPROTECT=OFF&UPDIR=/&FTIME=0x00210000");
}

const bool registered = testing_support::registerScripts("CardSessionScripts", "sessions_card.txt");

}  // namespace
