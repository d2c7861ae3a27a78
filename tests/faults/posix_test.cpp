// What only Linux has: the flock lock across processes, /dev/full, /proc, mount points, file
// modes and the immutable flag; sessions meeting FIFOs, devices and folders, and the card
// emulator serving links and FIFOs (tests/data/sessions_posix.txt).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>

#include "support/card_emulator_process.h"
#include "support/session_script.h"
#include "platform/file_io.h"
#include "platform/ini_file.h"
#include "platform/instance_lock.h"
#include "platform/paths.h"

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

TEST(PosixPaths, SettingsFileBesideExecutableOrInConfigHomeAndMountPoints) {
    TempDir dir;
    const std::string config = dir / "config", fallback = config + "/VKRandom/VKRandom.ini";
    EXPECT_EQ(platform::settingsPathFor(dir / "vkrandom", config), dir / "VKRandom.ini");
    EXPECT_EQ(platform::settingsPathFor("/proc/self/exe", config), fallback);  // not writable
    EXPECT_TRUE(std::filesystem::is_directory(config + "/VKRandom"));
    EXPECT_EQ(platform::settingsPathFor("", config), fallback);

    EXPECT_EQ(platform::mountPointOf("/proc/self/status"), "/proc/");
    EXPECT_EQ(platform::mountPointOf("/"), "/");
    writeFile(dir / "card/STARTUP.XML", "x");
    const std::string mount = platform::mountPointOf(dir / "card/STARTUP.XML");
    struct stat fileStat {}, mountStat {};
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

TEST(PosixSessionScripts, EveryStepOfEveryScript) { playSessions("sessions_posix.txt"); }

// FAT cards and copies of them differ in letter case; folding is used only when one name fits.
TEST(PosixPaths, CaseIsFoldedOnlyWhenExactlyOneNameMatches) {
    TempDir dir;
    writeFile(dir / "act/a.xml", "x");
    EXPECT_EQ(platform::resolveProgramPath(dir.path(), "ACT\\A.XML"), dir / "act/a.xml");
    EXPECT_EQ(platform::resolveProgramPath(dir.path() + "/", "Act\\\\NEW.XML"), dir / "act/NEW.XML");
    writeFile(dir / "act/A.xml", "y");
    EXPECT_EQ(platform::resolveProgramPath(dir.path(), "act\\A.xml"), dir / "act/A.xml");
    EXPECT_EQ(platform::resolveProgramPath(dir.path(), "ACT\\A.XML"), dir / "act/A.XML");
    EXPECT_EQ(platform::resolveProgramPath("", "tmp\\x"), "/tmp/x");
}

// The card emulator is safe to leave running: a client that sends nothing and one that reads
// nothing hold up neither another client nor a stop; a port that is none, or is taken, is refused.
TEST(PosixCardEmulator, SlowClientsHoldUpNoOneAndBadPortsAreRefused) {
    TempDir dir;
    writeFile(dir / "card/BIG", std::string(32 << 20, 'x'));
    writeFile(dir / "card/A.XML", "content");
    CardEmulatorProcess card(dir / "card");
    const std::string port = card.host().substr(10);
    const auto connected = [&](const std::string& request) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in to{AF_INET, htons(std::stoi(port)), {htonl(INADDR_LOOPBACK)}, {}};
        timeval limit{5, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
        ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
        return fd;
    };
    const int silent = connected(""), greedy = connected("GET /BIG HTTP/1.1\r\n\r\n");
    const int third = connected("GET /A.XML HTTP/1.1\r\n\r\n");
    std::string reply(4096, '\0');
    reply.resize(std::max<ssize_t>(0, ::recv(third, reply.data(), reply.size(), MSG_WAITALL)));
    EXPECT_TRUE(reply.ends_with("\r\n\r\ncontent")) << reply;
    for (const std::string& bad : {std::string("abc"), std::string("65536"), port}) {
        const std::string run = "timeout 5 " + CardEmulatorProcess::executable() + " --root " +
                                dir.path() + " --port " + bad + " 2>" + dir / "errors";
        EXPECT_EQ(WEXITSTATUS(std::system(run.c_str())), bad == port ? 1 : 2) << bad;
        const char* says = bad == port ? "Address already in use" : "from 0 to 65535";
        EXPECT_NE(readFile(dir / "errors").find(says), std::string::npos) << bad;
    }
    const auto began = std::chrono::steady_clock::now();
    card.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(1));
    for (const int fd : {silent, greedy, third}) ::close(fd);
}

}  // namespace
