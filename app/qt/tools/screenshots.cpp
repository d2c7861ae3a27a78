// vkrandom-screenshots: saves PNGs of every window and box the user meets, driven through the
// real program on the demo robot: the start-up question (131) and the file dialog, the main
// window with an entry selected, the settings dialog, the About box, a card failure (119) and
// a file error. scripts/screenshots runs it at 100 % and 200 %.
// Usage: vkrandom-screenshots DEMO_DIR OUT_DIR
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "app/qt/define_dlg.h"
#include "app/qt/dialog_runner.h"
#include "app/qt/vkrandom_app.h"
#include "app/qt/vkrandom_dlg.h"

namespace {

QString outDir, demoDir;

void settle(int ms = 50) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void save(QWidget& widget, const QString& name) {
    const QString scale = qEnvironmentVariable("QT_SCALE_FACTOR", "1");
    const QString file = outDir + "/" + name + (scale == "1" ? "" : "@" + scale + "x") + ".png";
    if (!widget.grab().save(file)) std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    std::printf("%s\n", qPrintable(file));
}

// Shows each dialog, saves it and answers it: OK, or the demo's start-up program.
class GrabbingRunner : public app::DialogRunner {
  public:
    int run(QDialog& dialog) override {
        dialog.show();
        settle(qobject_cast<QFileDialog*>(&dialog) ? 800 : 50);  // the folder list fills late
        QString name = QStringLiteral("about-box");
        int result = QDialog::Accepted;
        if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
            const int id = box->property("messageId").toInt();
            name = id ? QStringLiteral("message-%1").arg(id) : QStringLiteral("file-error");
        } else if (auto* files = qobject_cast<QFileDialog*>(&dialog)) {
            name = QStringLiteral("file-dialog");
            files->selectFile(demoDir + "/robot/STARTUP.XML");
        } else if (qobject_cast<app::CDefineDlg*>(&dialog)) {
            name = QStringLiteral("settings-dialog");
            result = QDialog::Rejected;
        }
        save(dialog, name);
        dialog.hide();
        return result;
    }
};

// A main window over the demo catalogue with `settings` as its settings file.
struct Session {
    explicit Session(const QByteArray& settings) {
        QFile file(dir.filePath("VKRandom.ini"));
        file.open(QIODevice::WriteOnly);
        file.write(settings);
        file.close();
        core::EditorOptions options;
        options.settingsPath = QFile::encodeName(file.fileName()).toStdString();
        options.lockPath = QFile::encodeName(dir.filePath("lock")).toStdString();
        options.catalogueDir = QFile::encodeName(demoDir).toStdString();
        window.emplace(options, runner);
        window->show();
        settle();
    }
    void select(int row) {
        auto* list = window->findChild<QListWidget*>();
        list->setCurrentRow(row);
        settle();
    }
    void press(int id) { static_cast<QPushButton*>(window->control(id))->click(); }

    QTemporaryDir dir;
    GrabbingRunner runner;
    std::optional<app::CVKRandomDlg> window;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    app::setUpApplication(application);
    if (argc < 3) {
        std::fprintf(stderr, "usage: vkrandom-screenshots DEMO_DIR OUT_DIR\n");
        return 2;
    }
    demoDir = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    outDir = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(outDir);
    QDir::setCurrent(demoDir + "/robot");  // where the file dialog opens

    {  // First start: the program-folder question, the file dialog, then the window.
        Session first("[REMOTE]\r\nCONNECT_TYPE=1\r\n");
        first.select(4);  // the entry with the most choices
        save(*first.window, "main-window");
        first.press(core::idSettingsButton);
        first.window->systemCommand(app::CVKRandomDlg::idAboutCommand);
    }
    {  // The card does not answer.
        Session card("[REMOTE]\r\nCONNECT_TYPE=2\r\nCARD_HOST=127.0.0.1:9\r\n");
        card.select(0);
    }
    {  // The command record opens but cannot be written.
        QTemporaryDir card;
        QDir().mkpath(card.filePath("ADDON"));
        QFile::link("/dev/full", card.filePath("ADDON/REMOTE.LOG"));
        Session usb("[DATA]\r\nPATH=" + QFile::encodeName(demoDir + "/robot") +
                    "\r\n[REMOTE]\r\nCONNECT_TYPE=1\r\nREMOTE_DIR=" +
                    QFile::encodeName(card.path()) + "/\r\n");
        usb.select(0);
        usb.press(core::idExecuteButton);
    }
    return 0;
}
