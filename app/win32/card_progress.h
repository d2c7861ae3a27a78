// The progress box of a card transfer, drawn from template IDD_PROGRESS; when it appears and what
// it shows is the session's (core/progress.h). Transfers block the one GUI thread, so each report
// also lets the windows repaint; user input for the main window is dropped meanwhile, and the
// main window stays disabled while the box is up.
#pragma once

#include <windows.h>

#include "core/progress.h"

namespace app {

class CardProgress : public core::ProgressView {
  public:
    CardProgress() = default;
    ~CardProgress() override { hideProgress(); }
    CardProgress(const CardProgress&) = delete;
    CardProgress& operator=(const CardProgress&) = delete;

    void attach(HWND window) { window_ = window; }
    HWND box() const { return box_; }

    void showProgress() override;
    void setProgress(int step) override;
    void hideProgress() override;
    void repaintWindows() override;

  private:
    HWND window_ = nullptr;
    HWND box_ = nullptr;
};

}  // namespace app
