// Settings-file behaviour users' existing files rely on: defaults, Windows integer parsing,
// byte-exact in-place writes. Failing writes are injected in tests/faults.
#include "platform/ini_file.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <filesystem>

#include "support/temp_dir.h"

using namespace platform;
using testing_support::readFile;
using testing_support::writeFile;

namespace {

struct IniFile : ::testing::Test {
    testing_support::TempDir dir;
    const std::string path = dir / "VKRandom.ini";
};

}  // namespace

TEST_F(IniFile, MissingFileSectionOrKeyGivesDefaultAndIntegersParseLikeWindows) {
    EXPECT_EQ(readProfileInt("DATA", "VERSION", 1, path), 1);
    EXPECT_EQ(readProfileString("REMOTE", "REMOTE_DIR", ".", path), ".");
    writeFile(path, "K=before any section\r\n[DATA]\r\nPATH=/x\r\n[REMOTE]\r\n[D]\nA=  +12abc\n"
                    "B=-1\nC=4294967297\nD=abc\nE=\nF=\" 7 \"\nG=2147483648\nH=-\n");
    EXPECT_EQ(readProfileInt("REMOTE", "REMOTE_INTERVAL", 1000, path), 1000);
    EXPECT_EQ(readProfileString("OTHER", "PATH", "d", path), "d");
    EXPECT_EQ(readProfileString("DATA", "K", "none", path), "none");  // belongs to no section
    EXPECT_EQ(readProfileString("DATA", "PATH", "", path), "/x");
    // D and H are present but no number; the empty E counts as missing.
    const std::pair<const char*, int> cases[] = {{"A", 12}, {"B", -1}, {"C", 1},  {"D", 0},
                                                 {"E", 99}, {"F", 7},  {"G", -2147483647 - 1},
                                                 {"H", 0}};
    for (const auto& [key, value] : cases)
        EXPECT_EQ(readProfileInt("D", key, 99, path), value) << key;
}

TEST_F(IniFile, ReadTrimsUnquotesCutsAndMatchesNamesLikeWindows) {
    writeFile(path, "[data] trailing text\r\n \tPath\t =  \"quoted value\"  \r\n; PLAYER_TYPE=5\r\n"
                    "NOEQUALS\r\nSemi=a;b\r\nSingle='x'\r\nMixed=\"y'\r\npath=second\r\n[DATA]\r\n"
                    "PLAYER_TYPE=3\r\n");
    EXPECT_EQ(readProfileString("DATA", "PATH", "", path), "quoted value");
    EXPECT_EQ(readProfileString("DATA", "Semi", "", path), "a;b");
    EXPECT_EQ(readProfileString("DATA", "Single", "", path), "x");
    EXPECT_EQ(readProfileString("DATA", "Mixed", "", path), "\"y'");
    EXPECT_EQ(readProfileString("DATA", "NOEQUALS", "def", path), "def");
    // Commented out in the first DATA section; the duplicate section is never looked at.
    EXPECT_EQ(readProfileInt("DATA", "PLAYER_TYPE", 0, path), 0);
    // Values and defaults are cut to the callers' 260-byte buffer.
    writeFile(path, "[DATA]\r\nPATH=" + std::string(300, 'p') + "\r\n");
    EXPECT_EQ(readProfileString("DATA", "PATH", "", path), std::string(259, 'p'));
    EXPECT_EQ(readProfileString("DATA", "NONE", std::string(300, 'p'), path),
              std::string(259, 'p'));
}

TEST_F(IniFile, WriteChangesExactlyOneLine) {
    const std::string before =
        "; VKRandom settings\r\n\r\n[REMOTE]\r\nCONNECT_TYPE = 0\r\n"
        "[Data]\r\nPath=\x83\x65\x83\x58\x83\x67\r\nversion=1\r\n\r\n; end\r\n";
    writeFile(path, before);
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(writeProfileString("DATA", "VERSION", "3", path));
    std::string expected = before;
    expected.replace(expected.find("version=1"), 9, "version=3");
    EXPECT_EQ(readFile(path), expected);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    // A parent that is a regular file cannot hold the file, even for root.
    EXPECT_FALSE(writeProfileString("DATA", "PATH", "c", path + "/VKRandom.ini"));
}

TEST_F(IniFile, NewKeysAndSectionsGoWhereWindowsPutsThem) {
    // Added lines end in CR LF whatever the file uses; its own lines keep theirs. A key goes after
    // its section's last key, a section at the end, and of duplicate sections the first is used.
    const std::array<const char*, 5> cases[] = {
        {"[DATA]\nPATH=a\n\n; note\n[REMOTE]\n", "data", "VERSION", "2",
         "[DATA]\nPATH=a\nVERSION=2\r\n\n; note\n[REMOTE]\n"},
        {"[DATA]\r\n\r\n[R]\r\n", "DATA", "K", "v", "[DATA]\r\nK=v\r\n\r\n[R]\r\n"},
        {"[DATA]\r\nPATH=a", "DATA", "K", "v", "[DATA]\r\nPATH=a\r\nK=v\r\n"},
        {"[D]\nA=1\n[D]\nK=old\n", "D", "K", "new", "[D]\nA=1\nK=new\r\n[D]\nK=old\n"},
        {"[DATA]\r\nPATH=a", "R", "K", "v", "[DATA]\r\nPATH=a\r\n[R]\r\nK=v\r\n"},
        {"[DATA]\nPATH=a\n", "R", "K", "v", "[DATA]\nPATH=a\n[R]\r\nK=v\r\n"},
    };
    for (const auto& [content, section, key, value, after] : cases)
        EXPECT_EQ(applyProfileWrite(content, section, key, value), after) << content;

    ASSERT_TRUE(writeProfileString("DATA", "PATH", "x", path));
    EXPECT_EQ(readFile(path), "[DATA]\r\nPATH=x\r\n");
    // A line break in a value would add lines of its own: refused, file unchanged.
    EXPECT_FALSE(writeProfileString("DATA", "PATH", "a\nVERSION=4", path));
    EXPECT_EQ(readFile(path), "[DATA]\r\nPATH=x\r\n");
}

// The immutable flag on a folder stops new entries in it even for root, as a read-only install
// folder does for a user.
static bool setImmutable(const std::string& path, bool on) {
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    bool ok = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0) ::close(fd);
    return ok;
}

TEST_F(IniFile, FileInAFolderWeCannotWriteIsStillUpdated) {
    writeFile(path, "[DATA]\r\nPATH=a\r\n");
    if (!setImmutable(dir.path(), true)) GTEST_SKIP() << "no immutable flag on this filesystem";
    const bool written = writeProfileString("DATA", "PATH", "b", path);
    setImmutable(dir.path(), false);
    EXPECT_TRUE(written);
    EXPECT_EQ(readFile(path), "[DATA]\r\nPATH=b\r\n");
}
