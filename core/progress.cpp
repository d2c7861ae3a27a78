#include "core/progress.h"

#include <algorithm>

namespace core {

void TransferProgress::update(std::uint64_t done, std::uint64_t expected) {
    const auto now = std::chrono::steady_clock::now();
    if (!running_) {
        running_ = true;
        started_ = now;
    }
    if (!view_) return;
    if (!shown_ && now - started_ >= showAfter) {
        shown_ = true;
        view_->showProgress();
    }
    if (shown_)
        view_->setProgress(
            expected > 0 ? static_cast<int>(std::min(done, expected) * steps / expected) : -1);
    view_->repaintWindows();
}

void TransferProgress::finish() {
    running_ = false;
    if (shown_ && view_) view_->hideProgress();
    shown_ = false;
}

}  // namespace core
