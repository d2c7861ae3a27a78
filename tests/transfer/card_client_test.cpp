// The card client against the card emulator over real HTTP on loopback: the exact requests,
// what is kept of each reply, and which messages every kind of failure shows.
#include "transfer/card_client.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
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

std::tm uploadTime() {
    std::tm t{};
    t.tm_year = 2015 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 5;
    t.tm_hour = 19;
    t.tm_min = 22;
    t.tm_sec = 31;
    t.tm_isdst = -1;
    return t;
}

std::string text(const Bytes& bytes, std::size_t count) {
    return {reinterpret_cast<const char*>(bytes.data()), count};
}

Bytes bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

std::string encoded(std::string_view path) {
    char buffer[256];
    return transfer::percentEncodePath(path, buffer, sizeof buffer) ? buffer : "";
}

struct CardClientTest : ::testing::Test {
    TempDir root;
    FakePrompts prompts;
    std::unique_ptr<CardEmulatorProcess> card;
    std::unique_ptr<transfer::CardClient> client;

    void start(std::vector<std::string> faults = {}) {
        card = std::make_unique<CardEmulatorProcess>(root.path(), std::move(faults));
        connect(card->host());
    }
    void connect(const std::string& host) {
        client = std::make_unique<transfer::CardClient>(prompts, host);
        client->setClock(uploadTime);
    }
    std::size_t download(std::string_view path, Bytes& buffer) {
        return client->downloadFile(encoded(path), buffer);
    }
    bool upload(std::optional<std::string> dir, std::string_view name, std::string_view data) {
        return client->uploadFile(dir, name, bytesOf(data));
    }
    std::string hostLine() const { return "Host: " + card->host() + "\r\n"; }
};

TEST_F(CardClientTest, DownloadKeepsAtMostTheCountOfAnyReply) {
    writeFile(root / "ACT/SUB/A.XML", "0123456789");
    writeFile(root / "EMPTY.XML", "");
    start();

    Bytes small(4), large(100);
    EXPECT_EQ(download("ACT\\SUB\\A.XML", small), 4u);
    EXPECT_EQ(text(small, 4), "0123");
    EXPECT_EQ(client->lastStatus(), 200);
    EXPECT_EQ(download("ACT\\SUB\\A.XML", large), 10u);
    EXPECT_EQ(text(large, 10), "0123456789");
    EXPECT_EQ(download("EMPTY.XML", large), 0u);
    // A missing file's error page is handed over as content; its status tells it apart.
    const std::size_t got = download("MISSING.XML", large);
    EXPECT_GT(got, 0u);
    EXPECT_NE(text(large, got).find("Not Found"), std::string::npos);
    EXPECT_EQ(client->lastStatus(), 404);
    EXPECT_TRUE(prompts.messages.empty());

    EXPECT_EQ(card->requests().at(0), "GET /" + encoded("ACT\\SUB\\A.XML") + " HTTP/1.1\r\n" +
                                          hostLine() +
                                          "User-Agent: VKRandom\r\nAccept: */*\r\n"
                                          "Pragma: no-cache\r\nCache-Control: no-cache\r\nConnection: close\r\n\r\n");
}

TEST_F(CardClientTest, ChoiceReadStopsSoonAfterTheCount) {
    std::string program(100 * 1024, '\0');
    for (std::size_t i = 0; i < program.size(); ++i) program[i] = static_cast<char>('A' + i % 23);
    writeFile(root / "PROG.XML", program);
    start();

    Bytes buffer(1031);
    EXPECT_EQ(download("PROG.XML", buffer), 1031u);
    EXPECT_EQ(text(buffer, 1031), program.substr(0, 1031));
    EXPECT_LE(client->lastPulled(), 1031u + 16384u);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(CardClientTest, UploadSendsTheExactCommandAndPost) {
    writeFile(root / "ADDON/OLD.LOG", "");
    start();

    ASSERT_TRUE(upload("ADDON", "TEMP.VX4", std::string("a\0c", 3)));
    ASSERT_TRUE(upload("ADDON", "ADDON\\REMOTE.LOG", "0123456789abcdef"));
    EXPECT_TRUE(prompts.messages.empty());

    const auto requests = card->requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0],
              "GET /upload.cgi?WRITEPROTECT=OFF&UPDIR=/ADDON&FTIME=0x47859ACF HTTP/1.1\r\n" +
                  hostLine() + "User-Agent: VKRandom\r\nAccept: */*\r\n\r\n");
    EXPECT_EQ(requests[1], "POST /upload.cgi HTTP/1.0\r\n" + hostLine() +
                               "User-Agent: VKRandom\r\n"
                               "Content-Type: multipart/form-data;boundary========================="
                               "\r\nContent-Length: 164\r\n\r\n" +
                               transfer::postBody("TEMP.VX4", bytesOf(std::string("a\0c", 3))));

    // Stored where the command pointed, with the command's time (seconds halved).
    EXPECT_EQ(readFile(root / "ADDON/TEMP.VX4"), std::string("a\0c", 3));
    EXPECT_EQ(readFile(root / "ADDON/REMOTE.LOG"), "0123456789abcdef");
    struct stat info {};
    ASSERT_EQ(stat((root / "ADDON/TEMP.VX4").c_str(), &info), 0);
    std::tm expected = uploadTime();
    expected.tm_sec = 30;
    EXPECT_EQ(info.st_mtime, std::mktime(&expected));
}

