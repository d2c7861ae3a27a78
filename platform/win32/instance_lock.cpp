// Single-instance lock on the named mutex. Windows releases an owner's mutex when its process
// ends (the next opener sees it abandoned), so a crash never locks the user out.
#include "platform/instance_lock.h"

#include <algorithm>

#include "platform/win32/wide.h"

namespace platform {

std::unique_ptr<InstanceLock> InstanceLock::tryAcquire(const std::string& lockPath) {
    // A backslash is only allowed after a "Global" or "Local" namespace prefix.
    std::string name = lockPath;
    std::replace(name.begin(), name.end(), '\\', '/');
    HANDLE mutex = ::CreateMutexW(nullptr, TRUE, win32::toWide(name).c_str());
    if (mutex != nullptr && ::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(mutex);  // never owned: the first holder keeps it
        return nullptr;
    }
    // No mutex at all (out of handles, a name taken by another object kind) must not keep the
    // user out either.
    return std::unique_ptr<InstanceLock>(new InstanceLock(reinterpret_cast<std::intptr_t>(mutex)));
}

InstanceLock::~InstanceLock() {
    HANDLE mutex = reinterpret_cast<HANDLE>(handle_);
    if (mutex == nullptr) return;
    ::ReleaseMutex(mutex);
    ::CloseHandle(mutex);
}

std::string defaultLockPath() {
    return "VKRandom";
}

}  // namespace platform
