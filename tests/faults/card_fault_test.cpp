// A card that misbehaves while a choice on it is read or exported: replies whose length is not
// the declared one, replies that are not HTTP, error pages, a card that goes away between
// download and upload. The session shows 119/120/121 and 112, and a
// damaged or misnamed file never goes back to the card.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/choice_slot.h"
#include "core/messages.h"
#include "core/random_editor.h"
#include "support/session_fixture.h"
#include "scripted_card.h"
#include "transfer/card_client.h"

namespace {

using namespace std::string_literals;
using namespace testing_support;
using Reply = std::optional<std::string>;
using Shown = std::vector<int>;
constexpr int msg112 = 112, msg119 = 119, msg120 = 120, msg121 = 121;

std::string httpReply(const std::string& headers, const std::string& body,
                      const std::string& status = "200 OK") {
    return "HTTP/1.1 " + status + "\r\n" + headers + "Connection: close\r\n\r\n" + body;
}

std::string length(std::size_t bytes) {
    return "Content-Length: " + std::to_string(bytes) + "\r\n";
}

// A session on connection type 2 with an empty program folder: its one file is on the card.
struct CardFaults : SessionFixture {
    std::string original = std::string(1000, 'x') + random4 + std::string(3066, 'y');
    void startSession(const std::string& host) {
        settings("[DATA]\r\nPATH=\r\n[REMOTE]\r\nCONNECT_TYPE=2\r\nCARD_HOST=" + host + "\r\n");
        catalogue("0,E,x,ACT\\PROG.XML,4,1000,a,b,c,\r\n");
        prompts = {};
        window = {};
        editor.reset();
        start();
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
        std::size_t uploads = 0;  // the upload's command and its POST both address upload.cgi
        for (const auto& r : card.takeRequests()) uploads += r.find("upload.cgi") != std::string::npos;
        EXPECT_EQ(uploads, c.uploadRequests);
    }
}

}  // namespace
