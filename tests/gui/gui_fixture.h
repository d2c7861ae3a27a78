// What the GUI tests share: a robot folder with catalogues and a settings file in a temporary
// folder, and a dialog runner that answers each dialog at once and logs what it was shown.
#pragma once

#include <QDialog>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <optional>

#include "app/qt/define_dlg.h"
#include "app/qt/dialog_runner.h"
#include "app/qt/vkrandom_dlg.h"

class QListWidget;
class QRadioButton;

namespace gui_testing {

struct Shown {
    QString kind;  // "message", "file", "settings", "about"
    int messageId = -1;
    int icon = 0;  // QMessageBox::Icon
    QString title, text;
    QStringList filters;  // file dialog
    QString defaultSuffix, initialFile;
};

class ScriptedRunner : public app::DialogRunner {
  public:
    using Step = std::function<int(QDialog&)>;
    int run(QDialog& dialog) override;  // a dialog with no step left is rejected

    void then(Step step) { steps.push_back(std::move(step)); }
    void ok();
    void cancel();
    void chooseFile(const QString& path);
    void inSettings(std::function<void(app::CDefineDlg&)> act);
    // Message ids, or the kind of the other dialogs, in the order met.
    QStringList seen() const;

    std::vector<Shown> log;
    std::deque<Step> steps;
};

// robot/ with STARTUP.XML (random, 5 labels), ACT/DANCE.XML (choice 2 of 2), WALK.XML
// (random), PALLO.XML; Random.csv listing them (PALLO for program type 2 only), RandomV2.csv,
// VKRandom.ini with PATH and CONNECT_TYPE 0.
class RobotFixture {
  public:
    RobotFixture();
    QString path(const QString& name) const { return dir_.filePath(name); }
    QString robot() const { return path(QStringLiteral("robot")); }
    core::EditorOptions options() const;
    void writeSettings(const QByteArray& content) const;
    QByteArray settings() const;
    QByteArray pathLine(const QString& folder) const;  // "PATH=folder\r\n"

  private:
    QTemporaryDir dir_;
};

// The robot folder, a runner and the main window on them. open() creates and shows a new
// window (the old one goes first), so a test may change the folder before it.
struct WindowFixture {
    app::CVKRandomDlg& open();

    RobotFixture robot;
    ScriptedRunner runner;
    std::optional<app::CVKRandomDlg> window;
};

void writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);

void clickLine(app::CVKRandomDlg& window, int row, bool twice = false);
void click(QWidget* widget);
QListWidget* listOf(app::CVKRandomDlg& window);
QRadioButton* radioOf(app::CVKRandomDlg& window, int id);
int checkedRadio(app::CVKRandomDlg& window);  // id, -1 none, -2 several
int shownChoices(app::CVKRandomDlg& window);  // n when radios 1..n alone are shown, else -1
bool isEnabled(app::CVKRandomDlg& window, int id);

}  // namespace gui_testing
