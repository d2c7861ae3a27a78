#include <gtest/gtest.h>

#include "core/file_error.h"
#include "core/random_editor.h"
#include "platform/ini_file.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace {

using testing_support::readFile;
using testing_support::writeFile;

TEST(RemoteLogRecord, LayoutForPlayerTypesAndIntervals) {
    EXPECT_EQ(core::buildRemoteLogRecord(0, 1000),
              (core::RemoteLogRecord{0xFE, 0xFF, 0x88, 3, 0, 0, 0x19, 0, 5, 0, 0, 0, 0, 0, 0, 0}));
    const int firstByte[] = {0xFE, 0xFF, 0xFF, 0xFE, 0xFF};
    for (int player = 0; player <= 4; ++player)
        EXPECT_EQ(core::buildRemoteLogRecord(player, 1000)[0], firstByte[player]) << player;
    // The interval travels in units of 40 ms, cut to 16 bits.
    for (const auto& [interval, word] :
         {std::pair{39, 0}, {0, 0}, {1310720, 0x8000}, {-80, 0xFFFE}}) {
        const auto r = core::buildRemoteLogRecord(0, interval);
        EXPECT_EQ(r[6] | r[7] << 8, word) << interval;
    }
}

// A card stands in as a folder, card/ or card2/: the session is told that files chosen anywhere
// below one belong to it.
struct UsbExecution : ::testing::Test {
    testing_support::TempDir dir;
    testing_support::FakePrompts prompts;
    testing_support::FakeWindow window;
    std::unique_ptr<core::CRandomEditor> editor;
    std::string card() const { return dir / "card/"; }
    std::string ini() const { return dir / "VKRandom.ini"; }
    std::string record() const {
        const auto r = core::buildRemoteLogRecord(0, 1000);
        return {r.begin(), r.end()};
    }

    void SetUp() override {
        writeFile(dir / "robot/STARTUP.XML", "<x/>");
        writeFile(dir / "robot/ACT/A.XML", "program A");
        writeFile(dir / "Random.csv",
                  "h\r\n0,A,x,ACT\\A.XML,4,0,a,\r\n0,B,x,MISSING.XML,4,0,a,\r\n");
        std::filesystem::create_directories(dir / "card/ADDON");
    }
    void start(const std::string& remoteDir, int connectType = 1) {
        editor.reset();
        writeFile(ini(), "[DATA]\r\nPATH=" + dir / "robot" + "\r\n[REMOTE]\r\nCONNECT_TYPE=" +
                             std::to_string(connectType) + "\r\nREMOTE_DIR=" + remoteDir + "\r\n");
        core::EditorOptions options{ini(), dir / "lock", dir.path(), {}};
        options.remoteFolderOf = [this](const std::string& chosen) {
            return chosen.rfind(card(), 0) == 0 ? card() : dir / "card2/";
        };
        editor = std::make_unique<core::CRandomEditor>(prompts, options);
        editor->startUp(window);
        window.select(0);
        editor->selectEntry(window);
    }
    std::string savedRemoteDir() {
        return platform::readProfileString("REMOTE", "REMOTE_DIR", "?", ini());
    }
};

TEST_F(UsbExecution, FirstRunFindsTheCardLaterRunsGoStraightThere) {
    const std::string older = "an older program, longer than the new one";
    writeFile(card() + "ADDON/REMOTE.LOG", std::string(40, 'o'));
    writeFile(card() + "ADDON/TEMP.VX4", older);
    start(card(), 0);  // without a remote connection nothing happens
    EXPECT_FALSE(editor->executeSelected());
    EXPECT_TRUE(prompts.questions.empty() && prompts.messages.empty());
    EXPECT_EQ(readFile(card() + "ADDON/TEMP.VX4"), older);

    start(".");
    prompts.answers.push_back(card() + "work/ADDON/REMOTE.LOG");  // below the card; needn't exist
    EXPECT_TRUE(editor->executeSelected());
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_EQ(prompts.questions[0].initialName, "ADDON/REMOTE.LOG");
    EXPECT_EQ(readFile(card() + "ADDON/TEMP.VX4"), "program A");
    EXPECT_EQ(readFile(card() + "ADDON/REMOTE.LOG"), record());
    EXPECT_EQ(savedRemoteDir(), card());

    // The record file found at the saved folder: no question, whatever the file held.
    writeFile(card() + "ADDON/REMOTE.LOG", "");
    writeFile(card() + "ADDON/TEMP.VX4", "");
    prompts = {};
    start(card());
    EXPECT_TRUE(editor->executeSelected());
    EXPECT_TRUE(prompts.questions.empty() && prompts.messages.empty());
    EXPECT_EQ(readFile(card() + "ADDON/TEMP.VX4"), "program A");
    EXPECT_EQ(readFile(card() + "ADDON/REMOTE.LOG"), record());
}

