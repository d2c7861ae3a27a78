#include "app/win32/define_dlg.h"

#include <commctrl.h>

#include "app/win32/text.h"
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
    SetDlgItemTextW(handle(), idCardHost, wide(shown.cardHost.value_or("")).c_str());
    SendDlgItemMessageW(handle(), idCardHost, EM_SETCUEBANNER, FALSE,
                        reinterpret_cast<LPARAM>(wide(core::defaultCardHost).c_str()));
    showSource();
    return TRUE;  // the focus goes to OK, the first tab stop
}

core::SettingsChoice CDefineDlg::checkedChoice() const {
    wchar_t host[256] = {};
    GetDlgItemTextW(handle(), idCardHost, host, 256);
    return {1 + checkedOffset(handle(), idTypeVesk, idTypeLumo2),
            checkedOffset(handle(), idConnectSd, idConnectFlashAir), utf8(host)};
}

// The line under the buttons follows what is checked and typed.
void CDefineDlg::showSource() {
    SetDlgItemTextW(handle(), idSource, wide(editor_.sourceText(checkedChoice())).c_str());
}

bool CDefineDlg::onCommand(int id, int code) {
    if (id == idCardHost && code == EN_CHANGE) showSource();
    if (code != BN_CLICKED) return false;
    if (id == IDOK) {
        if (editor_.storeSettings(checkedChoice())) end(IDOK);
        return true;
    }
    if (id == idDataFolder || id == idNoFolder) {
        if (id == idDataFolder)
            editor_.chooseProgramFolder();
        else
            editor_.clearProgramFolder();
        showSource();
        return true;
    }
    if (id >= idConnectSd && id <= idConnectFlashAir) showSource();
    return Dialog::onCommand(id, code);
}

}  // namespace app
