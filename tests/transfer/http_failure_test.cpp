// What message 119 says when an exchange with the card fails: a Japanese word for each way
// the transport can fail, with its technical text after it. Real failures on loopback, from
// the card emulator's scripted replies.
#include <gtest/gtest.h>

#include "core/messages.h"
#include "support/card_emulator_process.h"
#include "support/fakes.h"
#include "transfer/card_client.h"

namespace {

using namespace testing_support;

TEST(HttpFailureText, EachTransportFailureShowsItsJapaneseWord) {
    TempDir dir;
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n";
    const struct {
        const char* what;
        std::string host, reply;  // no host: the emulator, with this reply or none at all
        std::vector<std::string> options;
        const char* word;
    } cases[] = {
        {"refused", "127.0.0.1:1", "", {}, "接続できない（"},
        {"unknown name", "nonexistent.invalid", "", {}, "名前が見つからない（"},
        {"silent", "", "", {"--stall"}, "応答がない（"},
        {"dripping", "", head + std::string(100, 'x'), {"--drip-ms", "20"}, "通信が遅すぎる（"},
        {"cut", "", head + std::string(50, 'x'), {}, "途中で切れた（"},
        {"not HTTP", "", "\x01\x02 nonsense\r\n\r\n", {}, "応答が正しくない（"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> options = c.options;
        if (!c.reply.empty()) {
            writeFile(dir / "reply", c.reply);
            options.insert(options.end(), {"--reply-file", dir / "reply"});
        }
        std::optional<CardEmulatorProcess> card;
        if (c.host.empty()) card.emplace(dir.path(), options);
        FakePrompts prompts;
        transfer::CardClient client(prompts, card ? card->host() : c.host);
        client.setLimits({.connectSeconds = 2, .stallSeconds = 1, .floorBytesPerSecond = 256,
                          .floorSeconds = 2});
        std::vector<std::uint8_t> buffer(200);
        EXPECT_EQ(client.downloadFile("A.XML", buffer), 0u);
        ASSERT_EQ(prompts.messages, std::vector<int>{core::msgCardCommFailed});
        EXPECT_EQ(prompts.messageTexts[0].rfind(
                      "FlashAirとの通信に失敗しました[" + std::string(c.word), 0), 0u)
            << prompts.messageTexts[0];
    }
}

}  // namespace
