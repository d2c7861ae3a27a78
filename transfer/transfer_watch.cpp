#include "transfer/transfer_watch.h"

#include "transfer/failure_facts.h"

namespace transfer {
namespace {

long long secondsBetween(TransferWatch::Clock::time_point from,
                         TransferWatch::Clock::time_point to) {
    return std::chrono::duration_cast<std::chrono::seconds>(to - from).count();
}

}  // namespace

TransferWatch::TransferWatch(const HttpLimits& limits, Clock::time_point start)
    : limits_(limits), start_(start), lastMove_(start), windowStart_(start) {}

void TransferWatch::sent(Clock::time_point now) {
    if (sent_) return;
    sent_ = true;
    lastMove_ = windowStart_ = now;
    windowMoved_ = moved_;
}

std::optional<std::pair<HttpFailure, std::string>> TransferWatch::check(std::uint64_t moved,
                                                                        Clock::time_point now) {
    if (secondsBetween(start_, now) >= limits_.deadlineSeconds)
        return std::pair{HttpFailure::timeout,
                         facts::seconds(limits_.deadlineSeconds) + "で終わらない"};
    if (!sent_) {
        // Connecting, sending and waiting for the reply may be one call of the transport.
        const long wait = limits_.connectSeconds + limits_.stallSeconds;
        if (secondsBetween(start_, now) >= wait)
            return std::pair{HttpFailure::noReply, facts::seconds(wait) + "待った"};
        return std::nullopt;
    }
    if (moved != moved_) {
        moved_ = moved;
        lastMove_ = now;
    }
    if (secondsBetween(lastMove_, now) >= limits_.stallSeconds)
        return std::pair{HttpFailure::noReply,
                         facts::seconds(limits_.stallSeconds) + "止まったまま"};
    if (secondsBetween(windowStart_, now) >= limits_.floorSeconds) {
        const auto floor = static_cast<std::uint64_t>(limits_.floorBytesPerSecond) *
                           static_cast<std::uint64_t>(limits_.floorSeconds);
        const std::uint64_t inWindow = moved_ - windowMoved_;
        if (inWindow < floor)
            return std::pair{HttpFailure::tooSlow,
                             facts::seconds(limits_.floorSeconds) + "で " + facts::bytes(inWindow)};
        windowStart_ = now;
        windowMoved_ = moved_;
    }
    return std::nullopt;
}

}  // namespace transfer
