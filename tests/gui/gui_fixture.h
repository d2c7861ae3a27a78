// What the GUI tests share: a robot folder with catalogues and a settings file in a temporary
// folder, a dialog runner that answers each dialog at once and logs what it was shown, and the
// main window on them.
#pragma once

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QListWidget>
#include <QMessageBox>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>

#include "app/qt/define_dlg.h"
#include "app/qt/dialog_runner.h"
#include "app/qt/vkrandom_dlg.h"
#include "support/temp_dir.h"

namespace gui_testing {

struct Shown {
    QString kind;  // a message id, "file", "settings" or "about"
    int icon = 0;  // QMessageBox::Icon
    QString title, text;
};

// Answers each dialog with its next step (none left: rejected) and logs what it was shown.
struct ScriptedRunner : app::DialogRunner {
    using Step = std::function<int(QDialog&)>;
    int run(QDialog& dialog) override {
        Shown s{"about", 0, dialog.windowTitle(), {}};
        if (auto* box = qobject_cast<QMessageBox*>(&dialog))
            s = {box->property("messageId").toString(), box->icon(), s.title,
                 box->text() + (box->standardButtons() == QMessageBox::Ok ? "" : " [not OK only]")};
        else if (qobject_cast<QFileDialog*>(&dialog))
            s.kind = "file";
        else if (qobject_cast<app::CDefineDlg*>(&dialog))
            s.kind = "settings";
        log.push_back(s);
        if (steps.empty()) return QDialog::Rejected;
        const Step step = std::move(steps.front());
        steps.pop_front();
        return step(dialog);
    }
    void ok() {
        steps.push_back([](QDialog&) { return int(QDialog::Accepted); });
    }
    void chooseFile(const QString& path) {
        steps.push_back([path](QDialog& dialog) {
            static_cast<QFileDialog&>(dialog).selectFile(path);
            return int(QDialog::Accepted);
        });
    }
    void inSettings(std::function<void(app::CDefineDlg&)> act) {
        steps.push_back([act](QDialog& dialog) {
            auto& settings = static_cast<app::CDefineDlg&>(dialog);
            settings.show();
            act(settings);
            if (settings.isVisible()) settings.reject();  // left open: closed by its close box
            return settings.result();
        });
    }
    QStringList seen() const {
        QStringList kinds;
        for (const Shown& s : log) kinds << s.kind;
        return kinds;
    }
    std::vector<Shown> log;
    std::deque<Step> steps;
};

inline std::string native(const QString& path) {
    return QFile::encodeName(path).toStdString();
}
inline void writeFile(const QString& path, const QByteArray& bytes) {
    testing_support::writeFile(native(path), bytes.toStdString());
}
inline QByteArray readFile(const QString& path) {
    return QByteArray::fromStdString(testing_support::readFile(native(path)));
}

// A copy of tests/data/gui: robot/ with STARTUP.XML (random, 5 labels), ACT/DANCE.XML (choice 2
// of 2), WALK.XML (random), PALLO.XML; Random.csv listing them (PALLO for program type 2 only),
// RandomV2.csv; and VKRandom.ini with PATH and CONNECT_TYPE 0. open() shows a new window (the old
// one goes first).
struct WindowFixture {
    WindowFixture() {
        std::filesystem::copy(VKRANDOM_SOURCE_DIR "/tests/data/gui", native(dir.path()),
                              std::filesystem::copy_options::recursive);
        writeSettings("[DATA]\r\n" + pathLine(robot()) + "[REMOTE]\r\nCONNECT_TYPE=0\r\n");
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    QString robot() const { return path("robot"); }
    void writeSettings(const QByteArray& content) const {
        writeFile(path("VKRandom.ini"), content);
    }
    QByteArray settings() const { return readFile(path("VKRandom.ini")); }
    QByteArray pathLine(const QString& folder) const {
        return "PATH=" + QFile::encodeName(folder) + "\r\n";
    }
    core::EditorOptions options() const {
        return {native(path("VKRandom.ini")),
                native(path("lock")),
                native(dir.path()),
                {},
                native(path("backup"))};
    }
    app::CVKRandomDlg& open() {
        window.reset();  // the old window and its lock go first
        window.emplace(options(), runner);
        window->show();
        return *window;
    }

    QTemporaryDir dir;
    ScriptedRunner runner;
    std::optional<app::CVKRandomDlg> window;
};

inline QListWidget* listOf(app::CVKRandomDlg& w) {
    return static_cast<QListWidget*>(w.control(core::idListBox));
}
inline QRadioButton* radioOf(app::CVKRandomDlg& w, int id) {
    return static_cast<QRadioButton*>(w.control(id));
}
inline void click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton);
}
inline void clickLine(app::CVKRandomDlg& w, int row, bool twice = false) {
    const QPoint at = listOf(w)->visualItemRect(listOf(w)->item(row)).center();
    QTest::mouseClick(listOf(w)->viewport(), Qt::LeftButton, {}, at);
    if (twice) QTest::mouseDClick(listOf(w)->viewport(), Qt::LeftButton, {}, at);
}
// The checked radio's id (-1 none, -2 several), and n when radios 1..n alone are shown.
inline int checkedRadio(app::CVKRandomDlg& w) {
    int found = -1;
    for (int id = core::idRadioRandom; id <= core::idRadioLast; ++id)
        if (radioOf(w, id)->isChecked()) found = found == -1 ? id : -2;
    return found;
}
inline int shownChoices(app::CVKRandomDlg& w) {
    int shown = 0;
    for (int k = 1; k <= core::maxShownChoices; ++k)
        if (!radioOf(w, core::idRadioRandom + k)->isHidden()) shown = shown == k - 1 ? k : -1;
    return shown;
}
inline bool isEnabled(app::CVKRandomDlg& w, int id) {
    return w.control(id)->isEnabled();
}

}  // namespace gui_testing
