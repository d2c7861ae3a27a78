// Single-instance lock: the named mutex "VKRandom" on Windows, an exclusive flock on a per-user
// lock file on POSIX. The system drops either when the process ends, so a crashed instance never
// locks the user out.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

class InstanceLock {
  public:
    // `lockPath` names the lock: a file on POSIX, the mutex on Windows.
    // Returns the lock when this caller is the first holder, nullptr when another holds it.
    // A lock file that cannot be created at all yields a held lock: refusing to start for want
    // of a lock file would lock the user out.
    static std::unique_ptr<InstanceLock> tryAcquire(const std::string& lockPath);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

  private:
    explicit InstanceLock(std::intptr_t handle) : handle_(handle) {}
    std::intptr_t handle_;  // the lock file's descriptor on POSIX, the mutex handle on Windows
};

// "VKRandom" on Windows; $XDG_RUNTIME_DIR/VKRandom.lock, else /tmp/VKRandom-<uid>.lock on POSIX.
std::string defaultLockPath();

}  // namespace platform
