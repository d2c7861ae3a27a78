// Single-instance lock across processes, freed by the kernel when its holder is killed, and never
// kept by a file we cannot trust. The in-process conflict is tested through the session.
#include "platform/instance_lock.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "support/temp_dir.h"

using namespace platform;

namespace {

struct InstanceLockTest : ::testing::Test {
    testing_support::TempDir dir;
    const std::string path = dir / "VKRandom.lock";
};

}  // namespace

TEST_F(InstanceLockTest, KilledHolderReleasesTheLock) {
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
    EXPECT_NE(InstanceLock::tryAcquire(path), nullptr);
}

TEST_F(InstanceLockTest, OnlyOurOwnLockFileCanLockUsOut) {
    auto held = InstanceLock::tryAcquire(path);
    ASSERT_NE(held, nullptr);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // A lock file that cannot be made at all, or a symbolic link to a held one, is no lock.
    EXPECT_NE(InstanceLock::tryAcquire("/proc/self/no-such-dir/VKRandom.lock"), nullptr);
    std::filesystem::create_symlink(path, dir / "link.lock");
    EXPECT_NE(InstanceLock::tryAcquire(dir / "link.lock"), nullptr);
    // Nor is a held file that belongs to another user.
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to give the file to another user";
    ASSERT_EQ(::chown(path.c_str(), 12345, 12345), 0);
    EXPECT_NE(InstanceLock::tryAcquire(path), nullptr);
}
