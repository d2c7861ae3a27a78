// The yardstick of the start-up benchmark: an empty QDialog, built like the program. With
// --label it shows one Japanese line, which adds Qt's font setup to the run.
#include <QApplication>
#include <QDialog>
#include <QLabel>

#include "app/qt/bench/exit_when_shown.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    ExitWhenShown probe("QDialog");
    application.installEventFilter(&probe);
    QDialog dialog;
    dialog.resize(480, 520);
    if (QCoreApplication::arguments().contains(QStringLiteral("--label")))
        new QLabel(QStringLiteral("Veskランダムエディター"), &dialog);
    return dialog.exec();
}
