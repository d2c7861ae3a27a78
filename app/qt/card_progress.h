// The progress dialog of a card transfer. The transfers block the one GUI thread, so each
// progress report also lets the window repaint; user input waits until the transfer is over.
#pragma once

#include <QPointer>
#include <cstdint>

class QProgressDialog;
class QWidget;

namespace app {

class CardProgress {
  public:
    explicit CardProgress(QWidget* window) : window_(window) {}
    ~CardProgress();
    CardProgress(const CardProgress&) = delete;
    CardProgress& operator=(const CardProgress&) = delete;

    // Fed by the card client's progress hook; `expected` 0 when the size is unknown.
    void update(std::uint64_t done, std::uint64_t expected);
    // Ends the display: after each window command and before any message box.
    void finish();
    bool isRunning() const { return !dialog_.isNull(); }

  private:
    QWidget* window_;
    QPointer<QProgressDialog> dialog_;
};

}  // namespace app
