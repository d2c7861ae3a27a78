// The card client against the card emulator over real HTTP on loopback: the texts it builds,
// the exact requests (golden files in tests/data/), what is kept of each reply, and what every
// failure shows; then sessions whose programs are on the card.
#include <gtest/gtest.h>

#include <cstring>

#include "core/choice_slot.h"
#include "support/card_emulator_process.h"
#include "support/cases.h"
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

// Sessions on connection type 2 whose programs are on the card, or uploaded from a folder.
struct CardSession : Card {
    FakeWindow window;
    std::unique_ptr<core::CRandomEditor> editor;
    void startSession(const std::string& csv, const std::string& folder = "",
                      const std::vector<std::string>& faults = {}) {
        editor.reset();
        start(faults);
        writeFile(dir / "Random.csv", "h\r\n" + csv);
        writeFile(dir / "s.ini", "[DATA]\r\nPATH=" + folder + "\r\n[REMOTE]\r\nCONNECT_TYPE=2\r\n"
                                 "CARD_HOST=" + card->host() + "\r\n");
        editor = std::make_unique<core::CRandomEditor>(
            prompts, core::EditorOptions{dir / "s.ini", dir / "lock", dir.path(), {}});
        editor->startUp(window);
        editor->cardClient().setClock([] {
            std::tm t{};
            std::tie(t.tm_year, t.tm_mon, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec) =
                std::tuple(115, 11, 5, 19, 22, 31);
            return t;
        });
    }
    void select(int line) {
        window.select(line);
        editor->selectEntry(window);
    }
    bool execute(int line) {
        select(line);
        return editor->executeSelected();
    }
    std::string log() const {
        std::string all;
        for (const auto& r : card->requests()) all += "#REQUEST\n" + r + "\n";
        for (auto at = all.find(card->host()); at != std::string::npos; at = all.find(card->host()))
            all.replace(at, card->host().size(), "HOST");
        return all;
    }
};

TEST_F(CardSession, ChoicesRoundTripAndOnlyWholeFilesGoBack) {
    const std::string head(1000, 'p'), tail(100000, 'q');
    const auto slot = [](int choice) {
        const auto s = core::encodeChoice(choice, 2);
        return std::string(s.begin(), s.end());
    };
    writeFile(root() + "/ACT/SUB/A.XML", head + slot(0) + tail);
    writeFile(root() + "/ROOT.XML", head + slot(0) + tail);
    std::string tooLong = std::string(10, 't') + slot(0) + std::string(139225, 't');
    writeFile(root() + "/LONG.XML", tooLong);
    startSession("0,deep,x,\"ACT\\SUB\\A.XML\",2,1000,a,b,c,\r\n0,top,x,ROOT.XML,2,1000,a,b,c,\r\n"
                 "0,long,x,LONG.XML,2,10,a,\r\n0,gone,x,GONE.XML,2,10,a,\r\n");
    for (const char* file : {"/ACT/SUB/A.XML", "/ROOT.XML"}) {
        select(file[1] == 'A' ? 0 : 1);
        EXPECT_EQ(window.checkedChoice(), 0);
        EXPECT_LT(editor->cardClient().lastPulled(), 20000u);  // a read fetches only the start
        for (int choice : {3, 0}) {
            prompts.messages.clear();
            editor->exportChoice(choice);
            EXPECT_EQ(prompts.messages, Ids{113});
            EXPECT_EQ(readFile(root() + file), head + slot(choice) + tail);
            select(file[1] == 'A' ? 0 : 1);
            EXPECT_EQ(window.checkedChoice(), choice);
        }
    }
    const auto requests = card->requests().size();
    for (int line : {2, 3}) {
        select(line);
        EXPECT_FALSE(editor->writeChoice(1)) << line;
    }
    EXPECT_EQ(readFile(root() + "/LONG.XML"), tooLong);
    EXPECT_FALSE(std::filesystem::exists(root() + "/GONE.XML"));
    EXPECT_EQ(card->requests().size(), requests + 4);  // four reads, no upload
}

