#include "app/qt/qt_prompts.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

#include "app/qt/card_progress.h"
#include "app/qt/define_dlg.h"
#include "app/qt/dialog_runner.h"
#include "platform/paths.h"

namespace app {

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
    // it already blocks.
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return window_;
}

void QtPrompts::box(int icon, int id, const std::string& text) {
    progress_.finish();
    QMessageBox box(static_cast<QMessageBox::Icon>(icon), boxCaption(),
                    QString::fromStdString(text), QMessageBox::Ok, owner());
    box.setTextFormat(Qt::PlainText);
    box.setProperty("messageId", id);
    runner_.run(box);
}

void QtPrompts::showMessage(int id, const std::string& text) {
    box(QMessageBox::Warning, id, text);
}

void QtPrompts::reportFileError(const std::string& text) {
    box(QMessageBox::Critical, 0, text);
}

std::optional<std::string> QtPrompts::askOpenFile(const core::OpenFileQuestion& question) {
    progress_.finish();
    QFileDialog dialog(owner(), QStringLiteral("開く"), QString(), fileDialogFilter(question));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Any name: the session itself tells the user when the chosen file does not exist.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setDefaultSuffix(QString::fromStdString(question.defaultSuffix));
    dialog.selectFile(QString::fromStdString(question.initialName));
    if (runner_.run(dialog) != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    return QFile::encodeName(files.front()).toStdString();
}

bool QtPrompts::runSettingsDialog(core::CRandomEditor& editor) {
    progress_.finish();
    CDefineDlg dialog(editor, window_);
    return runner_.run(dialog) == QDialog::Accepted;
}

}  // namespace app
