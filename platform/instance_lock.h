// Single-instance lock: an exclusive flock on a per-user lock file. The kernel drops the lock
// when the process ends, so a crashed instance never locks the user out.
#pragma once

#include <memory>
#include <string>

namespace platform {

class InstanceLock {
public:
    // Returns the lock when this caller is the first holder, nullptr when another holds it.
    // A lock file that cannot be created at all yields a held lock: refusing to start for want
    // of a lock file would lock the user out.
    static std::unique_ptr<InstanceLock> tryAcquire(const std::string& lockPath);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

private:
    explicit InstanceLock(int fd) : fd_(fd) {}
    int fd_;
};

// $XDG_RUNTIME_DIR/VKRandom.lock, else /tmp/VKRandom-<uid>.lock.
std::string defaultLockPath();

}  // namespace platform
