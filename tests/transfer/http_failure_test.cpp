// What message 119 says when an exchange with the card fails: a Japanese word for each way
// the transport can fail, with its technical text after it. Real failures on loopback.
#include <gtest/gtest.h>

#include <thread>

#include "core/messages.h"
#include "support/card_emulator_process.h"
#include "support/fakes.h"
#include "support/scripted_card.h"
#include "transfer/card_client.h"

namespace {

using namespace std::chrono_literals;
using testing_support::ScriptedCard;
using Reply = std::optional<std::string>;

TEST(HttpFailureText, EachTransportFailureShowsItsJapaneseWord) {
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n";
    const struct {
        const char* what;
        std::optional<ScriptedCard::Script> card;  // none: the host below
        std::string host;
        std::chrono::milliseconds drip;
        const char* word;
    } cases[] = {
        {"refused", {}, "127.0.0.1:" + std::to_string(testing_support::unusedLoopbackPort()),
         0ms, "接続できない（"},
        {"unknown name", {}, "nonexistent.invalid", 0ms, "名前が見つからない（"},
        {"silent", [](const std::string&) -> Reply {
             std::this_thread::sleep_for(2500ms);
             return std::nullopt;
         }, "", 0ms, "応答がない（"},
        {"dripping", [&](const std::string&) -> Reply { return head + std::string(100, 'x'); },
         "", 20ms, "通信が遅すぎる（"},
        {"cut", [&](const std::string&) -> Reply { return head + std::string(50, 'x'); }, "",
         0ms, "途中で切れた（"},
        {"not HTTP", [](const std::string&) -> Reply { return "\x01\x02 nonsense\r\n\r\n"; }, "",
         0ms, "応答が正しくない（"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::optional<ScriptedCard> card;
        if (c.card) card.emplace(*c.card);
        if (card) card->drip(c.drip);
        testing_support::FakePrompts prompts;
        transfer::CardClient client(prompts, card ? card->host() : c.host);
        client.setLimits({.connectSeconds = 2, .stallSeconds = 1, .floorBytesPerSecond = 256,
                          .floorSeconds = 2});
        std::vector<std::uint8_t> buffer(200);
        EXPECT_EQ(client.downloadFile("A.XML", buffer), 0u);
        ASSERT_EQ(prompts.messages, std::vector<int>{core::msgCardCommFailed});
        EXPECT_EQ(prompts.messageTexts[0].rfind("FlashAirとの通信に失敗しました[" +
                                                    std::string(c.word),
                                                0),
                  0u)
            << prompts.messageTexts[0];
    }
}

}  // namespace