// Replies that are not the whole file (a length that is not the declared one, no HTTP at all,
// an error page) or a card gone before its reply: a choice may still be read from the start,
// but a damaged file never goes back to the card.
TEST_F(CardSession, DamagedRepliesNeverGoBackToTheCard) {
    const std::string file = std::string(1000, 'x') + R"(<mem_r size="4" adr="0x0084"/>)" +
                             std::string(3066, 'y');
    writeFile(root() + "/PROG.XML", file);
    const auto reply = [&](const std::string& status, const std::string& headers) {
        return "HTTP/1.1 " + status + "\r\n" + headers + "Connection: close\r\n\r\n" + file;
    };
    const auto length = [](int n) { return "Content-Length: " + std::to_string(n) + "\r\n"; };
    const struct {
        std::string to, reply;
        Ids onSelect, onExport;
        std::size_t uploadRequests;
    } cases[] = {
        {"download", reply("200 OK", length(9000)), {}, {119, 112}, 0},
        {"download", reply("200 OK", length(1100)), {}, {119, 112}, 0},  // more although "close"
        {"download", reply("200 OK", length(1100) + length(4096)), {119}, {119, 112}, 0},
        {"download", "\x00\xff\x13 SUCCESS\r\n\r\n<mem_r"s, {119}, {119, 112}, 0},
        {"download", reply("404 Not Found", length(4096)), {}, {112}, 0},
        {"command", "HTTP/1.1 200 OK\r\n\r\nERROR", {}, {120, 112}, 1},
        {"command", "", {}, {119, 120, 112}, 1},  // an empty script: closed without a reply
        {"post", "", {}, {119, 121, 112}, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.to + " " + c.reply.substr(0, 40));
        writeFile(dir / "reply", c.reply);
        prompts = {};
        startSession("0,E,x,PROG.XML,4,1000,a,b,c,\r\n", "", {"--reply-to", c.to, dir / "reply"});
        select(0);
        EXPECT_EQ(prompts.messages, c.onSelect);
        prompts.messages.clear();
        editor->exportChoice(2);
        EXPECT_EQ(prompts.messages, c.onExport);
        std::size_t uploads = 0;  // the upload's command and its POST both address upload.cgi
        for (const auto& r : card->requests()) uploads += r.find("upload.cgi") != std::string::npos;
        EXPECT_EQ(uploads, c.uploadRequests);
        EXPECT_EQ(readFile(root() + "/PROG.XML"), file);
    }
}

// The program goes back as ADDON/TEMP.VX4, then the record: the exact requests are golden.
TEST_F(CardSession, ExecutionSendsTheProgramThenTheRecord) {
    writeFile(root() + "/ACT/A.XML", "program on the card");
    startSession("0,A,x,ACT\\A.XML,4,0,a,\r\n");
    EXPECT_TRUE(execute(0));
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(log(), golden("card_execution.http", log()));
    EXPECT_EQ(readFile(root() + "/ADDON/TEMP.VX4"), "program on the card");
}

// A program longer than 139,264 bytes would reach the robot cut short: it is refused (122)
// whether it is local or on the card, and nothing is uploaded.
TEST_F(CardSession, LocalProgramsAreUploadedAndLongOnesRefused) {
    writeFile(dir / "robot/ACT/A.XML", "local program");
    const std::string big(139265, 'b');
    writeFile(dir / "robot/BIG.XML", big);
    writeFile(root() + "/BIG.XML", big);
    writeFile(dir / "robot/STARTUP.XML", "<x/>");
    const std::string csv = "0,A,x,ACT\\A.XML,4,0,a,\r\n0,B,x,BIG.XML,4,0,a,\r\n";
    startSession(csv, dir / "robot");
    EXPECT_TRUE(execute(0));
    EXPECT_EQ(readFile(root() + "/ADDON/TEMP.VX4"), "local program");
    EXPECT_FALSE(execute(1));
    startSession(csv, "");
    EXPECT_FALSE(execute(1));
    EXPECT_EQ(prompts.messages, (Ids{122, 122}));
    EXPECT_EQ(readFile(root() + "/ADDON/TEMP.VX4"), "local program");
}

TEST_F(CardSession, NothingFollowsAMissingProgramOrAFailedStep) {
    writeFile(root() + "/EMPTY.XML", "");
    writeFile(root() + "/ACT/A.XML", "a program longer than five bytes");
    const std::string csv = "0,A,x,ACT\\A.XML,4,0,a,\r\n0,E,x,EMPTY.XML,4,0,a,\r\n"
                            "0,G,x,GONE.XML,4,0,a,\r\n";
    startSession(csv);
    EXPECT_FALSE(execute(1));  // an empty program: nothing sent, nothing said
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_FALSE(execute(2));  // the card's error page is not a program to run
    EXPECT_EQ(prompts.messages, Ids{122});
    // A program cut short on the way, or refused by the card: no record follows.
    prompts = {};
    startSession(csv, "", {"--truncate", "5"});
    EXPECT_FALSE(execute(0));
    EXPECT_EQ(prompts.messages, (Ids{119, 119}));  // the selection's read, then ours
    prompts = {};
    startSession(csv, "", {"--command-reply", "FAIL"});
    EXPECT_TRUE(execute(0));
    EXPECT_EQ(prompts.messages, Ids{120});
    for (const auto& request : card->requests()) EXPECT_EQ(request.find("POST"), std::string::npos);
}

}  // namespace
