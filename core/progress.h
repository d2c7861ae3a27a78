// The progress box of a card transfer, decided once for every front end: it appears only for a
// transfer that lasts, shows how far it is, and is gone before any message box or dialog. A
// front end only draws it.
#pragma once

#include <chrono>
#include <cstdint>

namespace core {

class ProgressView {
  public:
    virtual ~ProgressView() = default;
    // The box over the main window, which takes no input while it is up.
    virtual void showProgress() = 0;
    // 0..TransferProgress::steps, or -1 while the size is not known.
    virtual void setProgress(int step) = 0;
    virtual void hideProgress() = 0;
    // Lets the windows repaint while the transfer holds the one thread (user input waits).
    virtual void repaintWindows() = 0;
};

class TransferProgress {
  public:
    static constexpr int steps = 1000;
    // Transfers that end sooner never show a box, so it never flickers.
    static constexpr std::chrono::milliseconds showAfter{400};

    void attach(ProgressView* view) { view_ = view; }
    // From the card client while a transfer runs; `expected` 0 when the size is not known.
    void update(std::uint64_t done, std::uint64_t expected);
    // After each command and before any box or dialog.
    void finish();
    // A transfer is under way (its box may not be up yet).
    bool running() const { return running_; }

  private:
    ProgressView* view_ = nullptr;
    bool running_ = false;
    bool shown_ = false;
    std::chrono::steady_clock::time_point started_;
};

}  // namespace core
