// Settings-file behaviour users' existing files rely on: defaults, Windows integer parsing,
// byte-exact in-place writes, and a failed write that leaves the old file.
#include "platform/ini_file.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace platform;

namespace {

class IniFile : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/vkrandom-ini-XXXXXX";
        dir_ = ::mkdtemp(pattern);
        path_ = dir_ + "/VKRandom.ini";
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    void put(const std::string& content) { std::ofstream(path_, std::ios::binary) << content; }
    std::string get() const {
        std::ifstream in(path_, std::ios::binary);
        std::ostringstream data;
        data << in.rdbuf();
        return data.str();
    }
    std::string dir_, path_;
};

}  // namespace

TEST_F(IniFile, MissingFileSectionOrKeyGivesDefault) {
    EXPECT_EQ(readProfileInt("DATA", "VERSION", 1, path_), 1);
    EXPECT_EQ(readProfileString("REMOTE", "REMOTE_DIR", ".", path_), ".");
    put("K=before any section\r\n[DATA]\r\nPATH=/x\r\n[REMOTE]\r\n");
    EXPECT_EQ(readProfileInt("REMOTE", "REMOTE_INTERVAL", 1000, path_), 1000);
    EXPECT_EQ(readProfileString("OTHER", "PATH", "d", path_), "d");
    EXPECT_EQ(readProfileString("DATA", "K", "none", path_), "none");  // belongs to no section
    EXPECT_EQ(readProfileString("DATA", "PATH", "", path_), "/x");
}

TEST_F(IniFile, IntegerParsingFollowsWindows) {
    put("[D]\nA=  +12abc\nB=-1\nC=4294967297\nD=abc\nE=\nF=\" 7 \"\nG=2147483648\nH=-\n");
    EXPECT_EQ(readProfileInt("D", "A", 99, path_), 12);
    EXPECT_EQ(readProfileInt("D", "B", 99, path_), -1);
    EXPECT_EQ(readProfileInt("D", "C", 99, path_), 1);
    EXPECT_EQ(readProfileInt("D", "D", 99, path_), 0);   // present but not a number
    EXPECT_EQ(readProfileInt("D", "E", 99, path_), 99);  // empty value
    EXPECT_EQ(readProfileInt("D", "F", 99, path_), 7);
    EXPECT_EQ(readProfileInt("D", "G", 99, path_), -2147483647 - 1);
    EXPECT_EQ(readProfileInt("D", "H", 99, path_), 0);
}

TEST_F(IniFile, ReadTrimsUnquotesAndMatchesNamesLikeWindows) {
    put("[data] trailing text\r\n"
        " \tPath\t =  \"quoted value\"  \r\n"
        "; PLAYER_TYPE=5\r\n"
        "NOEQUALS\r\n"
        "Semi=a;b\r\n"
        "Single='x'\r\n"
        "Mixed=\"y'\r\n"
        "path=second\r\n"
        "[DATA]\r\n"
        "PLAYER_TYPE=3\r\n");
    EXPECT_EQ(readProfileString("DATA", "PATH", "", path_), "quoted value");
    EXPECT_EQ(readProfileString("DATA", "Semi", "", path_), "a;b");
    EXPECT_EQ(readProfileString("DATA", "Single", "", path_), "x");
    EXPECT_EQ(readProfileString("DATA", "Mixed", "", path_), "\"y'");
    EXPECT_EQ(readProfileString("DATA", "NOEQUALS", "def", path_), "def");
    // Commented out in the first DATA section; the duplicate section is never looked at.
    EXPECT_EQ(readProfileInt("DATA", "PLAYER_TYPE", 0, path_), 0);
}

TEST_F(IniFile, StringReadIsCutToTheBuffer) {
    std::string longValue(300, 'p');
    put("[DATA]\r\nPATH=" + longValue + "\r\n");
    EXPECT_EQ(readProfileString("DATA", "PATH", "", path_), std::string(259, 'p'));
    EXPECT_EQ(readProfileString("DATA", "NONE", longValue, path_), std::string(259, 'p'));
}

