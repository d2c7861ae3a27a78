// Start-up probes: the process ends the moment its window (a top-level widget of the given
// class) has painted, so the wall time of a run is the time from exec to the window on screen.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <cstdlib>

class ExitWhenShown : public QObject {
  public:
    explicit ExitWhenShown(const char* windowClass) : windowClass_(windowClass) {}

    bool eventFilter(QObject* target, QEvent* event) override {
        if (event->type() == QEvent::Paint && target->inherits(windowClass_) &&
            static_cast<QWidget*>(target)->isWindow()) {
            // Queued, so the paint and its flush to the screen complete first.
            QMetaObject::invokeMethod(
                qApp, [] { std::_Exit(0); }, Qt::QueuedConnection);
        }
        return false;
    }

  private:
    const char* windowClass_;
};
