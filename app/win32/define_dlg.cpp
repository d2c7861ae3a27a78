#include "app/win32/define_dlg.h"

#include "res/resource.h"

namespace app {

namespace {
// The first checked radio from `last` down to `first`, as an offset from `first`; 0 when none.
int checkedOffset(HWND dialog, int first, int last) {
    for (int id = last; id > first; --id)
        if (IsDlgButtonChecked(dialog, id) == BST_CHECKED) return id - first;
    return 0;
}
}  // namespace

CDefineDlg::CDefineDlg(core::CRandomEditor& editor) : Dialog(IDD_DEFINE_DIALOG), editor_(editor) {}

BOOL CDefineDlg::onInitDialog() {
    const core::SettingsChoice shown = editor_.showSettings();
    CheckRadioButton(handle(), idTypeVesk, idTypeLumo2, idTypeVesk - 1 + shown.programType);
    CheckRadioButton(handle(), idConnectSd, idConnectFlashAir, idConnectSd + shown.connectType);
    return TRUE;  // the focus goes to OK, the first tab stop
}

bool CDefineDlg::onCommand(int id, int code) {
    if (code != BN_CLICKED) return false;
    if (id == IDOK) {
        const core::SettingsChoice choice{1 + checkedOffset(handle(), idTypeVesk, idTypeLumo2),
                                          checkedOffset(handle(), idConnectSd, idConnectFlashAir)};
        if (editor_.storeSettings(choice)) end(IDOK);
        return true;
    }
    if (id == idDataFolder) {
        editor_.chooseProgramFolder();
        return true;
    }
    return Dialog::onCommand(id, code);
}

}  // namespace app
