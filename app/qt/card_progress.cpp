#include "app/qt/card_progress.h"

#include <QCoreApplication>
#include <QProgressDialog>
#include <algorithm>

namespace app {

namespace {
constexpr int steps = 1000;
// Short local transfers end before the dialog would appear, so it never flickers.
constexpr int showAfterMs = 400;
}  // namespace

CardProgress::~CardProgress() {
    finish();
}

void CardProgress::update(std::uint64_t done, std::uint64_t expected) {
    if (!dialog_) {
        // Not modal: a modal QProgressDialog would run a full event loop in setValue and let
        // clicks through to the window before it is shown.
        dialog_ = new QProgressDialog(QStringLiteral("FlashAirと通信しています..."), QString(), 0,
                                      steps, window_);
        dialog_->setWindowTitle(window_ ? window_->windowTitle() : QString());
        dialog_->setWindowModality(Qt::NonModal);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
        dialog_->setMinimumDuration(showAfterMs);
    }
    if (expected > 0) {
        dialog_->setMaximum(steps);
        dialog_->setValue(static_cast<int>(std::min(done, expected) * steps / expected));
    } else {
        dialog_->setMaximum(0);  // busy indicator
        dialog_->setValue(0);
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void CardProgress::finish() {
    delete dialog_.data();
}

}  // namespace app
