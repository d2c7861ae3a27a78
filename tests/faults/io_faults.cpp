// The --wrap side of io_faults.h: __wrap_X runs in place of X for the library's calls and
// reaches the real call through __real_X.
#include "io_faults.h"

#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <utility>

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
int fail() {
    --armed->plan.failures;
    ++armed->failed;
    if (armed->plan.error == 0) return 0;
    errno = armed->plan.error;
    return -1;
}

// A write of `size` bytes: `real(n)` writes the first n of them, the part the plan lets through.
template <typename Real>
ssize_t wrapWrite(Call call, std::size_t size, Real real) {
    if (!targets(call) || size == 0) return real(size);
    Plan& plan = armed->plan;
    const std::size_t now = std::min({size, plan.allow, plan.chunk});
    if (now == 0) return fail();
    if (plan.allow != std::numeric_limits<std::size_t>::max()) plan.allow -= now;
    return real(now);
}

// Any other call: the first `allow` go through; `real()` is the call's own result.
template <typename Real>
int wrapCall(Call call, Real real) {
    if (!targets(call)) return real();
    if (armed->plan.allow > 0) {
        --armed->plan.allow;
        return real();
    }
    if (auto act = std::exchange(armed->plan.meanwhile, {})) {
        act();
        return real();
    }
    return fail();
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
    return faults::wrapWrite(Call::pwrite, size,
                             [&](std::size_t n) { return __real_pwrite(fd, data, n, offset); });
}
extern "C" ssize_t __wrap_write(int fd, const void* data, std::size_t size) {
    return faults::wrapWrite(Call::write, size,
                             [&](std::size_t n) { return __real_write(fd, data, n); });
}
extern "C" int __wrap_fsync(int fd) {
    return faults::wrapCall(Call::fsync, [&] { return __real_fsync(fd); });
}
// Linux frees the descriptor even when close reports an error, so the real close always runs.
extern "C" int __wrap_close(int fd) {
    const int result = __real_close(fd);
    return faults::wrapCall(Call::close, [&] { return result; });
}
extern "C" int __wrap_rename(const char* from, const char* to) {
    return faults::wrapCall(Call::rename, [&] { return __real_rename(from, to); });
}
