// A card that misbehaves while a choice is read or exported: cut-off downloads, wrong lengths,
// replies too large or not HTTP at all, refused commands, a card that stops answering. The
// session reports 119/120/121 and 112, returns, and never sends a damaged file back.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <vector>

#include "core/choice_slot.h"
#include "core/messages.h"
#include "core/random_editor.h"
#include "scripted_card.h"
#include "support/card_emulator_process.h"
#include "support/fakes.h"
#include "support/temp_dir.h"
#include "transfer/card_client.h"

namespace {

using testing_support::CardEmulatorProcess;
using testing_support::readFile;
using testing_support::writeFile;

constexpr int msg112 = core::msgExportFailed;
constexpr int msg113 = core::msgExportSucceeded;
constexpr int msg119 = core::msgCardCommFailed;
constexpr int msg120 = core::msgCardUnreachable;
constexpr int msg121 = core::msgCardUploadFailed;
constexpr std::size_t slotOffset = 1000;
const std::string random4 = R"(<mem_r size="4" adr="0x0084"/>)";

std::string programBytes(std::size_t size) {
    std::string data(size, '\0');
    for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<char>("<abc>\r\n xyz"[i % 11]);
    data.replace(slotOffset, random4.size(), random4);
    return data;
}

std::string httpReply(const std::string& status, const std::string& headers,
                      const std::string& body) {
    return "HTTP/1.1 " + status + "\r\n" + headers + "Connection: close\r\n\r\n" + body;
}

bool isUploadRequest(const std::string& request) {
    return request.find("upload.cgi") != std::string::npos;
}

std::size_t uploadRequests(const std::vector<std::string>& requests) {
    std::size_t count = 0;
    for (const auto& r : requests) count += isUploadRequest(r);
    return count;
}

// A session on connection type 2 with an empty program folder: its files are on the card.
struct CardFaults : ::testing::Test {
    testing_support::TempDir dir;
    testing_support::FakePrompts prompts;
    testing_support::FakeWindow window;
    std::unique_ptr<core::CRandomEditor> editor;
    std::string original = programBytes(4096);

    std::string cardRoot() const { return dir / "card"; }
    std::string cardFile() const { return dir / "card/ACT/PROG.XML"; }

