// The card client: the texts it builds, and against the card emulator over real HTTP on loopback,
// what a command reply decides and what every failure shows. Sessions whose programs are on the
// card are scripts in tests/data/sessions.txt.
#include <gtest/gtest.h>

#include <cstring>

#include "support/card_emulator_process.h"
#include "support/fakes.h"
#include "transfer/card_client.h"

namespace {

using namespace testing_support;
using namespace std::string_literals;
using Bytes = std::vector<std::uint8_t>;
using Ids = std::vector<int>;

TEST(CardText, PercentEncodingAndUtf8StayWithinCapacity) {
    char buffer[20];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(transfer::percentEncodePath("A/\x82\xA0", buffer, 16), 5u);
    EXPECT_EQ(std::string(buffer, 17), "%41%2F%E3%81%82\0#"s);
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(transfer::percentEncodePath("A/\x82\xA0", buffer, 15), std::nullopt);  // not cut
    EXPECT_EQ(std::string(buffer, 16), "\0###############"s);
    EXPECT_EQ(transfer::percentEncodePath("\x82", buffer, 20), std::nullopt);  // cut character
    EXPECT_EQ(transfer::percentEncodePath("A\0B"s, buffer, 20), std::nullopt);  // the card cuts at NUL
    EXPECT_EQ(transfer::toUtf8("\x82\xA0", nullptr, 0), 4u);
    EXPECT_EQ(transfer::toUtf8("A\\\x82\xA0", buffer, 6), 5u);
    EXPECT_STREQ(buffer, "A\\\xE3\x81\x82");
    EXPECT_EQ(transfer::toUtf8("\x82\xA0", buffer, 3), std::nullopt);  // no room for the NUL
    // The card's root is "/"; FAT dates start in 1980, so an earlier clock gives its first day.
    std::tm t{};
    t.tm_year = 79;
    t.tm_mday = 1;
    EXPECT_EQ(transfer::commandQuery(std::nullopt, t), "?WRITEPROTECT=OFF&UPDIR=/&FTIME=0x00210000");
}

struct Card : ::testing::Test {
    TempDir dir;
    FakePrompts prompts;
    std::unique_ptr<CardEmulatorProcess> card;
    std::unique_ptr<transfer::CardClient> client;
    std::string root() const { return dir / "card"; }

    void start(const std::vector<std::string>& faults = {}) {
        std::filesystem::create_directories(root() + "/ADDON");
        card = std::make_unique<CardEmulatorProcess>(root(), faults);
        client = std::make_unique<transfer::CardClient>(prompts, card->host());
        client->setTimeouts(2, 1);
    }
    bool upload(std::string_view name, std::string_view data) {
        return client->uploadFile(std::string("ADDON"), name, Bytes(data.begin(), data.end()));
    }
};

// Only the whole reply "SUCCESS", in any letter case, lets the POST go; a POST answered with
// anything but 2xx is a failed upload (121). A card that stalls or breaks off is a failure.
TEST_F(Card, CommandReplyDecidesThePostAndFailuresAreShown) {
    const struct {
        std::vector<std::string> faults;
        bool posted;
        Ids messages;
    } cases[] = {
        {{"--command-reply", "success"}, true, {}},
        {{"--command-reply", "SUCCESS\r\n"}, false, {120}},
        {{"--status", "500"}, true, {121}},
        {{"--stall"}, false, {119, 120}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.faults.front());
        prompts = {};
        start(c.faults);
        EXPECT_EQ(upload("A.XML", "abc"), c.messages.empty());
        EXPECT_EQ(prompts.messages, c.messages);
        EXPECT_EQ(card->requests().size(), c.posted ? 2u : 1u);
    }
    // A reply cut short fails, unless all that was asked for came before the break.
    prompts = {};
    writeFile(root() + "/A.XML", std::string(100, 'x'));
    start({"--truncate", "50"});
    Bytes buffer(100), head(40);
    EXPECT_EQ(client->downloadFile("A.XML", buffer), 0u);
    EXPECT_EQ(client->downloadFile("A.XML", head), 40u);
    EXPECT_EQ(prompts.messages, Ids{119});
}

}  // namespace
