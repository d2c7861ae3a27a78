// Fault injection for the file calls our code makes: the fault_tests executable is linked with
// -Wl,--wrap for these calls, so every use of them in the library passes through here. Nothing
// changes until a test arms a fault; the fault is disarmed again when the test's object dies.
#pragma once

#include <cstddef>
#include <functional>
#include <limits>

namespace faults {

enum class Call { pwrite, write, fsync, close, rename };

struct Plan {
    Call call;
    int error;  // errno of a failing call; 0 makes a write return 0 instead of -1
    // Writes: bytes that still go through before the calls start failing (a write that crosses
    // the limit comes back short). Other calls: calls that still succeed first.
    std::size_t allow = 0;
    // How many calls fail before the call works again.
    std::size_t failures = std::numeric_limits<std::size_t>::max();
    // Writes: most bytes a single call takes, to force short writes without an error.
    std::size_t chunk = std::numeric_limits<std::size_t>::max();
    // Other calls: done once, before the call after `allow`, in place of failing it (another
    // program at work).
    std::function<void()> meanwhile = nullptr;
};

class Injection {
  public:
    explicit Injection(Plan plan);
    ~Injection();
    Injection(const Injection&) = delete;
    Injection& operator=(const Injection&) = delete;
    // Calls that failed because of this injection.
    std::size_t failed() const;
};

}  // namespace faults