TEST_F(CardClientTest, UnreachableCardShows119ThenNoPost) {
    connect("127.0.0.1:" + std::to_string(unusedLoopbackPort()));
    Bytes buffer(16);
    EXPECT_EQ(download("A.XML", buffer), 0u);
    ASSERT_EQ(prompts.messages, std::vector<int>{msg119});
    // The bracket holds curl's description of the fault.
    EXPECT_NE(prompts.messageTexts[0].find("onnect"), std::string::npos) << prompts.messageTexts[0];

    prompts.messages.clear();
    EXPECT_FALSE(upload("ADDON", "TEMP.VX4", "abc"));
    EXPECT_EQ(prompts.messages, (std::vector<int>{msg119, msg120}));
}

struct CommandReplyCase {
    std::string reply;
    bool accepted;
};

TEST_F(CardClientTest, OnlyTheWholeReplySuccessInAnyCaseLetsThePostGo) {
    const std::vector<CommandReplyCase> cases = {
        {"success", true},
        {"SUCCESS\r\n", false},
        {"SUCCESS" + std::string(300, ' '), false},
        {"ERROR", false},
    };
    for (const auto& [reply, accepted] : cases) {
        SCOPED_TRACE(reply);
        prompts.messages.clear();
        start({"--command-reply", reply});
        EXPECT_EQ(upload(std::nullopt, "A.XML", "abc"), accepted);
        EXPECT_EQ(prompts.messages, accepted ? std::vector<int>{} : std::vector<int>{msg120});
        EXPECT_EQ(card->requests().size(), accepted ? 2u : 1u);
        EXPECT_EQ(card->requests().at(0).substr(0, 50),
                  "GET /upload.cgi?WRITEPROTECT=OFF&UPDIR=/&FTIME=0x4");
        EXPECT_EQ(client->sendCommand(client->uploadUrl()), reply.substr(0, 300));
    }
}

TEST_F(CardClientTest, PostAnsweredWithAnErrorStatusStillCounts) {
    start({"--status", "500"});
    EXPECT_TRUE(client->postFile("A.XML", bytesOf("abc")));
    EXPECT_EQ(client->lastStatus(), 500);
    EXPECT_TRUE(upload("ADDON", "A.XML", "abc"));
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(CardClientTest, StalledCardIsGivenUpWithinTheTimeouts) {
    start({"--stall"});
    client->setTimeouts(2, 1);
    const auto began = std::chrono::steady_clock::now();
    Bytes buffer(16);
    EXPECT_EQ(download("A.XML", buffer), 0u);
    EXPECT_FALSE(upload("ADDON", "A.XML", "abc"));
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(8));
    EXPECT_EQ(prompts.messages, (std::vector<int>{msg119, msg119, msg120}));
    EXPECT_EQ(card->requests().size(), 2u);  // the download and the command, never a POST
}

TEST_F(CardClientTest, BrokenRepliesAreFailures) {
    writeFile(root / "A.XML", std::string(100, 'x'));
    {
        start({"--truncate", "50"});
        Bytes buffer(100);
        EXPECT_EQ(download("A.XML", buffer), 0u);  // part arrived, yet the read failed
        EXPECT_EQ(prompts.messages, std::vector<int>{msg119});
        Bytes head(40);
        EXPECT_EQ(download("A.XML", head), 40u);  // all we asked for came before the break
        EXPECT_EQ(prompts.messages.size(), 1u);
    }
    writeFile(root / "garbage", "garbage\r\n\r\n");
    prompts.messages.clear();
    start({"--reply-override", root / "garbage"});
    Bytes buffer(100);
    EXPECT_EQ(download("A.XML", buffer), 0u);
    EXPECT_FALSE(client->postFile("A.XML", bytesOf("abc")));
    EXPECT_FALSE(upload("ADDON", "A.XML", "abc"));
    EXPECT_EQ(prompts.messages, (std::vector<int>{msg119, msg119, msg119, msg120}));
}

TEST_F(CardClientTest, ProgressHookFollowsDownloadAndPost) {
    writeFile(root / "PROG.XML", std::string(50000, 'p'));
    start();
    std::vector<std::pair<std::uint64_t, std::uint64_t>> calls;
    client->setProgressHook(
        [&](std::uint64_t done, std::uint64_t expected) { calls.emplace_back(done, expected); });

    Bytes buffer(139264);
    EXPECT_EQ(download("PROG.XML", buffer), 50000u);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), std::make_pair(std::uint64_t{50000}, std::uint64_t{50000}));

    calls.clear();
    const Bytes data(20000, 'd');
    EXPECT_TRUE(client->postFile("A.XML", data));
    ASSERT_FALSE(calls.empty());
    const std::uint64_t body = 153 + 5 + 20000;
    EXPECT_EQ(calls.back(), std::make_pair(body, body));
}

}  // namespace
