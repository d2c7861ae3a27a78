// Writes that fail part way, injected under the real code paths: an export never changes the
// program file outside its slot and shows 112, never 113; the card's program copy and command
// record only count once they are on the disk; a settings file is the old one or the new one,
// with no temporary file left beside it.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "core/messages.h"
#include "core/session_fixture.h"
#include "io_faults.h"
#include "platform/file_io.h"
#include "platform/ini_file.h"

namespace {

using faults::Call;
using faults::Injection;
using faults::Plan;
using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

struct ExportFaults : testing_support::SessionFixture {};

TEST_F(ExportFaults, FailedWritesShow112AndKeepEveryByteOutsideTheSlot) {
    std::string original(4096, '\0');
    for (std::size_t i = 0; i < original.size(); ++i) original[i] = "<abc>\r\n xyz"[i % 11];
    original.replace(1000, 30, testing_support::random4);
    const std::string program = robot() + "/ACT/PROG.XML";
    writeFile(robot() + "/STARTUP.XML", "<x/>");
    writeFile(program, original);
    settings("[DATA]\r\nPATH=" + robot() + "\r\n");
    catalogue("0,E,x,ACT\\PROG.XML,4,1000,a,b,c,d,e,\r\n");
    start();
    select("E");
    ASSERT_EQ(window.checkedChoice(), 0);
    const struct {
        const char* what;
        Plan plan;
        bool works;
    } cases[] = {
        {"disk full at once", {Call::pwrite, ENOSPC}, false},
        {"disk full after 7 bytes", {Call::pwrite, ENOSPC, 7}, false},
        {"I/O error after 29 bytes", {Call::pwrite, EIO, 29}, false},
        {"write returns 0", {Call::pwrite, 0}, false},
        {"flush fails", {Call::fsync, EIO}, false},
        {"close reports a lost write", {Call::close, EIO}, false},
        // Interrupted and short writes are carried on until the whole slot is written.
        {"interrupted by signals", {Call::pwrite, EINTR, 0, 3}, true},
        {"one byte per call", {Call::pwrite, EIO, SIZE_MAX, SIZE_MAX, 1}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(program, original);
        prompts.messages.clear();
        {
            Injection fault(c.plan);
            editor->exportChoice(3);
            EXPECT_EQ(fault.failed() > 0, c.plan.chunk == SIZE_MAX);
        }
        EXPECT_EQ(prompts.messages, std::vector<int>{c.works ? core::msgExportSucceeded
                                                             : core::msgExportFailed});
        const std::string now = readFile(program);
        ASSERT_EQ(now.size(), original.size());
        EXPECT_EQ(now.substr(0, 1000), original.substr(0, 1000));
        EXPECT_EQ(now.substr(1030), original.substr(1030));
        if (c.works) {
            EXPECT_EQ(now.substr(1000, 30), testing_support::constantSlot(2));
        }
    }
}

// Direct execution over USB: a copy or record cut short, a zero-byte write, a failed flush or
// close is a failure, so no record follows a copy that is not on the card.
TEST(DurableWriteFaults, CopyAndRecordReportEveryFailedStep) {
    TempDir dir;
    writeFile(dir / "A.XML", std::string(50000, 'p'));
    const std::vector<std::uint8_t> record(16, 0xFE);
    for (const Plan& plan : {Plan{Call::write, ENOSPC, 30000}, Plan{Call::write, EIO, 5},
                             Plan{Call::write, 0}, Plan{Call::fsync, EIO}, Plan{Call::close, EIO}}) {
        Injection fault(plan);
        EXPECT_FALSE(platform::copyFileDurably(dir / "A.XML", dir / "TEMP.VX4"));
        EXPECT_EQ(platform::replaceFileContent(dir / "REMOTE.LOG", record).status,
                  platform::ReplaceResult::writeFailed);
    }
}

std::set<std::string> namesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// A settings file as users keep it (comments, odd spacing, CP932 bytes, mixed line ends), also
// reached through a symbolic link; every kind of edit, failing at every step.
TEST(SettingsFaults, FailedWriteLeavesTheOldFileAndNoTemporary) {
    const std::string userFile =
        "; VKRandom\r\n[DATA]\r\nVERSION = 2\r\nPATH=/media/\x83\x8d\x83\x7b\r\n\r\n[REMOTE]\n"
        "CONNECT_TYPE=1 ; usb\r\n";
    TempDir dir;
    const std::string target = dir / "real/VKRandom.ini", link = dir / "bin/VKRandom.ini";
    writeFile(target, userFile);
    std::filesystem::create_directories(dir / "bin");
    std::filesystem::create_symlink(target, link);
    const std::set<std::string> onlyTheFile{"VKRandom.ini"};
    auto expectUntouched = [&] {
        EXPECT_EQ(readFile(target), userFile);
        EXPECT_TRUE(std::filesystem::is_symlink(link));
        EXPECT_EQ(namesIn(dir / "real"), onlyTheFile);
        EXPECT_EQ(namesIn(dir / "bin"), onlyTheFile);
    };
    for (const Plan& plan : {Plan{Call::write, ENOSPC}, Plan{Call::write, ENOSPC, 40},
                             Plan{Call::write, 0, 10}, Plan{Call::fsync, EIO},
                             Plan{Call::close, EIO}, Plan{Call::rename, EIO}}) {
        for (const std::string& file : {target, link}) {
            for (const auto& [section, key] :
                 {std::pair{"DATA", "PATH"}, {"REMOTE", "REMOTE_DIR"}, {"NEW", "KEY"}}) {
                SCOPED_TRACE(file + " " + key + " call " + std::to_string(int(plan.call)));
                Injection fault(plan);
                EXPECT_FALSE(platform::writeProfileString(section, key, "/mnt/card", file));
                EXPECT_GT(fault.failed(), 0u);
            }
            expectUntouched();
        }
    }
    // A folder in the file's place is neither read as settings nor replaced.
    EXPECT_FALSE(platform::writeProfileString("DATA", "PATH", "/mnt", dir / "real"));
    expectUntouched();
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"bin", "real"}));

    // The session goes on with its new values when they cannot be saved, silently.
    writeFile(dir / "Random.csv", "h\r\n0,A,x,A.XML,4,0,a,\r\n");
    testing_support::FakePrompts prompts;
    core::CRandomEditor editor(prompts, core::EditorOptions{link, dir / "lock", dir.path(), {}});
    {
        Injection fault({Call::write, ENOSPC, 16});
        EXPECT_TRUE(editor.storeSettings({4, 2}));
    }
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(editor.programType(), 4);
    EXPECT_EQ(editor.connectType(), 2);
    expectUntouched();

    // Nothing is stuck: the same write works once the fault is gone, and the link stays.
    EXPECT_TRUE(platform::writeProfileString("DATA", "PATH", "/mnt", link));
    EXPECT_EQ(platform::readProfileString("DATA", "PATH", "", target), "/mnt");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(namesIn(dir / "real"), onlyTheFile);
}

}  // namespace
