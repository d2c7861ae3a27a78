// The --wrap side of io_faults.h: __wrap_X runs in place of X for the library's calls and
// reaches the real call through __real_X.
#include "io_faults.h"

#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>

extern "C" {
ssize_t __real_pwrite(int fd, const void* data, std::size_t size, off_t offset);
ssize_t __real_write(int fd, const void* data, std::size_t size);
int __real_fsync(int fd);
int __real_close(int fd);
int __real_rename(const char* from, const char* to);
}

namespace faults {
namespace {

struct State {
    Plan plan;
    std::size_t failed = 0;
};
std::optional<State> armed;

bool targets(Call call) {
    return armed && armed->plan.call == call && armed->plan.failures > 0;
}

// errno and the result of a call that fails now.
template <typename Result>
Result fail() {
    --armed->plan.failures;
    ++armed->failed;
    if (armed->plan.error == 0) return 0;
    errno = armed->plan.error;
    return -1;
}

// How many of `size` bytes a write may take now; 0 means the call fails.
std::size_t writable(std::size_t size) {
    return std::min({size, armed->plan.allow, armed->plan.chunk});
}

// Calls other than writes: the first `allow` succeed.
bool mayPass() {
    if (armed->plan.allow == 0) return false;
    --armed->plan.allow;
    return true;
}

}  // namespace

Injection::Injection(Plan plan) {
    armed = State{plan};
}
Injection::~Injection() {
    armed.reset();
}
std::size_t Injection::failed() const {
    return armed ? armed->failed : 0;
}

}  // namespace faults

using faults::Call;

extern "C" ssize_t __wrap_pwrite(int fd, const void* data, std::size_t size, off_t offset) {
    if (!faults::targets(Call::pwrite) || size == 0) return __real_pwrite(fd, data, size, offset);
    const std::size_t now = faults::writable(size);
    if (now == 0) return faults::fail<ssize_t>();
    if (faults::armed->plan.allow != std::numeric_limits<std::size_t>::max())
        faults::armed->plan.allow -= now;
    return __real_pwrite(fd, data, now, offset);
}

extern "C" ssize_t __wrap_write(int fd, const void* data, std::size_t size) {
    if (!faults::targets(Call::write) || size == 0) return __real_write(fd, data, size);
    const std::size_t now = faults::writable(size);
    if (now == 0) return faults::fail<ssize_t>();
    if (faults::armed->plan.allow != std::numeric_limits<std::size_t>::max())
        faults::armed->plan.allow -= now;
    return __real_write(fd, data, now);
}

extern "C" int __wrap_fsync(int fd) {
    if (!faults::targets(Call::fsync) || faults::mayPass()) return __real_fsync(fd);
    return faults::fail<int>();
}

// Linux frees the descriptor even when close reports an error, so the real close always runs.
extern "C" int __wrap_close(int fd) {
    const int result = __real_close(fd);
    if (!faults::targets(Call::close) || faults::mayPass()) return result;
    return faults::fail<int>();
}

extern "C" int __wrap_rename(const char* from, const char* to) {
    if (!faults::targets(Call::rename) || faults::mayPass()) return __real_rename(from, to);
    return faults::fail<int>();
}
