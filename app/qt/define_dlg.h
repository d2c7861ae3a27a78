// CDefineDlg, the settings dialog: program type, connection type and the data-folder button.
// It shows the session's settings and hands the confirmed ones back; the session decides.
#pragma once

#include <QDialog>

#include "app/qt/template_controls.h"
#include "core/random_editor.h"

class QButtonGroup;

namespace app {

class CDefineDlg : public QDialog {
    Q_OBJECT
  public:
    enum ControlId : int {
        idOk = 1,
        idCancel = 2,
        idDataFolder = 4,
        idConnectSd = 1034,  // connection type 0, 1, 2: 1034 + type
        idConnectUsb = 1035,
        idConnectFlashAir = 1036,
        idTypeVesk = 1042,  // program type 1..4: 1041 + type
        idTypePallo = 1043,
        idTypePalloMode = 1044,
        idTypeLumo2 = 1045,
        idCardHost = 1046,  // beyond the original dialog: the card's name or address,
        idNoFolder = 1049,  // no program folder,
        idSource = 1048,    // and where the programs are read with what is checked
    };

    CDefineDlg(core::CRandomEditor& editor, QWidget* parent);
    QWidget* control(int id) const;

  private:
    void showSettings();
    void showSource();
    void onOk();
    core::SettingsChoice checkedChoice() const;

    core::CRandomEditor& editor_;
    TemplateControls controls_;  // template 130
    QButtonGroup* programTypes_;
    QButtonGroup* connectTypes_;
};

}  // namespace app
