// The progress box of a card transfer, drawn with Qt; when it appears and what it shows is the
// session's (core/progress.h). The transfers block the one GUI thread, so each report also lets
// the window repaint; user input waits until the transfer is over.
#pragma once

#include <QPointer>

#include "core/progress.h"

class QProgressDialog;
class QWidget;

namespace app {

class CardProgress : public core::ProgressView {
  public:
    explicit CardProgress(QWidget* window) : window_(window) {}
    ~CardProgress() override;
    CardProgress(const CardProgress&) = delete;
    CardProgress& operator=(const CardProgress&) = delete;

    void showProgress() override;
    void setProgress(int step) override;
    void hideProgress() override;
    void repaintWindows() override;

  private:
    QWidget* window_;
    QPointer<QProgressDialog> dialog_;
};

}  // namespace app
