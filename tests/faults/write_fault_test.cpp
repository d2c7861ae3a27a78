// Writes that fail part way, injected under the real code paths: an export never changes the
// program file outside its slot and shows 112, never 113; the card's program copy and command
// record only count once they are on the disk; a settings file is the old one or the new one,
// with no temporary file left beside it.
#include <gtest/gtest.h>

#include <cerrno>

#include "core/messages.h"
#include "io_faults.h"
#include "platform/file_io.h"
#include "platform/ini_file.h"
#include "support/session_fixture.h"

namespace {

using faults::Call;
using faults::Injection;
using faults::Plan;
using namespace testing_support;

TEST_F(SessionFixture, FailedSlotWritesShow112AndKeepEveryByteOutsideTheSlot) {
    std::string original(4096, '\0');
    for (std::size_t i = 0; i < original.size(); ++i) original[i] = "<abc>\r\n xyz"[i % 11];
    original.replace(1000, 30, random4);
    const std::string robot = dir / "robot", program = robot + "/PROG.XML";
    writeFile(robot + "/STARTUP.XML", "<x/>");
    settings("[DATA]\r\nPATH=" + robot + "\r\n");
    catalogue("0,E,x,PROG.XML,4,1000,a,b,c,d,e,\r\n");
    const struct {
        Plan plan;
        bool works;
    } cases[] = {
        {{Call::pwrite, ENOSPC}, false},
        {{Call::pwrite, EIO, 29}, false},
        {{Call::pwrite, 0}, false},
        {{Call::fsync, EIO}, false},
        {{Call::close, EIO}, false},
        // Interrupted and short writes are carried on until the whole slot is written.
        {{Call::pwrite, EINTR, 0, 3}, true},
        {{Call::pwrite, EIO, SIZE_MAX, SIZE_MAX, 1}, true},
    };
    start();
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.plan.call) * 100 + c.plan.error);
        writeFile(program, original);
        select("E");
        prompts.messages.clear();
        {
            Injection fault(c.plan);
            editor->exportChoice(3);
            EXPECT_GT(fault.failed() + (c.plan.chunk != SIZE_MAX), 0u);
        }
        EXPECT_EQ(prompts.messages, std::vector<int>{c.works ? 113 : 112});
        const std::string now = readFile(program);
        EXPECT_EQ(now.substr(0, 1000) + now.substr(1030),
                  original.substr(0, 1000) + original.substr(1030));
        if (c.works) {
            EXPECT_EQ(now.substr(1000, 30), constantSlot(2));
        }
    }
}

// Another program writes the file, or puts another one in its place, while the export makes
// its backup or its write: neither is written over, and 112 says why. The backup flushes twice
// (its note of where the copy comes from, then the copy); the third flush is the write's.
TEST_F(SessionFixture, ProgramChangedDuringTheBackupOrTheWriteIsNotWrittenOver) {
    const std::string robot = dir / "robot", program = robot + "/P.XML";
    const std::string other = std::string(100, 'o') + constantSlot(1) + std::string(10, 'o');
    writeFile(robot + "/STARTUP.XML", "<x/>");
    settings("[DATA]\r\nPATH=" + robot + "\r\n");
    catalogue("0,E,x,P.XML,4,100,a,b,c,\r\n");
    start();
    for (const int step : {0, 1, 20, 21}) {  // flushes before, and whether it replaces the file
        const std::size_t syncsBefore = step / 10;
        const bool replaced = step % 2;
        SCOPED_TRACE(step);
        writeFile(program, std::string(100, 'p') + random4 + std::string(10, 'p'));
        select("E");
        prompts.messages.clear();
        {
            Injection fault(
                {.call = Call::fsync, .error = 0, .allow = syncsBefore, .meanwhile = [&] {
                     writeFile(program + (replaced ? ".new" : ""), other);
                     if (replaced) std::filesystem::rename(program + ".new", program);
                 }});
            editor->exportChoice(3);
        }
        EXPECT_EQ(prompts.messages, std::vector<int>{112});
        EXPECT_NE(prompts.messageTexts.back().find(core::reasonChangedMeanwhile),
                  std::string::npos);
        EXPECT_EQ(readFile(program), other);
    }
}

// Direct execution over USB: a copy or record cut short, a zero-byte write, a failed flush or
// close is a failure, so no record follows a copy that is not on the card.
TEST(DurableWriteFaults, CopyAndRecordReportEveryFailedStep) {
    TempDir dir;
    writeFile(dir / "A.XML", std::string(50000, 'p'));
    for (const Plan& plan : {Plan{Call::write, ENOSPC, 30000}, Plan{Call::write, 0},
                             Plan{Call::fsync, EIO}, Plan{Call::close, EIO}}) {
        Injection fault(plan);
        EXPECT_FALSE(platform::copyFileDurably(dir / "A.XML", dir / "TEMP.VX4"));
        EXPECT_EQ(
            platform::replaceFileContent(dir / "REMOTE.LOG", std::vector<std::uint8_t>(16)).status,
            platform::ReplaceResult::writeFailed);
    }
}

// A settings file as users keep it, also reached through a symbolic link; every kind of edit,
// failing at every step, leaves it as it was, and the session goes on with its new values.
TEST(SettingsFaults, FailedWriteLeavesTheOldFileAndNoTemporary) {
    const std::string userFile =
        "; VKRandom\r\n[DATA]\r\nVERSION = 2\r\nPATH=/media/\x83\x8d\r\n"
        "[REMOTE]\nCONNECT_TYPE=1 ; usb\r\n";
    TempDir dir;
    const std::string target = dir / "real/VKRandom.ini", link = dir / "bin/VKRandom.ini";
    writeFile(target, userFile);
    std::filesystem::create_directories(dir / "bin");
    std::filesystem::create_symlink(target, link);
    const auto untouched = [&] {
        return readFile(target) == userFile && std::filesystem::is_symlink(link) &&
               std::distance(std::filesystem::directory_iterator(dir / "real"), {}) == 1;
    };
    for (const Plan& plan :
         {Plan{Call::write, ENOSPC, 40}, Plan{Call::write, 0, 10}, Plan{Call::fsync, EIO},
          Plan{Call::close, EIO}, Plan{Call::rename, EIO}}) {
        for (const std::string& file : {target, link}) {
            for (const auto& [section, key] : {std::pair{"DATA", "PATH"}, {"NEW", "KEY"}}) {
                Injection fault(plan);
                EXPECT_FALSE(platform::writeProfileString(section, key, "/mnt/card", file));
                EXPECT_GT(fault.failed(), 0u) << static_cast<int>(plan.call) << " " << key;
            }
            EXPECT_TRUE(untouched()) << static_cast<int>(plan.call);
        }
    }
    writeFile(dir / "Random.csv", "h\r\n0,A,x,A.XML,4,0,a,\r\n");
    FakePrompts prompts;
    core::CRandomEditor editor(
        prompts, core::EditorOptions{link, dir / "lock", dir.path(), {}, dir / "backup"});
    {
        Injection fault({Call::write, ENOSPC, 16});
        EXPECT_TRUE(editor.storeSettings({4, 2}));
    }
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(editor.programType() * 10 + editor.connectType(), 42);
    EXPECT_TRUE(untouched());
}

}  // namespace
