#include "app/qt/define_dlg.h"

#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "res/resource.h"

namespace app {

CDefineDlg::CDefineDlg(core::CRandomEditor& editor, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      editor_(editor),
      controls_(this, IDD_DEFINE_DIALOG),
      programTypes_(controls_.radioGroup(idTypeVesk)),
      connectTypes_(controls_.radioGroup(idConnectSd)) {
    // Cancel and the folder button keep Qt's auto-default: Enter on a focused button presses
    // that button, as on the platform this dialog comes from, never OK behind it.
    connect(controls_.get<QPushButton>(idOk), &QPushButton::clicked, this, &CDefineDlg::onOk);
    connect(controls_.get<QPushButton>(idCancel), &QPushButton::clicked, this, &QDialog::reject);
    connect(controls_.get<QPushButton>(idDataFolder), &QPushButton::clicked, this, [this] {
        editor_.chooseProgramFolder();
        showSource();
    });
    connect(controls_.get<QPushButton>(idNoFolder), &QPushButton::clicked, this, [this] {
        editor_.clearProgramFolder();
        showSource();
    });
    // The line under the buttons follows what is checked and typed.
    connect(connectTypes_, &QButtonGroup::idToggled, this, [this] { showSource(); });
    auto* host = controls_.get<QLineEdit>(idCardHost);
    host->setPlaceholderText(QString::fromUtf8(core::defaultCardHost));
    connect(host, &QLineEdit::textChanged, this, [this] { showSource(); });
    showSettings();
    control(idOk)->setFocus();
}

QWidget* CDefineDlg::control(int id) const {
    return controls_.control(id);
}

void CDefineDlg::showSettings() {
    const core::SettingsChoice shown = editor_.showSettings();
    if (auto* radio = programTypes_->button(shown.programType - 1)) radio->setChecked(true);
    if (auto* radio = connectTypes_->button(shown.connectType)) radio->setChecked(true);
    controls_.get<QLineEdit>(idCardHost)
        ->setText(QString::fromStdString(shown.cardHost.value_or("")));
    showSource();
}

void CDefineDlg::showSource() {
    auto* source = controls_.get<QLabel>(idSource);
    const QString text = QString::fromStdString(editor_.sourceText(checkedChoice()));
    source->setText(source->fontMetrics().elidedText(text, Qt::ElideMiddle, source->width()));
    source->setToolTip(text);
}

core::SettingsChoice CDefineDlg::checkedChoice() const {
    // Unchecked groups read as the first choice: Vesk and the SD card. Program type t is the
    // group's button t - 1, connection type t its button t.
    const int type = programTypes_->checkedId();
    const int connect = connectTypes_->checkedId();
    return {type >= 0 ? type + 1 : 1, connect > 0 ? connect : 0,
            controls_.get<QLineEdit>(idCardHost)->text().toStdString()};
}

void CDefineDlg::onOk() {
    if (editor_.storeSettings(checkedChoice())) accept();
}

}  // namespace app
