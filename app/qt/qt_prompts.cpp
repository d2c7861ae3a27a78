#include "app/qt/qt_prompts.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QHeaderView>
#include <QSplitter>
#include <QTreeView>

#include "app/qt/define_dlg.h"
#include "app/qt/dialog_runner.h"
#include "app/qt/message_box.h"
#include "platform/paths.h"

namespace app {

namespace {

// Qt's own file dialog calls folders and drives by English names whatever translation is
// loaded; file types come from the MIME database in the locale's language.
class FileTypeNames : public QFileIconProvider {
  public:
    QString type(const QFileInfo& info) const override {
        if (info.isRoot()) return QStringLiteral("ドライブ");
        if (info.isDir()) return QStringLiteral("フォルダー");
        return QFileIconProvider::type(info);
    }
};

// Room for the Japanese column texts of Qt's own dialog (a native one sizes itself).
void fitFileDialog(QFileDialog& dialog) {
    auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    auto* splitter = dialog.findChild<QSplitter*>(QStringLiteral("splitter"));
    if (!view || !splitter) return;
    static FileTypeNames names;
    dialog.setIconProvider(&names);
    const int em = dialog.fontMetrics().horizontalAdvance(QChar(0x3042));
    dialog.resize(60 * em, 34 * em);
    splitter->setSizes({11 * em, 49 * em});
    view->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < view->header()->count(); ++column)
        view->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
}

}  // namespace

QString boxCaption() {
    return QString::fromStdString(platform::applicationName());
}

QString fileDialogFilter(const core::OpenFileQuestion& question) {
    QString pattern;
    for (const QChar c : QString::fromStdString(question.pattern)) {
        if (c.isLetter() && c.toLower() != c.toUpper())
            pattern += QLatin1Char('[') + c.toUpper() + c.toLower() + QLatin1Char(']');
        else
            pattern += c;
    }
    return QString::fromStdString(question.filterDescription) + QStringLiteral(" (") + pattern +
           QLatin1Char(')');
}

QWidget* QtPrompts::owner() const {
    // A box opened from the settings dialog belongs to that dialog, not to the main window
    // it already blocks. Before the main window is on screen a box has no owner, so that it
    // appears in the middle of the screen rather than around the window's future corner.
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return window_ && window_->isVisible() ? window_ : nullptr;
}

void QtPrompts::box(int icon, int id, const std::string& text) {
    MessageBox box(static_cast<QMessageBox::Icon>(icon), boxCaption(), QString::fromStdString(text),
                   owner());
    box.setProperty("messageId", id);
    runner_.run(box);
}

void QtPrompts::showMessage(int id, const std::string& text) {
    box(QMessageBox::Warning, id, text);
}

bool QtPrompts::askYesNo(int id, const std::string& text) {
    MessageBox box(QMessageBox::Question, boxCaption(), QString::fromStdString(text), owner());
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    box.setProperty("messageId", id);
    return runner_.run(box) == QMessageBox::Yes;
}

void QtPrompts::reportFileError(const std::string& text) {
    box(QMessageBox::Critical, 0, text);
}

std::optional<std::string> QtPrompts::askOpenFile(const core::OpenFileQuestion& question) {
    QFileDialog dialog(owner(), QStringLiteral("開く"), QString(), fileDialogFilter(question));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Any name: the session itself tells the user when the chosen file does not exist.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setDefaultSuffix(QString::fromStdString(question.defaultSuffix));
    dialog.selectFile(QString::fromStdString(question.initialName));
    fitFileDialog(dialog);
    if (runner_.run(dialog) != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    return QFile::encodeName(files.front()).toStdString();
}

bool QtPrompts::runSettingsDialog(core::CRandomEditor& editor) {
    CDefineDlg dialog(editor, window_);
    return runner_.run(dialog) == QDialog::Accepted;
}

}  // namespace app
