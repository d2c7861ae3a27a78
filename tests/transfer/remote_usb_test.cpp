// Direct execution over USB: the card stands in as a folder, card/ or card2/, and the session
// is told that files chosen anywhere below one belong to it.
#include <gtest/gtest.h>

#include "core/file_error.h"
#include "core/random_editor.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "support/cases.h"
#include "support/session_fixture.h"

namespace {

using namespace testing_support;

TEST(RemoteLogRecord, GoldenBytesAndWhatPlayerAndIntervalChange) {
    const auto r = core::buildRemoteLogRecord(0, 1000);
    EXPECT_EQ(std::string(r.begin(), r.end()),
              readFile(std::string(VKRANDOM_SOURCE_DIR) + "/tests/data/remote_log_record.bin"));
    const int firstByte[] = {0xFE, 0xFF, 0xFF, 0xFE, 0xFF};
    for (int player = 0; player <= 4; ++player)
        EXPECT_EQ(core::buildRemoteLogRecord(player, 1000)[0], firstByte[player]) << player;
    // The interval travels in units of 40 ms, cut to 16 bits.
    for (const auto& [interval, word] : {std::pair{39, 0}, {1310720, 0x8000}, {-80, 0xFFFE}}) {
        const auto record = core::buildRemoteLogRecord(0, interval);
        EXPECT_EQ(record[6] | record[7] << 8, word) << interval;
    }
}

struct UsbExecution : SessionFixture {
    std::string card() const { return dir / "card/"; }
    std::string record() const {
        const auto r = core::buildRemoteLogRecord(0, 1000);
        return {r.begin(), r.end()};
    }
    void SetUp() override {
        writeFile(robot() + "/STARTUP.XML", "<x/>");
        writeFile(robot() + "/ACT/A.XML", "program A");
        writeFile(dir / "Random.csv", "h\r\n0,A,x,ACT\\A.XML,4,0,a,\r\n0,B,x,MISSING.XML,4,0,a,\r\n");
        std::filesystem::create_directories(dir / "card/ADDON");
        remoteFolderOf = [this](const std::string& chosen) {
            return chosen.rfind(card(), 0) == 0 ? card() : dir / "card2/";
        };
    }
    void start(const std::string& remoteDir, int connectType = 1, int line = 0) {
        settings("[DATA]\r\nPATH=" + robot() + "\r\n[REMOTE]\r\nCONNECT_TYPE=" +
                 std::to_string(connectType) + "\r\nREMOTE_DIR=" + remoteDir + "\r\n");
        SessionFixture::start();
        window.select(line);
        editor->selectEntry(window);
    }
    std::string savedRemoteDir() {
        return platform::readProfileString("REMOTE", "REMOTE_DIR", "?", ini());
    }
    std::string onCard(const std::string& name) { return readFile(card() + "ADDON/" + name); }
};

TEST_F(UsbExecution, FirstRunFindsTheCardLaterRunsGoStraightThere) {
    writeFile(card() + "ADDON/REMOTE.LOG", std::string(40, 'o'));
    writeFile(card() + "ADDON/TEMP.VX4", "an older program, longer than the new one");
    start(card(), 0);  // without a remote connection nothing happens
    EXPECT_FALSE(editor->executeSelected());
    EXPECT_EQ(onCard("TEMP.VX4"), "an older program, longer than the new one");
    start(".");
    prompts.answers.push_back(card() + "work/ADDON/REMOTE.LOG");  // below the card
    EXPECT_TRUE(editor->executeSelected());
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_EQ(prompts.questions[0].initialName, platform::nativeRelativePath("ADDON\\REMOTE.LOG"));
    EXPECT_EQ(onCard("TEMP.VX4"), "program A");
    EXPECT_EQ(onCard("REMOTE.LOG"), record());
    EXPECT_EQ(savedRemoteDir(), card());
    // The record file found at the saved folder: no question.
    prompts = {};
    start(card());
    EXPECT_TRUE(editor->executeSelected());
    EXPECT_TRUE(prompts.questions.empty() && prompts.messages.empty());
    // Missing there: the question comes back.
    std::filesystem::remove(card() + "ADDON/REMOTE.LOG");
    EXPECT_FALSE(editor->executeSelected());
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_EQ(prompts.questions[0].initialName, platform::nativeRelativePath("ADDON\\REMOTE.LOG"));
}

TEST_F(UsbExecution, SecondQuestionWhenNoRecordFileIsAtTheCard) {
    start(".");
    // Below the card, whose ADDON holds no REMOTE.LOG; then a file that does not exist: 116.
    prompts.answers = {card() + "work/ADDON/REMOTE.LOG", dir / "card2/ADDON/NOPE.LOG"};
    EXPECT_FALSE(editor->executeSelected());
    ASSERT_EQ(prompts.questions.size(), 2u);
    EXPECT_EQ(prompts.questions[1].initialName, "REMOTE.LOG");
    EXPECT_EQ(prompts.messages, (std::vector<int>{116}));
    EXPECT_EQ(onCard("TEMP.VX4"), "program A");  // the placed copy stays
    EXPECT_EQ(savedRemoteDir(), ".");
    // An existing file chosen in the second question is written and its card remembered.
    writeFile(dir / "card2/ADDON/REMOTE.LOG", "x");
    prompts.answers = {card() + "ADDON/REMOTE.LOG", dir / "card2/ADDON/REMOTE.LOG"};
    EXPECT_TRUE(editor->executeSelected());
    EXPECT_EQ(readFile(dir / "card2/ADDON/REMOTE.LOG"), record());
    EXPECT_EQ(savedRemoteDir(), dir / "card2/");
}

TEST_F(UsbExecution, FailuresStopBeforeTheRecord) {
    writeFile(card() + "ADDON/REMOTE.LOG", "keep");
    start(card(), 1, 1);  // a missing program: 117 and no record
    EXPECT_FALSE(editor->executeSelected());
    EXPECT_EQ(prompts.messages, (std::vector<int>{117}));
    EXPECT_EQ(onCard("REMOTE.LOG"), "keep");
    // REMOTE.LOG that cannot be opened for writing: 108, and the folder is not saved.
    prompts = {};
    start(".");
    std::filesystem::remove(card() + "ADDON/REMOTE.LOG");
    std::filesystem::create_directory(card() + "ADDON/REMOTE.LOG");
    prompts.answers = {card() + "ADDON/REMOTE.LOG"};
    EXPECT_FALSE(editor->executeSelected());
    EXPECT_EQ(prompts.messages, (std::vector<int>{108}));
    EXPECT_EQ(savedRemoteDir(), ".");
}

}  // namespace
