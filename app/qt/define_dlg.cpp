#include "app/qt/define_dlg.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include "app/qt/dialog_units.h"
#include "app/qt/radio_button.h"

namespace app {

namespace {
struct Control {
    int id;
    const char* text;
    int x, y, width, height;
};
// The radio buttons in dialog order, which is also the tab order.
constexpr Control connectRadios[] = {
    {CDefineDlg::idConnectSd, "SDカード/ハードディスク", 22, 79, 84, 13},
    {CDefineDlg::idConnectUsb, "USB(リモート接続)", 115, 79, 68, 13},
    {CDefineDlg::idConnectFlashAir, "FlashAir(リモート接続)", 201, 79, 83, 13},
};
constexpr Control typeRadios[] = {
    {CDefineDlg::idTypeVesk, "Vesk", 22, 20, 26, 10},
    {CDefineDlg::idTypePallo, "Pallo(非Palloモード)", 81, 20, 98, 10},
    {CDefineDlg::idTypePalloMode, "Pallo(Palloモード)", 187, 20, 84, 10},
    {CDefineDlg::idTypeLumo2, "Lumo２", 22, 43, 84, 10},
};
}  // namespace

CDefineDlg::CDefineDlg(core::CRandomEditor& editor, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      editor_(editor),
      programTypes_(new QButtonGroup(this)),
      connectTypes_(new QButtonGroup(this)) {
    setWindowTitle(QStringLiteral("設定ダイアログ"));
    setFont(uiFont(8));  // this template's own font size
    TemplateLayout layout(this);

    // The frames come first so that they lie below the radio buttons they frame.
    auto* programFrame = new QGroupBox(QStringLiteral("プログラム"), this);
    layout.place(programFrame, 13, 7, 271, 54, false);
    auto* interfaceFrame = new QGroupBox(QStringLiteral("インターフェイス"), this);
    layout.place(interfaceFrame, 13, 67, 271, 30, false);
    // The template puts the first radio buttons close under the frames' top: the title sits on
    // the frame's line, as the template expects, not above a frame that starts lower.
    for (QGroupBox* frame : {programFrame, interfaceFrame})
        frame->setStyleSheet(QStringLiteral(
            "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 0.5em; }"
            "QGroupBox::title { subcontrol-origin: margin; left: 0.5em; padding: 0 0.2em; }"));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    layout.place(ok, 113, 137, 50, 14);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    // Cancel and the folder button keep Qt's auto-default: Enter on a focused button presses
    // that button, as on the platform this dialog comes from, never OK behind it.
    layout.place(cancel, 174, 137, 50, 14);
    controls_[idOk] = ok;
    controls_[idCancel] = cancel;

    auto addRadios = [&](const auto& table, QButtonGroup* group, int firstId) {
        for (const Control& c : table) {
            auto* radio = new RadioButton(QString::fromUtf8(c.text), this);
            radio->setFocusPolicy(Qt::ClickFocus);  // Tab visits the buttons only
            layout.place(radio, c.x, c.y, c.width, c.height);
            group->addButton(radio, c.id - firstId);
            controls_[c.id] = radio;
        }
    };
    addRadios(connectRadios, connectTypes_, idConnectSd);

    auto* folder = new QPushButton(QStringLiteral("データフォルダー指定"), this);
    layout.place(folder, 26, 109, 74, 14);
    controls_[idDataFolder] = folder;

    addRadios(typeRadios, programTypes_, idTypeVesk - 1);

    connect(ok, &QPushButton::clicked, this, &CDefineDlg::onOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(folder, &QPushButton::clicked, this, [this] { editor_.chooseProgramFolder(); });

    layout.finish(296, 160);

    showSettings();
    ok->setFocus();
}

QWidget* CDefineDlg::control(int id) const {
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

void CDefineDlg::showSettings() {
    const core::SettingsChoice shown = editor_.showSettings();
    if (auto* radio = programTypes_->button(shown.programType)) radio->setChecked(true);
    if (auto* radio = connectTypes_->button(shown.connectType)) radio->setChecked(true);
}

core::SettingsChoice CDefineDlg::checkedChoice() const {
    // Unchecked groups read as the first choice: Vesk and the SD card.
    const int type = programTypes_->checkedId();
    const int connect = connectTypes_->checkedId();
    return {type > 0 ? type : 1, connect > 0 ? connect : 0};
}

void CDefineDlg::onOk() {
    if (editor_.storeSettings(checkedChoice())) accept();
}

}  // namespace app
