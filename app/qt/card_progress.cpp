#include "app/qt/card_progress.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace app {

CardProgress::~CardProgress() {
    hideProgress();
}

void CardProgress::showProgress() {
    if (dialog_) return;
    // Not modal: a modal QProgressDialog would run a full event loop in setValue and let clicks
    // through to the window before it is shown.
    dialog_ = new QProgressDialog(QStringLiteral("FlashAirと通信しています..."), QString(), 0,
                                  core::TransferProgress::steps, window_);
    dialog_->setWindowTitle(window_ ? window_->windowTitle() : QString());
    dialog_->setWindowModality(Qt::NonModal);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setMinimumDuration(0);
    dialog_->show();
}

void CardProgress::setProgress(int step) {
    if (!dialog_) return;
    dialog_->setMaximum(step < 0 ? 0 : core::TransferProgress::steps);  // 0: busy indicator
    dialog_->setValue(step < 0 ? 0 : step);
}

void CardProgress::hideProgress() {
    delete dialog_.data();
}

void CardProgress::repaintWindows() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace app
