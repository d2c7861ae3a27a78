// A card that misbehaves while a choice on it is read or exported: replies whose length is not
// the declared one, replies that are not HTTP, error pages, huge files, a card that goes away
// between download and upload, names holding NUL. The session shows 119/120/121 and 112, and a
// damaged or misnamed file never goes back to the card.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "core/choice_slot.h"
#include "core/messages.h"
#include "core/random_editor.h"
#include "platform/paths.h"
#include "support/card_emulator_process.h"
#include "support/fakes.h"
#include "support/scripted_card.h"
#include "support/temp_dir.h"
#include "transfer/card_client.h"

namespace {

using namespace std::string_literals;
using testing_support::readFile;
using testing_support::ScriptedCard;
using testing_support::writeFile;
using Reply = std::optional<std::string>;
using Shown = std::vector<int>;

constexpr int msg112 = core::msgExportFailed;
constexpr int msg113 = core::msgExportSucceeded;
constexpr int msg119 = core::msgCardCommFailed;
constexpr int msg120 = core::msgCardUnreachable;
constexpr int msg121 = core::msgCardUploadFailed;
constexpr std::size_t slotOffset = 1000;

std::string programBytes(std::size_t size) {
    std::string data(size, '\0');
    for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<char>("<abc>\r\n xyz"[i % 11]);
    data.replace(slotOffset, 30, R"(<mem_r size="4" adr="0x0084"/>)");
    return data;
}

std::string httpReply(const std::string& headers, const std::string& body,
                      const std::string& status = "200 OK") {
    return "HTTP/1.1 " + status + "\r\n" + headers + "Connection: close\r\n\r\n" + body;
}

std::string length(std::size_t bytes) {
    return "Content-Length: " + std::to_string(bytes) + "\r\n";
}

// The upload's command and its POST both address upload.cgi.
std::size_t uploadRequests(const std::vector<std::string>& requests) {
    std::size_t count = 0;
    for (const auto& r : requests) count += r.find("upload.cgi") != std::string::npos;
    return count;
}

// A session on connection type 2 with an empty program folder: its one file is on the card.
struct CardFaults : ::testing::Test {
    testing_support::TempDir dir;
    testing_support::FakePrompts prompts;
    testing_support::FakeWindow window;
    std::unique_ptr<core::CRandomEditor> editor;
    const std::string original = programBytes(4096);

    std::string cardFile() const { return dir / "card/ACT/PROG.XML"; }

