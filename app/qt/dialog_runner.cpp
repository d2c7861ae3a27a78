#include "app/qt/dialog_runner.h"

#include <QDialog>

namespace app {

int DialogRunner::run(QDialog& dialog) {
    return dialog.exec();
}

DialogRunner& DialogRunner::modal() {
    static DialogRunner runner;
    return runner;
}

}  // namespace app