    void SetUp() override {
        writeFile(cardFile(), original);
        writeFile(dir / "Random.csv", "h\r\n0,E,x,ACT\\PROG.XML,4,1000,a,b,c,\r\n");
    }
    void startSession(const std::string& host) {
        writeFile(dir / "VKRandom.ini",
                  "[DATA]\r\nPATH=\r\n[REMOTE]\r\nCONNECT_TYPE=2\r\nCARD_HOST=" + host + "\r\n");
        prompts = {};
        window = {};
        editor = std::make_unique<core::CRandomEditor>(
            prompts, core::EditorOptions{dir / "VKRandom.ini", dir / "lock", dir.path(), {}});
        editor->startUp(window);
        editor->cardClient().setTimeouts(2, 2);
        ASSERT_EQ(window.lines.size(), 1u);
        window.select(0);
    }
    std::vector<int> selectShows() {
        prompts.messages.clear();
        editor->selectEntry(window);
        return prompts.messages;
    }
    std::vector<int> exportShows(int choice) {
        prompts.messages.clear();
        editor->exportChoice(choice);
        return prompts.messages;
    }
    std::string reply(const std::string& name, const std::string& bytes) {
        writeFile(dir / name, bytes);
        return dir / name;
    }
};

TEST_F(CardFaults, DamagedDownloadsAreNeverWrittenBack) {
    const std::string slotPage = programBytes(4096);
    const struct {
        const char* what;
        std::vector<std::string> options;
        std::vector<int> onSelect, onExport;
    } cases[] = {
        {"connection closed after 500 bytes", {"--truncate", "500"}, {msg119}, {msg119, msg112}},
        {"connection closed after the slot", {"--truncate", "2000"}, {}, {msg119, msg112}},
        {"Content-Length beyond the body",
         {"--reply-override",
          reply("long", httpReply("200 OK", "Content-Length: 9000\r\n", slotPage))},
         {},
         {msg119, msg112}},
        {"not HTTP at all",
         {"--reply-override",
          reply("garbage", std::string("\x00\xff\x13 SUCCESS\r\n\r\n<mem_r", 20))},
         {msg119},
         {msg119, msg112}},
        // Nothing arrived to put back: no message from the card client, only the failed export.
        {"nothing but a status line",
         {"--reply-override", reply("status", "HTTP/1.1 200 OK\r\n")},
         {},
         {msg112}},
        {"an empty reply", {"--reply-override", reply("empty", "")}, {msg119}, {msg119, msg112}},
        {"a negative length",
         {"--reply-override",
          reply("negative", httpReply("200 OK", "Content-Length: -4096\r\n", slotPage))},
         {msg119},
         {msg119, msg112}},
        {"broken chunked body",
         {"--reply-override", reply("chunks", httpReply("200 OK", "Transfer-Encoding: chunked\r\n",
                                                        "zz\r\n" + slotPage))},
         {msg119},
         {msg119, msg112}},
        {"an error page that holds a slot",
         {"--reply-override",
          reply("404", httpReply("404 Not Found", "Content-Length: 4096\r\n", slotPage))},
         {},
         {msg112}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CardEmulatorProcess card(cardRoot(), c.options);
        startSession(card.host());
        EXPECT_EQ(selectShows(), c.onSelect);
        EXPECT_EQ(exportShows(2), c.onExport);
        // Not even the upload's command went out, and the card's file is as it was.
        EXPECT_EQ(uploadRequests(card.requests()), 0u);
        EXPECT_EQ(readFile(cardFile()), original);
    }
}

// A Content-Length shorter than the file, with the rest of the file after it although the card
// said "Connection: close": what arrived is not the whole file and must not replace it.
TEST_F(CardFaults, ShortContentLengthWithMoreBytesFollowingIsNotUploaded) {
    for (const std::string lengths :
         {"Content-Length: 1100\r\n", "Content-Length: 4096\r\nContent-Length: 1100\r\n"}) {
        SCOPED_TRACE(lengths);
        faults::ScriptedCard card([&](const std::string& request) -> std::optional<std::string> {
            if (request.rfind("POST ", 0) == 0)
                return httpReply("200 OK", "Content-Length: 0\r\n", "");
            if (isUploadRequest(request))
                return httpReply("200 OK", "Content-Length: 7\r\n", "SUCCESS");
            return httpReply("200 OK", lengths, original);
        });
        startSession(card.host());
        selectShows();
        const auto shown = exportShows(2);
        EXPECT_EQ(uploadRequests(card.requests()), 0u)
            << "a file cut to 1100 of 4096 bytes went back";
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown.back(), msg112);
    }
}

TEST_F(CardFaults, OversizedFilesAreReadInPartAndNeverCutOnUpload) {
    // Ten megabytes: the choice is read from the first bytes; the export refuses the file.
    writeFile(cardFile(), programBytes(10 * 1024 * 1024));
    {
        CardEmulatorProcess card(cardRoot());
        startSession(card.host());
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(selectShows(), std::vector<int>{});
        EXPECT_EQ(window.checkedChoice(), 0);
        EXPECT_EQ(exportShows(2), std::vector<int>{msg112});
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
        EXPECT_LT(editor->cardClient().lastPulled(), 2u * 1024 * 1024);  // stopped, not drained
        EXPECT_EQ(uploadRequests(card.requests()), 0u);
        EXPECT_EQ(readFile(cardFile()), programBytes(10 * 1024 * 1024));
    }
    // The largest program a write handles goes back whole; one byte more is refused.
    for (const std::size_t size : {std::size_t{139264}, std::size_t{139265}}) {
        SCOPED_TRACE(size);
        const std::string before = programBytes(size);
        writeFile(cardFile(), before);
        CardEmulatorProcess card(cardRoot());
        startSession(card.host());
        selectShows();
        const bool fits = size == core::programBufferSize;
        EXPECT_EQ(exportShows(2), std::vector<int>{fits ? msg113 : msg112});
        const std::string after = readFile(cardFile());
        ASSERT_EQ(after.size(), before.size());
        EXPECT_EQ(after.substr(0, slotOffset), before.substr(0, slotOffset));
        EXPECT_EQ(after.substr(slotOffset + 30), before.substr(slotOffset + 30));
        EXPECT_EQ(uploadRequests(card.requests()), fits ? 2u : 0u);
    }
}

TEST_F(CardFaults, RefusedOrBrokenUploadsShow120Or121Then112) {
    {
        CardEmulatorProcess card(cardRoot(), {"--command-reply", "ERROR"});
        startSession(card.host());
        selectShows();
        EXPECT_EQ(exportShows(2), (std::vector<int>{msg120, msg112}));
        EXPECT_EQ(readFile(cardFile()), original);
        for (const auto& r : card.requests()) EXPECT_NE(r.rfind("POST ", 0), 0u);
    }
    // The card goes away after the download: the command gets no reply, then the POST none.
    for (const bool commandAnswered : {false, true}) {
        SCOPED_TRACE(commandAnswered);
        faults::ScriptedCard card([&](const std::string& request) -> std::optional<std::string> {
            if (request.rfind("POST ", 0) == 0) return std::nullopt;
            if (isUploadRequest(request)) {
                if (!commandAnswered) return std::nullopt;
                return httpReply("200 OK", "Content-Length: 7\r\n", "success");
            }
            return httpReply("200 OK", "Content-Length: 4096\r\n", original);
        });
        startSession(card.host());
        selectShows();
        EXPECT_EQ(exportShows(2), commandAnswered ? (std::vector<int>{msg119, msg121, msg112})
                                                  : (std::vector<int>{msg119, msg120, msg112}));
    }
}

TEST_F(CardFaults, SilentOrMissingCardEndsTheOperation) {
    // A card that takes the request and never answers: the session gives up and returns.
    {
        CardEmulatorProcess card(cardRoot(), {"--stall"});
        startSession(card.host());
        editor->cardClient().setTimeouts(1, 1);
        auto selected = std::async(std::launch::async, [&] { return selectShows(); });
        const bool returned =
            selected.wait_for(std::chrono::seconds(15)) == std::future_status::ready;
        EXPECT_TRUE(returned) << "a stalled card froze the session";
        if (returned) {
            EXPECT_EQ(selected.get(), std::vector<int>{msg119});
            auto exported = std::async(std::launch::async, [&] { return exportShows(2); });
            ASSERT_EQ(exported.wait_for(std::chrono::seconds(15)), std::future_status::ready);
            EXPECT_EQ(exported.get(), (std::vector<int>{msg119, msg112}));
        }
    }  // stopping the emulator releases a session that is still waiting
    // Nothing listening at the card's address.
    startSession("127.0.0.1:" + std::to_string(testing_support::unusedLoopbackPort()));
    EXPECT_EQ(selectShows(), std::vector<int>{msg119});
    EXPECT_EQ(window.checkedChoice(), -1);
    EXPECT_FALSE(window.isEnabled(core::idExportButton));
    EXPECT_EQ(exportShows(2), (std::vector<int>{msg119, msg112}));
}

// Execute on the card: a program that did not arrive whole is not staged, and the command
// record is only sent after the program was.
TEST_F(CardFaults, ExecutionNeverStagesADamagedProgramOrSendsARecordAlone) {
    const struct {
        const char* what;
        std::vector<std::string> options;
        std::size_t uploadRequests;
    } cases[] = {
        {"download cut off", {"--truncate", "500"}, 0},
        {"not HTTP", {"--reply-override", reply("garbage", "\x01\x02 nothing")}, 0},
        {"an error page",
         {"--reply-override",
          reply("404", httpReply("404 Not Found", "Content-Length: 5\r\n", "nope!"))},
         0},
        {"upload command refused", {"--command-reply", "ERROR"}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CardEmulatorProcess card(cardRoot(), c.options);
        startSession(card.host());
        editor->selectEntry(window);
        prompts.messages.clear();
        editor->executeSelected();
        const auto requests = card.requests();
        EXPECT_EQ(uploadRequests(requests), c.uploadRequests);
        for (const auto& r : requests) EXPECT_EQ(r.find("REMOTE.LOG"), std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(cardRoot() + "/ADDON"));
        for (const int id : prompts.messages)
            EXPECT_TRUE(id == msg119 || id == msg120 || id == msg121 ||
                        id == core::msgProgramReadFailed);
    }
}

}  // namespace
