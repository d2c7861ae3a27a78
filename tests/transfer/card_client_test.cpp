// The card client: the texts it builds, then against the card emulator over real HTTP on
// loopback the exact requests, what is kept of each reply, and what every failure shows.
#include "transfer/card_client.h"

#include <gtest/gtest.h>
#include <time.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/messages.h"
#include "support/card_emulator_process.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace {

using namespace testing_support;
using Bytes = std::vector<std::uint8_t>;

constexpr int msg119 = core::msgCardCommFailed;
constexpr int msg120 = core::msgCardUnreachable;

std::string text(const Bytes& bytes, std::size_t count) {
    return {reinterpret_cast<const char*>(bytes.data()), count};
}

std::tm localTime(const char* when) {
    std::tm t{};
    strptime(when, "%Y-%m-%d %H:%M:%S", &t);
    return t;
}

TEST(CardText, PercentEncodesEveryUtf8ByteWithinCapacity) {
    using transfer::percentEncodePath;
    const struct {
        const char* path;
        const char* encoded;
        std::size_t characters;
    } cases[] = {{"A/b", "%41%2F%62", 3}, {"\x82\xA0", "%E3%81%82", 3}, {"", "", 0}};  // あ
    char buffer[16];
    for (const auto& c : cases) {
        EXPECT_EQ(percentEncodePath(c.path, buffer, sizeof buffer), c.characters);
        EXPECT_STREQ(buffer, c.encoded);
    }
    EXPECT_EQ(percentEncodePath("\x82", buffer, sizeof buffer), std::nullopt);  // cut character

    // Three bytes per UTF-8 byte plus the terminator fit; one byte less is refused with an
    // empty text, and nothing beyond the capacity is touched.
    char guarded[12];
    std::memset(guarded, '#', sizeof guarded);
    EXPECT_EQ(percentEncodePath("A/b", guarded, 10), 3u);
    EXPECT_EQ(guarded[10], '#');
    std::memset(guarded, '#', sizeof guarded);
    EXPECT_EQ(percentEncodePath("A/b", guarded, 9), std::nullopt);
    EXPECT_EQ(std::string(guarded, 12), '\0' + std::string(11, '#'));
}

TEST(CardText, ToUtf8MeasuresOrConvertsWithinCapacity) {
    using transfer::toUtf8;
    EXPECT_EQ(toUtf8("", nullptr, 0), 1u);
    EXPECT_EQ(toUtf8("\x82\xA0", nullptr, 0), 4u);
    char buffer[8];
    EXPECT_EQ(toUtf8("ACT\\\x82\xA0", buffer, sizeof buffer), 7u);
    EXPECT_STREQ(buffer, "ACT\\\xE3\x81\x82");
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(toUtf8("\x82\xA0", buffer, 3), std::nullopt);  // no room for the terminator
    EXPECT_EQ(std::string(buffer, 8), '\0' + std::string(7, '#'));
}

// FAT time keeps seconds halved; the card's root is "/".
TEST(CardText, CommandQueryCarriesDirectoryAndFatTime) {
    for (const char* at : {"2015-12-05 19:22:31", "2015-12-05 19:22:30"})
        EXPECT_EQ(transfer::commandQuery(std::string("ADDON"), localTime(at)),
                  "?WRITEPROTECT=OFF&UPDIR=/ADDON&FTIME=0x47859ACF");
    EXPECT_EQ(transfer::commandQuery(std::nullopt, localTime("1980-01-01 00:00:00")),
              "?WRITEPROTECT=OFF&UPDIR=/&FTIME=0x00210000");
}

struct CardClientTest : ::testing::Test {
    TempDir root;
    FakePrompts prompts;
    std::unique_ptr<CardEmulatorProcess> card;
    std::unique_ptr<transfer::CardClient> client;

    void start(const std::vector<std::string>& faults = {}) {
        card = std::make_unique<CardEmulatorProcess>(root.path(), faults);
        connect(card->host());
    }
    void connect(const std::string& host) {
        client = std::make_unique<transfer::CardClient>(prompts, host);
        client->setClock([] { return localTime("2015-12-05 19:22:31"); });
    }
    bool upload(std::optional<std::string> dir, std::string_view name, std::string_view data) {
        return client->uploadFile(dir, name, Bytes(data.begin(), data.end()));
    }
    std::string hostLine() const { return "Host: " + card->host() + "\r\n"; }
};

TEST_F(CardClientTest, DownloadKeepsAtMostTheCountOfAnyReply) {
    writeFile(root / "ACT/SUB/A.XML", "0123456789");
    writeFile(root / "EMPTY.XML", "");
    start();
    std::pair<std::uint64_t, std::uint64_t> progress;
    client->setProgressHook([&](std::uint64_t done, std::uint64_t all) { progress = {done, all}; });

    Bytes small(4), large(100);
    EXPECT_EQ(client->downloadFile("ACT%5CSUB%5CA.XML", small), 4u);
    EXPECT_EQ(text(small, 4), "0123");
    EXPECT_EQ(client->downloadFile("ACT%5CSUB%5CA.XML", large), 10u);
    EXPECT_EQ(text(large, 10), "0123456789");
    EXPECT_EQ(progress, std::make_pair(std::uint64_t{10}, std::uint64_t{10}));
    EXPECT_EQ(client->downloadFile("EMPTY.XML", large), 0u);
    // A missing file's error page is handed over as content; its status tells it apart.
    const std::size_t got = client->downloadFile("MISSING.XML", large);
    EXPECT_NE(text(large, got).find("Not Found"), std::string::npos);
    EXPECT_EQ(client->lastStatus(), 404);
    EXPECT_TRUE(prompts.messages.empty());

    EXPECT_EQ(card->requests().at(0),
              "GET /ACT%5CSUB%5CA.XML HTTP/1.1\r\n" + hostLine() +
                  "User-Agent: VKRandom\r\nAccept: */*\r\nPragma: no-cache\r\n"
                  "Cache-Control: no-cache\r\nConnection: close\r\n\r\n");
}

