// Direct execution over USB when the card's files cannot be written: a failed program copy
// stops before the command record, a failed record write is a file error, and the card folder
// is remembered only after a record was written.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "core/file_error.h"
#include "core/messages.h"
#include "core/random_editor.h"
#include "io_faults.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace {

using faults::Call;
using faults::Injection;
using faults::Plan;
using testing_support::readFile;
using testing_support::writeFile;

struct UsbFaults : ::testing::Test {
    testing_support::TempDir dir;
    testing_support::FakePrompts prompts;
    testing_support::FakeWindow window;
    std::unique_ptr<core::CRandomEditor> editor;
    const std::string program = std::string(50000, 'p');
    const std::string oldRecord = std::string(40, 'o');
    std::string settingsBefore;

    std::string card() const { return dir / "card/"; }
    std::string ini() const { return dir / "VKRandom.ini"; }
    std::string remoteLog() const { return card() + "ADDON/REMOTE.LOG"; }

    void SetUp() override {
        writeFile(dir / "robot/STARTUP.XML", "<x/>");
        writeFile(dir / "robot/ACT/A.XML", program);
        writeFile(dir / "Random.csv", "h\r\n0,A,x,ACT\\A.XML,4,0,a,\r\n");
        writeFile(remoteLog(), oldRecord);
        // REMOTE_DIR is not in the file yet: saving it would show.
        settingsBefore = "[DATA]\r\nPATH=" + dir / "robot" + "\r\n[REMOTE]\r\nCONNECT_TYPE=1\r\n";
        writeFile(ini(), settingsBefore);
        core::EditorOptions options{ini(), dir / "lock", dir.path(), {}};
        options.remoteFolderOf = [this](const std::string&) { return card(); };
        editor = std::make_unique<core::CRandomEditor>(prompts, options);
        editor->startUp(window);
        window.select(0);
        editor->selectEntry(window);
        prompts.answers.push_back(remoteLog());  // REMOTE_DIR "." finds nothing: one question
    }
    void executeWith(const Plan& plan) {
        Injection fault(plan);
        core::runCommand(prompts, [&] { editor->executeSelected(); });
        EXPECT_GT(fault.failed(), 0u);
    }
};

TEST_F(UsbFaults, FailedProgramCopyShows117AndWritesNoRecord) {
    for (const Plan& plan : {Plan{Call::write, ENOSPC}, Plan{Call::write, ENOSPC, 30000},
                             Plan{Call::write, EIO, 1}, Plan{Call::fsync, EIO}}) {
        prompts.messages.clear();
        prompts.answers = {remoteLog()};
        executeWith(plan);
        EXPECT_EQ(prompts.messages, std::vector<int>{core::msgDirectCopyFailed});
        EXPECT_TRUE(prompts.fileErrors.empty());
        EXPECT_EQ(readFile(remoteLog()), oldRecord);
        EXPECT_EQ(readFile(ini()), settingsBefore);
    }
}

TEST_F(UsbFaults, FailedRecordWriteIsAFileErrorAndTheFolderIsNotSaved) {
    // The program copy goes through whole; the faults start with the record.
    for (const Plan& plan :
         {Plan{Call::write, ENOSPC, program.size()}, Plan{Call::write, EIO, program.size() + 5},
          Plan{Call::write, 0, program.size()}, Plan{Call::fsync, EIO, 1}}) {
        prompts = {};
        prompts.answers = {remoteLog()};
        executeWith(plan);
        EXPECT_TRUE(prompts.messages.empty());
        ASSERT_EQ(prompts.fileErrors.size(), 1u);
        EXPECT_NE(prompts.fileErrors[0].find("REMOTE.LOG"), std::string::npos);
        EXPECT_EQ(readFile(card() + "ADDON/TEMP.VX4"), program);  // a placed copy stays
        EXPECT_EQ(readFile(ini()), settingsBefore);
    }
}

}  // namespace
