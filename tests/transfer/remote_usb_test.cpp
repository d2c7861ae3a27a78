#include <gtest/gtest.h>

#include "core/file_error.h"
#include "core/random_editor.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace {

using testing_support::FakePrompts;
using testing_support::FakeWindow;
using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

std::string hex(const core::RemoteLogRecord& r) {
    std::string out;
    char b[4];
    for (auto byte : r) {
        std::snprintf(b, sizeof b, "%02X ", byte);
        out += b;
    }
    out.pop_back();
    return out;
}

TEST(RemoteLogRecord, LayoutForPlayerTypesAndIntervals) {
    EXPECT_EQ(hex(core::buildRemoteLogRecord(0, 1000)), "FE FF 88 03 00 00 19 00 05 00 00 00 00 00 00 00");
    for (int player : {0, 3}) EXPECT_EQ(core::buildRemoteLogRecord(player, 1000)[0], 0xFE);
    for (int player : {1, 2, 4, -1}) EXPECT_EQ(core::buildRemoteLogRecord(player, 1000)[0], 0xFF);
    auto word = [](int interval) {
        const auto r = core::buildRemoteLogRecord(0, interval);
        return r[6] | r[7] << 8;
    };
    EXPECT_EQ(word(39), 0);
    EXPECT_EQ(word(0), 0);
    EXPECT_EQ(word(1310720), 0x8000);
    EXPECT_EQ(word(-80), 0xFFFE);
}

// A card stands in as a folder: its ADDON folder, and the session told that files chosen
// anywhere below it belong to it.
struct UsbExecution : ::testing::Test {
    TempDir dir;
    FakePrompts prompts;
    FakeWindow window;
    std::unique_ptr<core::CRandomEditor> editor;
    std::string card() const { return dir / "card/"; }
    std::string ini() const { return dir / "VKRandom.ini"; }

    void SetUp() override {
        writeFile(dir / "robot/STARTUP.XML", "<x/>");
        writeFile(dir / "robot/ACT/A.XML", "program A");
        writeFile(dir / "Random.csv", "h\r\n0,A,x,ACT\\A.XML,4,0,a,\r\n0,B,x,MISSING.XML,4,0,a,\r\n");
        std::filesystem::create_directories(dir / "card/ADDON");
    }
    void start(const std::string& remoteDir, int connectType = 1) {
        writeFile(ini(), "[DATA]\r\nPATH=" + dir / "robot" + "\r\n[REMOTE]\r\nCONNECT_TYPE=" +
                             std::to_string(connectType) + "\r\nREMOTE_DIR=" + remoteDir + "\r\n");
        core::EditorOptions options{ini(), dir / "lock", dir.path(), {}};
        options.remoteFolderOf = [this](const std::string& chosen) {
            for (const auto& root : {card(), dir / "card2/"})
                if (chosen.rfind(root, 0) == 0) return root;
            return platform::mountPointOf(chosen);
        };
        editor = std::make_unique<core::CRandomEditor>(prompts, options);
        editor->startUp(window);
    }
    void select(int line) {
        window.select(line);
        editor->selectEntry(window);
    }
    std::string savedRemoteDir() { return platform::readProfileString("REMOTE", "REMOTE_DIR", "?", ini()); }
};

TEST_F(UsbExecution, KnownCardGetsTheProgramThenTheRecordWithoutQuestions) {
    writeFile(card() + "ADDON/REMOTE.LOG", std::string(40, 'o'));
    writeFile(card() + "ADDON/TEMP.VX4", "an older program, longer than the new one");
    start(card());
    select(0);
    EXPECT_TRUE(editor->executeSelected());
    EXPECT_TRUE(prompts.questions.empty());
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(readFile(card() + "ADDON/TEMP.VX4"), "program A");
    const auto record = core::buildRemoteLogRecord(0, 1000);
    EXPECT_EQ(readFile(card() + "ADDON/REMOTE.LOG"), std::string(record.begin(), record.end()));
    EXPECT_EQ(savedRemoteDir(), card());
}

TEST_F(UsbExecution, DefaultFolderAsksAndAChoiceBelowTheCardRootFindsIt) {
    writeFile(card() + "ADDON/REMOTE.LOG", "");
    start(".");
    select(0);
    prompts.answers.push_back(card() + "work/ADDON/REMOTE.LOG");  // needn't exist
    EXPECT_TRUE(editor->executeSelected());
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_EQ(prompts.questions[0].initialName, "ADDON/REMOTE.LOG");
    EXPECT_EQ(prompts.questions[0].pattern, "REMOTE.LOG");
    EXPECT_EQ(prompts.questions[0].defaultSuffix, "LOG");
    EXPECT_EQ(editor->remoteDir(), card());
    EXPECT_EQ(readFile(card() + "ADDON/REMOTE.LOG").size(), 16u);
}