TEST_F(CardClientTest, UploadSendsTheExactCommandAndPost) {
    std::filesystem::create_directories(root / "ADDON");
    start();
    ASSERT_TRUE(upload("ADDON", "TEMP.VX4", std::string("a\0c", 3)));
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(readFile(root / "ADDON/TEMP.VX4"), std::string("a\0c", 3));

    const std::string delimiter = "--========================";
    const std::string body = delimiter + "\r\nContent-Disposition: form-data; name=\"upload.cgi\";"
                             "filename=\"TEMP.VX4\"\r\n" + delimiter + "\r\n\r\n" +
                             std::string("a\0c", 3) + "\r\n" + delimiter + "--\r\n";
    ASSERT_EQ(body.size(), 164u);
    EXPECT_EQ(card->requests(),
              (std::vector<std::string>{
                  "GET /upload.cgi?WRITEPROTECT=OFF&UPDIR=/ADDON&FTIME=0x47859ACF HTTP/1.1\r\n" +
                      hostLine() + "User-Agent: VKRandom\r\nAccept: */*\r\n\r\n",
                  "POST /upload.cgi HTTP/1.0\r\n" + hostLine() +
                      "User-Agent: VKRandom\r\nContent-Type: multipart/form-data;boundary="
                      "========================\r\nContent-Length: 164\r\n\r\n" + body}));
}

// Only the whole reply "SUCCESS", in any letter case, lets the POST go; the POST's own status
// does not matter.
TEST_F(CardClientTest, CommandReplyDecidesThePost) {
    const struct {
        std::vector<std::string> faults;
        bool posted;
        int lastStatus;
        std::string keptReply;
    } cases[] = {
        {{"--command-reply", "success"}, true, 200, "success"},
        {{"--command-reply", "SUCCESS\r\n"}, false, 200, "SUCCESS\r\n"},
        {{"--command-reply", "SUCCESS" + std::string(300, ' ')}, false, 200,
         "SUCCESS" + std::string(293, ' ')},
        {{"--status", "500"}, true, 500, "SUCCESS"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.faults.back());
        prompts.messages.clear();
        start(c.faults);
        EXPECT_EQ(upload(std::nullopt, "A.XML", "abc"), c.posted);
        EXPECT_EQ(client->lastStatus(), c.lastStatus);
        EXPECT_EQ(prompts.messages, c.posted ? std::vector<int>{} : std::vector<int>{msg120});
        EXPECT_EQ(card->requests().size(), c.posted ? 2u : 1u);
        EXPECT_EQ(client->sendCommand(client->uploadUrl()), c.keptReply);
    }
}

TEST_F(CardClientTest, CardThatDoesNotAnswerIsAFailure) {
    Bytes buffer(100);
    // Nothing listening: the bracket holds curl's description of the fault; no POST follows.
    connect("127.0.0.1:" + std::to_string(unusedLoopbackPort()));
    EXPECT_EQ(client->downloadFile("A.XML", buffer), 0u);
    ASSERT_EQ(prompts.messages, std::vector<int>{msg119});
    EXPECT_NE(prompts.messageTexts[0].find("onnect"), std::string::npos) << prompts.messageTexts[0];
    EXPECT_FALSE(upload("ADDON", "TEMP.VX4", "abc"));
    EXPECT_EQ(prompts.messages, (std::vector<int>{msg119, msg119, msg120}));

    // Accepted, then silent: given up within the time-outs.
    prompts.messages.clear();
    start({"--stall"});
    client->setTimeouts(2, 1);
    const auto began = std::chrono::steady_clock::now();
    EXPECT_EQ(client->downloadFile("A.XML", buffer), 0u);
    EXPECT_FALSE(upload("ADDON", "A.XML", "abc"));
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(8));
    EXPECT_EQ(prompts.messages, (std::vector<int>{msg119, msg119, msg120}));
    EXPECT_EQ(card->requests().size(), 2u);  // the download and the command, never a POST

    // A reply cut short fails, unless all that was asked for came before the break.
    writeFile(root / "A.XML", std::string(100, 'x'));
    prompts.messages.clear();
    start({"--truncate", "50"});
    EXPECT_EQ(client->downloadFile("A.XML", buffer), 0u);
    Bytes head(40);
    EXPECT_EQ(client->downloadFile("A.XML", head), 40u);
    EXPECT_EQ(prompts.messages, std::vector<int>{msg119});
}

}  // namespace
