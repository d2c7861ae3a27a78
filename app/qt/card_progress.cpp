#include "app/qt/card_progress.h"

#include <QCoreApplication>
#include <QProgressDialog>

#include "app/qt/template_controls.h"
#include "rc/description.h"
#include "res/resource.h"

namespace app {

CardProgress::~CardProgress() {
    hideProgress();
}

void CardProgress::showProgress() {
    if (dialog_) return;
    // Not modal: a modal QProgressDialog would run a full event loop in setValue and let clicks
    // through to the window before it is shown.
    // Qt's own progress box, with the caption and text of template IDD_PROGRESS.
    const rc::Dialog& box = *rc::dialog(IDD_PROGRESS);
    dialog_ = new QProgressDialog(qString(box.control(IDC_PROGRESS_TEXT)->text), QString(), 0,
                                  core::TransferProgress::steps, window_);
    dialog_->setWindowTitle(qString(box.caption));
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