TEST_F(UsbExecution, SecondQuestionWhenTheRecordFileIsNotAtTheFolder) {
    // The chosen file's card root has no ADDON folder: the copy fails.
    const std::string elsewhere = dir / "card2/work/ADDON/REMOTE.LOG";
    writeFile(elsewhere, "");
    start(".");
    select(0);
    prompts.answers.push_back(elsewhere);
    EXPECT_FALSE(editor->executeSelected());
    EXPECT_EQ(prompts.messages, (std::vector<int>{117}));
    EXPECT_EQ(editor->remoteDir(), dir / "card2/");
    EXPECT_EQ(savedRemoteDir(), ".");  // never saved without a record written

    // Copy placed, but no REMOTE.LOG at the folder: the second question, a missing name -> 116.
    prompts = {};
    start(card());
    select(0);
    prompts.answers = {card() + "ADDON/REMOTE.LOG", card() + "ADDON/NOPE.LOG"};
    EXPECT_FALSE(editor->executeSelected());
    ASSERT_EQ(prompts.questions.size(), 2u);
    EXPECT_EQ(prompts.questions[1].initialName, "REMOTE.LOG");
    EXPECT_EQ(prompts.messages, (std::vector<int>{116}));
    EXPECT_EQ(editor->remoteDir(), card());
    EXPECT_EQ(readFile(card() + "ADDON/TEMP.VX4"), "program A");  // placed copy stays

    // Either question cancelled: no message, false, the copy stays.
    for (std::size_t answered : {0u, 1u}) {
        prompts = {};
        if (answered) prompts.answers = {card() + "ADDON/REMOTE.LOG"};
        EXPECT_FALSE(editor->executeSelected());
        EXPECT_EQ(prompts.questions.size(), answered + 1);
        EXPECT_TRUE(prompts.messages.empty());
        EXPECT_EQ(readFile(card() + "ADDON/TEMP.VX4"), "program A");
    }
    // An existing file chosen in the second question is written and its card remembered.
    writeFile(dir / "card2/ADDON/REMOTE.LOG", "x");
    prompts.answers = {dir / "card2/ADDON/REMOTE.LOG"};
    EXPECT_TRUE(editor->executeSelected());
    EXPECT_EQ(readFile(dir / "card2/ADDON/REMOTE.LOG").size(), 16u);
    EXPECT_EQ(savedRemoteDir(), dir / "card2/");
}

TEST_F(UsbExecution, FailuresStopBeforeTheRecord) {
    writeFile(card() + "ADDON/REMOTE.LOG", "keep");
    start(card());
    select(1);  // program file missing
    EXPECT_FALSE(editor->executeSelected());
    EXPECT_EQ(prompts.messages, (std::vector<int>{117}));
    EXPECT_EQ(readFile(card() + "ADDON/REMOTE.LOG"), "keep");

    // A copy cut short (the card full) is a failed copy: no record follows.
    prompts = {};
    std::filesystem::create_symlink("/dev/full", card() + "ADDON/TEMP.VX4");
    select(0);
    EXPECT_FALSE(editor->executeSelected());
    EXPECT_EQ(prompts.messages, (std::vector<int>{117}));
    EXPECT_EQ(readFile(card() + "ADDON/REMOTE.LOG"), "keep");
    std::filesystem::remove(card() + "ADDON/TEMP.VX4");

    // REMOTE.LOG that cannot be opened for writing: 108.
    prompts = {};
    std::filesystem::remove(card() + "ADDON/REMOTE.LOG");
    std::filesystem::create_directory(card() + "ADDON/REMOTE.LOG");
    select(0);
    EXPECT_FALSE(editor->executeSelected());
    EXPECT_EQ(prompts.messages, (std::vector<int>{108}));
    EXPECT_EQ(savedRemoteDir(), card());  // as stored at start, not rewritten
}

TEST_F(UsbExecution, WriteErrorAfterOpenIsTheFileErrorAndNothingIsSaved) {
    std::filesystem::create_symlink("/dev/full", card() + "ADDON/REMOTE.LOG");
    start(".");
    select(0);
    prompts.answers.push_back(card() + "ADDON/REMOTE.LOG");
    EXPECT_THROW(editor->executeSelected(), core::FileError);
    prompts = {};
    core::runCommand(prompts, [&] { editor->executeSelected(); });
    ASSERT_EQ(prompts.fileErrors.size(), 1u);
    EXPECT_NE(prompts.fileErrors[0].find("REMOTE.LOG"), std::string::npos);
    EXPECT_NE(prompts.fileErrors[0].find("ディスクがいっぱいです"), std::string::npos);
    EXPECT_EQ(savedRemoteDir(), ".");
}

TEST_F(UsbExecution, NothingHappensWithoutARemoteConnectionOrSelection) {
    writeFile(card() + "ADDON/REMOTE.LOG", "keep");
    start(card(), 1);
    EXPECT_FALSE(editor->executeSelected());  // nothing selected
    start(card(), 0);
    select(0);
    EXPECT_FALSE(editor->executeSelected());
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_TRUE(prompts.questions.empty());
    EXPECT_FALSE(std::filesystem::exists(card() + "ADDON/TEMP.VX4"));
}

}  // namespace