    void startSession(const std::string& host, const std::string& fileName = "ACT\\PROG.XML") {
        writeFile(dir / "VKRandom.ini",
                  "[DATA]\r\nPATH=\r\n[REMOTE]\r\nCONNECT_TYPE=2\r\nCARD_HOST=" + host + "\r\n");
        writeFile(dir / "Random.csv", "h\r\n0,E,x," + fileName + ",4,1000,a,b,c,\r\n");
        prompts = {};
        window = {};
        editor = std::make_unique<core::CRandomEditor>(
            prompts, core::EditorOptions{dir / "VKRandom.ini", dir / "lock", dir.path(), {}});
        editor->startUp(window);
        editor->cardClient().setTimeouts(2, 2);
        window.select(0);
    }
    Shown selectShows() {
        prompts.messages.clear();
        editor->selectEntry(window);
        return prompts.messages;
    }
    Shown exportShows(int choice) {
        prompts.messages.clear();
        editor->exportChoice(choice);
        return prompts.messages;
    }
};

// Every reply is scripted: the upload's command and POST would be accepted if they were sent.
TEST_F(CardFaults, DamagedRepliesOrAVanishingCardNeverPutADamagedFileBack) {
    const std::string whole = httpReply(length(4096), original);
    const Reply accepted = httpReply(length(7), "success");
    const struct {
        const char* what;
        std::string file;
        Reply command, post;
        Shown onSelect, onExport;
        std::size_t uploadRequests;
    } cases[] = {
        {"Content-Length beyond the body", httpReply(length(9000), original), accepted, accepted,
         {}, {msg119, msg112}, 0},
        // The rest of the file follows the declared length although the card said "close".
        {"Content-Length short of the body", httpReply(length(1100), original), accepted,
         accepted, {}, {msg119, msg112}, 0},
        // The last one matches the body, yet which the card meant cannot be known.
        {"conflicting Content-Lengths", httpReply(length(1100) + length(4096), original),
         accepted, accepted, {msg119}, {msg119, msg112}, 0},
        {"not HTTP at all", "\x00\xff\x13 SUCCESS\r\n\r\n<mem_r"s, accepted, accepted, {msg119},
         {msg119, msg112}, 0},
        {"an error page holding a slot", httpReply(length(4096), original, "404 Not Found"),
         accepted, accepted, {}, {msg112}, 0},
        {"upload command refused", whole, httpReply(length(5), "ERROR"), accepted, {},
         {msg120, msg112}, 1},
        {"card gone before the command's reply", whole, std::nullopt, std::nullopt, {},
         {msg119, msg120, msg112}, 1},
        {"card gone before the POST's reply", whole, accepted, std::nullopt, {},
         {msg119, msg121, msg112}, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedCard card([&](const std::string& request) -> Reply {
            if (request.rfind("POST ", 0) == 0) return c.post;
            return request.find("upload.cgi") != std::string::npos ? c.command : c.file;
        });
        startSession(card.host());
        EXPECT_EQ(selectShows(), c.onSelect);
        EXPECT_EQ(exportShows(2), c.onExport);
        EXPECT_EQ(uploadRequests(card.takeRequests()), c.uploadRequests);
    }
}

// Ten megabytes: the choice comes from the first bytes, the export stops pulling soon after
// the largest program a write handles and refuses the file; a file of exactly that size goes
// back whole.
TEST_F(CardFaults, OversizedFileIsReadInPartAndNeverCutOnUpload) {
    for (const std::size_t size : {core::programBufferSize, std::size_t{10} << 20}) {
        SCOPED_TRACE(size);
        const bool fits = size == core::programBufferSize;
        std::string expected = programBytes(size);
        writeFile(cardFile(), expected);
        testing_support::CardEmulatorProcess card(dir / "card");
        startSession(card.host());
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(selectShows(), Shown{});
        EXPECT_EQ(window.checkedChoice(), 0);
        EXPECT_EQ(exportShows(2), Shown{fits ? msg113 : msg112});
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
        EXPECT_LT(editor->cardClient().lastPulled(), std::size_t{2} << 20);  // not drained
        EXPECT_EQ(uploadRequests(card.requests()), fits ? 2u : 0u);
        if (fits) {
            const auto slot = core::encodeChoice(2, 4);
            std::copy(slot.begin(), slot.end(), expected.begin() + slotOffset);
        }
        EXPECT_TRUE(readFile(cardFile()) == expected);
    }
}

// The system reads a path only up to its first NUL: a name holding one must never reach a file
// operation or the card as a different, shorter name.
TEST_F(CardFaults, NameHoldingNulNeverAddressesAShorterOne) {
    writeFile(dir / "robot/A.XML", "x");
    // Seen up to the NUL these are robot/A.XML, the robot folder's parent, and robot itself.
    for (const std::string& name : {"A.XML\0.BAK"s, "..\0"s, "ACT\\..\0\\A.XML"s})
        EXPECT_FALSE(platform::resolveProgramPath(dir / "robot", name));

    ScriptedCard card([&](const std::string& request) -> Reply {
        if (request.find("upload.cgi") != std::string::npos) return httpReply(length(7), "SUCCESS");
        return httpReply(length(4096), original);
    });
    // Downloaded as ACT<NUL>X\B.XML; cut at the NUL it would go back as the file ACT.
    startSession(card.host(), "ACT\0X\\B.XML"s);
    selectShows();
    EXPECT_EQ(exportShows(1), Shown{msg112});
    EXPECT_EQ(uploadRequests(card.takeRequests()), 0u);
}

}  // namespace