TEST_F(UsbExecution, SecondQuestionWhenNoRecordFileIsAtTheCard) {
    start(".");
    // The first answer lies below the card, whose ADDON holds no REMOTE.LOG; the second names a
    // file that does not exist: 116, and the folder is still the first answer's.
    prompts.answers = {card() + "work/ADDON/REMOTE.LOG", dir / "card2/ADDON/NOPE.LOG"};
    EXPECT_FALSE(editor->executeSelected());
    ASSERT_EQ(prompts.questions.size(), 2u);
    EXPECT_EQ(prompts.questions[1].initialName, "REMOTE.LOG");
    EXPECT_EQ(prompts.messages, (std::vector<int>{116}));
    EXPECT_EQ(editor->remoteDir(), card());
    EXPECT_EQ(readFile(card() + "ADDON/TEMP.VX4"), "program A");  // placed copy stays

    // Either question cancelled: no message, false, the copy stays.
    writeFile(card() + "ADDON/TEMP.VX4", "placed");
    for (std::size_t answered : {0u, 1u}) {
        prompts = {};
        start(".");
        if (answered) prompts.answers = {card() + "ADDON/REMOTE.LOG"};
        EXPECT_FALSE(editor->executeSelected());
        EXPECT_EQ(prompts.questions.size(), answered + 1);
        EXPECT_TRUE(prompts.messages.empty());
        EXPECT_EQ(readFile(card() + "ADDON/TEMP.VX4"), answered ? "program A" : "placed");
    }
    // An existing file chosen in the second question is written and its card remembered.
    writeFile(dir / "card2/ADDON/REMOTE.LOG", "x");
    prompts.answers = {card() + "ADDON/REMOTE.LOG", dir / "card2/ADDON/REMOTE.LOG"};
    EXPECT_TRUE(editor->executeSelected());
    EXPECT_EQ(readFile(dir / "card2/ADDON/REMOTE.LOG"), record());
    EXPECT_EQ(savedRemoteDir(), dir / "card2/");
}

TEST_F(UsbExecution, FailuresStopBeforeTheRecord) {
    writeFile(card() + "ADDON/REMOTE.LOG", "keep");
    // A missing program, and a copy cut short (the card full): 117 and no record.
    start(card());
    window.select(1);
    editor->selectEntry(window);
    EXPECT_FALSE(editor->executeSelected());
    std::filesystem::create_symlink("/dev/full", card() + "ADDON/TEMP.VX4");
    start(card());
    EXPECT_FALSE(editor->executeSelected());
    EXPECT_EQ(prompts.messages, (std::vector<int>{117, 117}));
    EXPECT_EQ(readFile(card() + "ADDON/REMOTE.LOG"), "keep");
    std::filesystem::remove(card() + "ADDON/TEMP.VX4");

    // REMOTE.LOG that cannot be opened for writing: 108.
    prompts = {};
    std::filesystem::remove(card() + "ADDON/REMOTE.LOG");
    std::filesystem::create_directory(card() + "ADDON/REMOTE.LOG");
    EXPECT_FALSE(editor->executeSelected());
    EXPECT_EQ(prompts.messages, (std::vector<int>{108}));

    // One that opens but takes no bytes: the file error, and the folder is not saved.
    std::filesystem::remove(card() + "ADDON/REMOTE.LOG");
    std::filesystem::create_symlink("/dev/full", card() + "ADDON/REMOTE.LOG");
    prompts = {};
    start(".");
    prompts.answers.push_back(card() + "ADDON/REMOTE.LOG");
    core::runCommand(prompts, [&] { editor->executeSelected(); });
    ASSERT_EQ(prompts.fileErrors.size(), 1u);
    EXPECT_NE(prompts.fileErrors[0].find("REMOTE.LOG"), std::string::npos);
    EXPECT_NE(prompts.fileErrors[0].find("ディスクがいっぱいです"), std::string::npos);
    EXPECT_EQ(savedRemoteDir(), ".");
}

}  // namespace
