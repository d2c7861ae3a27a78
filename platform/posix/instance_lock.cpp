// Single-instance lock on an flock'ed per-user file. flock belongs to the open file description,
// so a second open in the same process conflicts too, and the kernel releases it on exit.
#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace platform {

std::unique_ptr<InstanceLock> InstanceLock::tryAcquire(const std::string& lockPath) {
    int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    // In a shared /tmp another user could plant the file and hold it: only our own file counts.
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || st.st_uid != ::geteuid())) {
        ::close(fd);
        fd = -1;
    }
    if (fd < 0) return std::unique_ptr<InstanceLock>(new InstanceLock(-1));
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0 && errno == EWOULDBLOCK) {
        ::close(fd);
        return nullptr;
    }
    // Any other flock error (e.g. a filesystem without locks) must not keep the user out either.
    return std::unique_ptr<InstanceLock>(new InstanceLock(fd));
}

InstanceLock::~InstanceLock() {
    if (handle_ >= 0)
        ::close(static_cast<int>(handle_));  // closing the last descriptor drops the lock
}

std::string defaultLockPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat st {};
    if (runtime != nullptr && *runtime != '\0' && ::stat(runtime, &st) == 0 && S_ISDIR(st.st_mode))
        return std::string(runtime) + "/VKRandom.lock";
    return "/tmp/VKRandom-" + std::to_string(::getuid()) + ".lock";
}

}  // namespace platform
