// CDefineDlg, the settings dialog (template 130): program type, connection type and the
// data-folder button. It shows the session's settings and hands the confirmed ones back.
#pragma once

#include "app/win32/dialog.h"
#include "core/random_editor.h"

namespace app {

class CDefineDlg : public Dialog {
  public:
    enum ControlId : int {
        idDataFolder = 4,
        idConnectSd = 1034,  // connection type t is 1034 + t
        idConnectFlashAir = 1036,
        idTypeVesk = 1042,  // program type t is 1041 + t
        idTypeLumo2 = 1045,
        idCardHost = 1046,  // beyond the original dialog: the card's name or address,
        idNoFolder = 1049,  // no program folder,
        idSource = 1048,    // and where the programs are read with what is checked
    };

    explicit CDefineDlg(core::CRandomEditor& editor);

  protected:
    BOOL onInitDialog() override;
    bool onCommand(int id, int code) override;

  private:
    core::SettingsChoice checkedChoice() const;
    void showSource();

    core::CRandomEditor& editor_;
};

}  // namespace app
