// The limits of one HTTP exchange, kept the same way by every transport: fed with the bytes moved
// so far and the time, the watch says when to give up and why, so that a card that vanishes,
// stalls, drips or crawls never holds the window for long.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "transfer/http_transport.h"

namespace transfer {

class TransferWatch {
  public:
    using Clock = std::chrono::steady_clock;

    TransferWatch(const HttpLimits& limits, Clock::time_point start);
    // The request is out: from here on the stall and floor limits count, each byte moved, sent
    // or received, header or body, counting as progress.
    void sent(Clock::time_point now);
    bool isSent() const { return sent_; }
    // The failure to end the exchange with, or none while it may go on. `moved` only grows.
    std::optional<std::pair<HttpFailure, std::string>> check(std::uint64_t moved,
                                                             Clock::time_point now);

  private:
    HttpLimits limits_;
    Clock::time_point start_, lastMove_, windowStart_;
    std::uint64_t moved_ = 0, windowMoved_ = 0;
    bool sent_ = false;
};

}  // namespace transfer
