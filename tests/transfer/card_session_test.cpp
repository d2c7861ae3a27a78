// Sessions on connection type 2 whose card is the emulator, serving a temp folder: choices
// read and written on the card, and execution through it. Compared byte for byte with what
// the emulator stored.
#include <gtest/gtest.h>

#include "core/choice_slot.h"
#include "core/random_editor.h"
#include "support/card_emulator_process.h"
#include "support/fakes.h"
#include "support/temp_dir.h"
#include "transfer/card_client.h"

namespace {

using testing_support::readFile;
using testing_support::writeFile;

struct CardSession : ::testing::Test {
    testing_support::TempDir dir;
    testing_support::FakePrompts prompts;
    testing_support::FakeWindow window;
    std::unique_ptr<testing_support::CardEmulatorProcess> card;
    std::unique_ptr<core::CRandomEditor> editor;
    std::string cardRoot() const { return dir / "card"; }

    // Starts the card (with emulator fault flags) and a session using it; an empty program
    // folder means the programs are on the card.
    void start(const std::string& programFolder, const std::vector<std::string>& faults = {}) {
        editor.reset();  // one session at a time holds the lock
        std::filesystem::create_directories(cardRoot());
        card = std::make_unique<testing_support::CardEmulatorProcess>(cardRoot(), faults);
        writeFile(dir / "s.ini", "[DATA]\r\nPATH=" + programFolder +
                                     "\r\n[REMOTE]\r\nCONNECT_TYPE=2\r\nCARD_HOST=" + card->host() +
                                     "\r\n");
        editor = std::make_unique<core::CRandomEditor>(
            prompts, core::EditorOptions{dir / "s.ini", dir / "lock", dir.path(), {}});
        editor->startUp(window);
    }
    void select(int line) {
        window.select(line);
        editor->selectEntry(window);
    }
    // Whether any request the card received so far contains `part`.
    bool cardSaw(const std::string& part) const {
        for (const auto& request : card->requests())
            if (request.find(part) != std::string::npos) return true;
        return false;
    }
};

const std::string random2 = R"(<mem_r size="2" adr="0x0f0a"/>)";

std::string slotText(int choice) {
    const auto s = core::encodeChoice(choice, 2);
    return {s.begin(), s.end()};
}

// Choices read and written on the card: no program folder.
struct CardChoice : CardSession {
    void start(const std::string& catalogueLines) {
        writeFile(dir / "Random.csv", "h\r\n" + catalogueLines);
        CardSession::start("");
    }
};

TEST_F(CardChoice, RoundTripInSubfoldersAndAtTheRoot) {
    const std::string head(1000, 'p'), tail(100000, 'q');
    writeFile(cardRoot() + "/ACT/SUB/A.XML", head + random2 + tail);
    writeFile(cardRoot() + "/ROOT.XML", head + random2 + tail);
    start("0,deep,x,\"ACT\\SUB\\A.XML\",2,1000,a,b,c,\r\n0,top,x,ROOT.XML,2,1000,a,b,c,\r\n");
    for (int line : {0, 1}) {
        const std::string file = cardRoot() + (line == 0 ? "/ACT/SUB/A.XML" : "/ROOT.XML");
        select(line);
        EXPECT_EQ(window.checkedChoice(), 0);
        EXPECT_LT(editor->cardClient().lastPulled(), 20000u);  // a read fetches only the start
        for (int choice : {3, 0}) {
            prompts.messages.clear();
            editor->exportChoice(choice);
            EXPECT_EQ(prompts.messages, (std::vector<int>{113}));
            EXPECT_EQ(readFile(file), head + slotText(choice) + tail);
            select(line);
            EXPECT_EQ(window.checkedChoice(), choice);
        }
    }
    // The upload named the directory in its command and the bare name in its POST.
    EXPECT_TRUE(cardSaw("UPDIR=/ACT/SUB&FTIME=0x"));
    EXPECT_TRUE(cardSaw("filename=\"A.XML\""));
}

TEST_F(CardChoice, WriteRefusesWhatIsNotTheWholeProgram) {
    std::string tooLong(139265, 't');
    tooLong.replace(10, 30, random2);
    writeFile(cardRoot() + "/LONG.XML", tooLong);
    writeFile(cardRoot() + "/SHORT.XML", "short");
    start("0,long,x,LONG.XML,2,10,a,\r\n0,gone,x,GONE.XML,2,10,a,\r\n"
          "0,short,x,SHORT.XML,2,10,a,\r\n");
    for (int line : {0, 1, 2}) {
        select(line);
        EXPECT_FALSE(editor->writeChoice(1)) << line;
    }
    EXPECT_EQ(readFile(cardRoot() + "/LONG.XML"), tooLong);
    EXPECT_EQ(readFile(cardRoot() + "/SHORT.XML"), "short");
    EXPECT_FALSE(std::filesystem::exists(cardRoot() + "/GONE.XML"));
    EXPECT_FALSE(cardSaw("upload.cgi"));
}

// Execution through the card's HTTP interface.
struct CardExecution : CardSession {
    void SetUp() override {
        std::filesystem::create_directories(cardRoot() + "/ADDON");
        writeFile(dir / "Random.csv", "h\r\n0,A,x,ACT\\A.XML,4,0,a,\r\n0,E,x,EMPTY.XML,4,0,a,\r\n"
                                      "0,G,x,GONE.XML,4,0,a,\r\n0,B,x,BIG.XML,4,0,a,\r\n");
    }
    bool execute(int line) {
        select(line);
        return editor->executeSelected();
    }
    std::string sentProgram() const { return readFile(cardRoot() + "/ADDON/TEMP.VX4"); }
    std::string sentRecord() const { return readFile(cardRoot() + "/ADDON/REMOTE.LOG"); }
};

TEST_F(CardExecution, ProgramFromTheCardGoesBackAsTempThenTheRecord) {
    writeFile(cardRoot() + "/ACT/A.XML", "program on the card");
    start("");
    EXPECT_TRUE(execute(0));
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(sentProgram(), "program on the card");
    const auto record = core::buildRemoteLogRecord(0, 1000);
    EXPECT_EQ(sentRecord(), std::string(record.begin(), record.end()));
    // The path travels fully percent-encoded, its backslash too; the record under its long name.
    EXPECT_TRUE(cardSaw("GET /%41%43%54%5C%41%2E%58%4D%4C HTTP/1.1\r\n"));
    EXPECT_TRUE(cardSaw("filename=\"ADDON\\REMOTE.LOG\""));
}

TEST_F(CardExecution, LocalProgramIsUploadedAndLongOnesAreCut) {
    writeFile(dir / "robot/ACT/A.XML", "local program");
    std::string big(150000, 'b');
    big[139263] = 'L';
    writeFile(dir / "robot/BIG.XML", big);
    writeFile(dir / "robot/STARTUP.XML", "<x/>");
    start(dir / "robot");
    EXPECT_TRUE(execute(0));
    EXPECT_EQ(sentProgram(), "local program");
    EXPECT_TRUE(execute(3));
    EXPECT_EQ(sentProgram(), big.substr(0, 139264));
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(CardExecution, NothingFollowsAMissingProgramOrAFailedStep) {
    writeFile(cardRoot() + "/EMPTY.XML", "");
    start("");
    EXPECT_FALSE(execute(1));  // an empty program: nothing sent, nothing said
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_FALSE(execute(2));  // the card's error page is not a program to run
    EXPECT_EQ(prompts.messages, (std::vector<int>{122}));
    EXPECT_FALSE(cardSaw("upload.cgi"));

    // A program cut short on the way: neither program nor record goes back.
    prompts = {};
    writeFile(cardRoot() + "/ACT/A.XML", "a program longer than five bytes");
    start("", {"--truncate", "5"});
    EXPECT_FALSE(execute(0));
    EXPECT_EQ(prompts.messages, (std::vector<int>{119, 119}));  // the selection's read, then ours
    EXPECT_FALSE(cardSaw("upload.cgi"));

    // A program obtained but refused by the card: no record follows.
    prompts = {};
    start("", {"--command-reply", "FAIL"});
    EXPECT_TRUE(execute(0));
    EXPECT_EQ(prompts.messages, (std::vector<int>{120}));
    EXPECT_FALSE(cardSaw("POST"));
    EXPECT_FALSE(std::filesystem::exists(cardRoot() + "/ADDON/REMOTE.LOG"));
}

}  // namespace
