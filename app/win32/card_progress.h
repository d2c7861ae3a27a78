// The progress box of a card transfer. Transfers block the one GUI thread, so each progress
// report also lets the windows repaint; user input for the main window is dropped meanwhile,
// and the main window stays disabled until the transfer is over.
#pragma once

#include <windows.h>

#include <cstdint>

namespace app {

class CardProgress {
  public:
    CardProgress() = default;
    ~CardProgress() { finish(); }
    CardProgress(const CardProgress&) = delete;
    CardProgress& operator=(const CardProgress&) = delete;

    void attach(HWND window) { window_ = window; }
    // Fed by the card client's progress hook; `expected` 0 when the size is unknown.
    void update(std::uint64_t done, std::uint64_t expected);
    // Ends the display: after each window command and before any message box.
    void finish();
    bool isRunning() const { return running_; }
    HWND box() const { return box_; }

  private:
    void pump();

    HWND window_ = nullptr;
    HWND box_ = nullptr;
    bool running_ = false;
    ULONGLONG started_ = 0;
};

}  // namespace app
