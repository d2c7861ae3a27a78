// Single-instance lock: holders in one process and across processes conflict, and the kernel
// frees the lock of a killed holder.
#include "platform/instance_lock.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

using namespace platform;

namespace {

std::string freshLockPath() {
    char pattern[] = "/tmp/vkrandom-lock-XXXXXX";
    return std::string(::mkdtemp(pattern)) + "/VKRandom.lock";
}

}  // namespace

TEST(InstanceLock, SecondHolderIsRefusedUntilRelease) {
    std::string path = freshLockPath();
    auto first = InstanceLock::tryAcquire(path);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(InstanceLock::tryAcquire(path), nullptr);
    first.reset();
    EXPECT_NE(InstanceLock::tryAcquire(path), nullptr);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    std::filesystem::remove_all(std::filesystem::path(path).parent_path());
}

TEST(InstanceLock, KilledHolderReleasesTheLock) {
    std::string path = freshLockPath();
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    pid_t child = ::fork();
    if (child == 0) {
        auto lock = InstanceLock::tryAcquire(path);
        char ok = lock ? 'y' : 'n';
        (void)::write(ready[1], &ok, 1);
        for (;;) ::pause();
    }
    char reply = 0;
    ASSERT_EQ(::read(ready[0], &reply, 1), 1);
    ASSERT_EQ(reply, 'y');
    EXPECT_EQ(InstanceLock::tryAcquire(path), nullptr);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_NE(InstanceLock::tryAcquire(path), nullptr);
    ::close(ready[0]);
    ::close(ready[1]);
    std::filesystem::remove_all(std::filesystem::path(path).parent_path());
}

TEST(InstanceLock, UnusableLockFileDoesNotLockTheUserOut) {
    auto lock = InstanceLock::tryAcquire("/proc/self/no-such-dir/VKRandom.lock");
    EXPECT_NE(lock, nullptr);
}

TEST(InstanceLock, AnotherUsersLockFileCannotLockUsOut) {
    std::string path = freshLockPath();
    auto planted = InstanceLock::tryAcquire(path);  // held through a file we then give away
    ASSERT_NE(planted, nullptr);
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to give the file to another user";
    ASSERT_EQ(::chown(path.c_str(), 12345, 12345), 0);
    EXPECT_NE(InstanceLock::tryAcquire(path), nullptr);
    // A symbolic link in its place is not followed.
    std::string link = freshLockPath();
    std::filesystem::create_symlink(path, link);
    EXPECT_NE(InstanceLock::tryAcquire(link), nullptr);
}
