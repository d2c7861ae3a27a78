// What only Linux has: the flock lock across processes, /dev/full, /proc, mount points, file
// modes and the immutable flag; sessions meeting FIFOs, devices, folders and links
// (tests/data/sessions_posix.txt).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "platform/file_io.h"
#include "platform/ini_file.h"
#include "platform/instance_lock.h"
#include "platform/paths.h"
#include "support/session_script.h"

namespace {

using namespace testing_support;
using platform::InstanceLock;

TEST(PosixLock, KilledHolderReleasesItAndOnlyOurOwnFileLocksUsOut) {
    TempDir dir;
    const std::string path = dir / "VKRandom.lock";
    const pid_t child = ::fork();
    if (child == 0) {
        const auto lock = InstanceLock::tryAcquire(path);
        if (lock) ::raise(SIGSTOP);  // holding it until killed
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, WUNTRACED), child);
    ASSERT_TRUE(WIFSTOPPED(status)) << "the child got no lock";
    EXPECT_EQ(InstanceLock::tryAcquire(path), nullptr);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    auto held = InstanceLock::tryAcquire(path);
    ASSERT_NE(held, nullptr);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // A lock file that cannot be made, or a symbolic link to a held one, is no lock.
    EXPECT_NE(InstanceLock::tryAcquire("/proc/self/no-such-dir/VKRandom.lock"), nullptr);
    std::filesystem::create_symlink(path, dir / "link.lock");
    EXPECT_NE(InstanceLock::tryAcquire(dir / "link.lock"), nullptr);
}

TEST(PosixFiles, CopyTruncatesAndFullDiskIsNamed) {
    TempDir dir;
    writeFile(dir / "A.XML", "short");
    writeFile(dir / "COPY", std::string(300000, 'z'));
    ASSERT_TRUE(platform::copyFileDurably(dir / "A.XML", dir / "COPY"));
    EXPECT_EQ(readFile(dir / "COPY"), "short");
    EXPECT_FALSE(platform::copyFileDurably(dir / "A.XML", "/dev/full"));
    const auto full = platform::replaceFileContent("/dev/full", std::vector<std::uint8_t>(20));
    EXPECT_EQ(full.status, platform::ReplaceResult::writeFailed);
    EXPECT_EQ(platform::fileErrorCauseOf(full.error), platform::FileErrorCause::diskFull);
}

TEST(PosixPaths, SettingsFileBesideAnOwnCopyOrInConfigHomeAndMountPoints) {
    TempDir dir;
    const std::string config = dir / "config", fallback = config + "/VKRandom/VKRandom.ini";
    EXPECT_EQ(platform::settingsPathFor(dir / "vkrandom", config), dir / "VKRandom.ini");
    EXPECT_EQ(platform::settingsPathFor("/proc/self/exe", config), fallback);  // not writable
    EXPECT_TRUE(std::filesystem::is_directory(config + "/VKRandom"));
    EXPECT_EQ(platform::settingsPathFor("", config), fallback);
    // Installed, even where it could write: under /usr, or in a folder that is not the user's.
    EXPECT_EQ(platform::settingsPathFor("/usr/bin/vkrandom", config), fallback);
    std::string shared = "/tmp";  // root's, and writable
    if (::geteuid() == 0) {       // another user's folder, with a settings file in it
        shared = dir / "shared";
        writeFile(shared + "/VKRandom.ini", "");
        ASSERT_EQ(::chown(shared.c_str(), 65534, 65534), 0);
    }
    EXPECT_EQ(platform::settingsPathFor(shared + "/vkrandom", config), fallback);

    EXPECT_EQ(platform::mountPointOf("/proc/self/status"), "/proc/");
    EXPECT_EQ(platform::mountPointOf("/"), "/");
    writeFile(dir / "card/STARTUP.XML", "x");
    const std::string mount = platform::mountPointOf(dir / "card/STARTUP.XML");
    struct stat fileStat {
    }, mountStat{};
    ASSERT_EQ(::stat((dir / "card").c_str(), &fileStat) | ::stat(mount.c_str(), &mountStat), 0);
    EXPECT_EQ(fileStat.st_dev, mountStat.st_dev);
    EXPECT_EQ(platform::mountPointOf(dir / "card/missing/../STARTUP.XML"), mount);
}

// The immutable flag on a folder stops new entries in it even for root, as a read-only install
// folder does for a user.
bool setImmutable(const std::string& path, bool on) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    bool ok = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0) ::close(fd);
    return ok;
}

TEST(PosixSettings, WriteKeepsTheModeAndWorksInAFolderWeCannotWrite) {
    TempDir dir;
    const std::string path = dir / "VKRandom.ini";
    writeFile(path, "[DATA]\r\nPATH=a\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(platform::writeProfileString("DATA", "PATH", "b", path));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    if (!setImmutable(dir.path(), true)) GTEST_SKIP() << "no immutable flag on this filesystem";
    const bool written = platform::writeProfileString("DATA", "PATH", "c", path);
    setImmutable(dir.path(), false);
    EXPECT_TRUE(written);
    EXPECT_EQ(readFile(path), "[DATA]\r\nPATH=c\r\n");
}

const bool registered = registerScripts("PosixSessionScripts", "sessions_posix.txt");

// FAT cards and copies of them differ in letter case; folding is used only when one name fits.
TEST(PosixPaths, CaseIsFoldedOnlyWhenExactlyOneNameMatches) {
    TempDir dir;
    writeFile(dir / "act/a.xml", "x");
    EXPECT_EQ(platform::resolveProgramPath(dir.path(), "ACT\\A.XML"), dir / "act/a.xml");
    EXPECT_EQ(platform::resolveProgramPath(dir.path() + "/", "Act\\\\NEW.XML"),
              dir / "act/NEW.XML");
    writeFile(dir / "act/A.xml", "y");
    EXPECT_EQ(platform::resolveProgramPath(dir.path(), "act\\A.xml"), dir / "act/A.xml");
    EXPECT_EQ(platform::resolveProgramPath(dir.path(), "ACT\\A.XML"), dir / "act/A.XML");
    EXPECT_EQ(platform::resolveProgramPath("", "tmp\\x"), "/tmp/x");
}

}  // namespace