TEST_F(IniFile, WriteChangesExactlyOneLine) {
    const std::string before =
        "; VKRandom settings\r\n"
        "\r\n"
        "[REMOTE]\r\n"
        "CONNECT_TYPE = 0\r\n"
        "[Data]\r\n"
        "Path=\x83\x65\x83\x58\x83\x67\r\n"
        "version=1\r\n"
        "\r\n"
        "; end\r\n";
    put(before);
    ASSERT_TRUE(writeProfileString("DATA", "VERSION", "3", path_));
    std::string expected = before;
    expected.replace(expected.find("version=1"), 9, "version=3");
    EXPECT_EQ(get(), expected);
    EXPECT_EQ(readProfileString("data", "path", "", path_), "\x83\x65\x83\x58\x83\x67");
}

TEST_F(IniFile, NewKeyGoesAfterTheSectionsLastKey) {
    EXPECT_EQ(applyProfileWrite("[DATA]\nPATH=a\n\n; note\n[REMOTE]\n", "data", "VERSION", "2"),
              "[DATA]\nPATH=a\nVERSION=2\r\n\n; note\n[REMOTE]\n");
    EXPECT_EQ(applyProfileWrite("[DATA]\r\n\r\n[R]\r\n", "DATA", "K", "v"),
              "[DATA]\r\nK=v\r\n\r\n[R]\r\n");
    EXPECT_EQ(applyProfileWrite("[DATA]\r\nPATH=a", "DATA", "K", "v"),
              "[DATA]\r\nPATH=a\r\nK=v\r\n");
    // A duplicate section: the first one is the one written.
    EXPECT_EQ(applyProfileWrite("[D]\nA=1\n[D]\nK=old\n", "D", "K", "new"),
              "[D]\nA=1\nK=new\r\n[D]\nK=old\n");
}

TEST_F(IniFile, NewSectionIsAppendedAndFirstWriteCreatesTheFile) {
    EXPECT_EQ(applyProfileWrite("[DATA]\r\nPATH=a\r\n", "REMOTE", "REMOTE_DIR", "/media/c/"),
              "[DATA]\r\nPATH=a\r\n[REMOTE]\r\nREMOTE_DIR=/media/c/\r\n");
    EXPECT_EQ(applyProfileWrite("[DATA]\r\nPATH=a", "R", "K", "v"),
              "[DATA]\r\nPATH=a\r\n[R]\r\nK=v\r\n");
    // Added lines end in CR LF whatever the file uses; its own lines keep theirs.
    EXPECT_EQ(applyProfileWrite("[DATA]\nPATH=a\n", "R", "K", "v"), "[DATA]\nPATH=a\n[R]\r\nK=v\r\n");
    ASSERT_TRUE(writeProfileString("DATA", "PATH", "x", path_));
    EXPECT_EQ(get(), "[DATA]\r\nPATH=x\r\n");
    // A line break in a value would add lines of its own: refused, file unchanged.
    EXPECT_FALSE(writeProfileString("DATA", "PATH", "a\nVERSION=4", path_));
    EXPECT_EQ(get(), "[DATA]\r\nPATH=x\r\n");
}

TEST_F(IniFile, WriteKeepsPermissionsAndFailureLeavesOldFile) {
    put("[DATA]\nPATH=a\n");
    ASSERT_EQ(::chmod(path_.c_str(), 0640), 0);
    ASSERT_TRUE(writeProfileString("DATA", "PATH", "b", path_));
    struct stat st {};
    ASSERT_EQ(::stat(path_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1);  // no temp left

    // A write that fails half way (file size limit, which binds root too) keeps the old file.
    pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{16, RLIM_INFINITY};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(writeProfileString("DATA", "PATH", std::string(100, 'c'), path_) ? 1 : 0);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the failing write succeeded";
    EXPECT_EQ(get(), "[DATA]\nPATH=b\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1);

    // A parent that is a regular file cannot hold the file, even for root.
    EXPECT_FALSE(writeProfileString("DATA", "PATH", "c", path_ + "/VKRandom.ini"));
    EXPECT_FALSE(writeProfileString("DATA", "PATH", "c", "/proc/self/VKRandom.ini"));
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
    put("[DATA]\r\nPATH=a\r\n");
    if (!setImmutable(dir_, true)) GTEST_SKIP() << "no immutable flag on this filesystem";
    const bool written = writeProfileString("DATA", "PATH", "b", path_);
    setImmutable(dir_, false);
    EXPECT_TRUE(written);
    EXPECT_EQ(get(), "[DATA]\r\nPATH=b\r\n");
}
