// Writes of the settings file that fail part way: the old file stays byte for byte, and no
// temporary file is left beside it.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <set>
#include <string>

#include "core/random_editor.h"
#include "io_faults.h"
#include "platform/ini_file.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace {

using faults::Call;
using faults::Injection;
using faults::Plan;
using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

// A file as users keep it: comments, blank lines, odd spacing, CP932 bytes, mixed line ends.
const std::string userFile =
    "; VKRandom\r\n[DATA]\r\nVERSION = 2\r\nPATH=/media/\x83\x8d\x83\x7b\r\n\r\n[REMOTE]\n"
    "CONNECT_TYPE=1 ; usb\r\n";

std::set<std::string> namesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

const struct {
    const char* what;
    Plan plan;
} writeFaults[] = {
    {"disk full at once", {Call::write, ENOSPC}},
    {"disk full half way", {Call::write, ENOSPC, 40}},
    {"I/O error after one byte", {Call::write, EIO, 1}},
    {"write returns 0", {Call::write, 0, 10}},
    {"flush fails", {Call::fsync, EIO}},
    {"close reports a lost write", {Call::close, EIO}},
    {"rename fails", {Call::rename, EIO}},
};

TEST(SettingsFaults, FailedWriteLeavesTheOldFileAndNoTemporary) {
    TempDir dir;
    const std::string ini = dir / "VKRandom.ini";
    writeFile(ini, userFile);
    writeFile(dir / "other.txt", "x");
    const auto before = namesIn(dir.path());
    for (const auto& c : writeFaults) {
        SCOPED_TRACE(c.what);
        // One existing key, one new key, one new section: every kind of edit.
        for (const auto& [section, key] :
             {std::pair{"DATA", "PATH"}, {"REMOTE", "REMOTE_DIR"}, {"NEW", "KEY"}}) {
            bool written = true;
            {
                Injection fault(c.plan);
                written = platform::writeProfileString(section, key, "/mnt/card/ADDON", ini);
                EXPECT_GT(fault.failed(), 0u);
            }
            EXPECT_FALSE(written);
            EXPECT_EQ(readFile(ini), userFile);
            EXPECT_EQ(namesIn(dir.path()), before);
        }
    }
    // Nothing is stuck: the same write works once the fault is gone.
    EXPECT_TRUE(platform::writeProfileString("DATA", "PATH", "/mnt", ini));
    EXPECT_EQ(platform::readProfileString("DATA", "PATH", "", ini), "/mnt");
    EXPECT_EQ(namesIn(dir.path()), before);
}

TEST(SettingsFaults, FailedWriteThroughALinkKeepsLinkAndTarget) {
    TempDir dir;
    const std::string target = dir / "real/VKRandom.ini";
    writeFile(target, userFile);
    std::filesystem::create_directories(dir / "bin");
    const std::string link = dir / "bin/VKRandom.ini";
    std::filesystem::create_symlink(target, link);
    for (const auto& c : writeFaults) {
        SCOPED_TRACE(c.what);
        {
            Injection fault(c.plan);
            EXPECT_FALSE(platform::writeProfileString("DATA", "VERSION", "3", link));
        }
        EXPECT_TRUE(std::filesystem::is_symlink(link));
        EXPECT_EQ(readFile(target), userFile);
        EXPECT_EQ(namesIn(dir / "real"), std::set<std::string>{"VKRandom.ini"});
        EXPECT_EQ(namesIn(dir / "bin"), std::set<std::string>{"VKRandom.ini"});
    }
}

TEST(SettingsFaults, SettingsThatCannotBeReadAreNeverReplaced) {
    TempDir dir;
    // A folder where the file should be: neither readable as settings nor replaceable.
    const std::string ini = dir / "VKRandom.ini";
    std::filesystem::create_directories(ini);
    writeFile(ini + "/keep", "x");
    EXPECT_FALSE(platform::writeProfileString("DATA", "PATH", "/mnt", ini));
    EXPECT_EQ(readFile(ini + "/keep"), "x");
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"VKRandom.ini"});
}

// The session goes on with its new values when the file cannot be written, silently.
TEST(SettingsFaults, SessionKeepsWorkingWhenItsSettingsCannotBeSaved) {
    TempDir dir;
    const std::string ini = dir / "VKRandom.ini";
    writeFile(ini, userFile);
    writeFile(dir / "Random.csv", "h\r\n0,A,x,A.XML,4,0,a,\r\n");
    testing_support::FakePrompts prompts;
    core::CRandomEditor editor(prompts, core::EditorOptions{ini, dir / "lock", dir.path(), {}});
    {
        Injection fault({Call::write, ENOSPC, 16});
        EXPECT_TRUE(editor.storeSettings({4, 2}));
    }
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(editor.programType(), 4);
    EXPECT_EQ(editor.connectType(), 2);
    EXPECT_EQ(readFile(ini), userFile);
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"Random.csv", "VKRandom.ini"}));
}

}  // namespace
