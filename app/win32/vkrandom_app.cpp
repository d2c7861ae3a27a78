#include "app/win32/vkrandom_app.h"

#include "app/win32/vkrandom_dlg.h"

namespace app {

bool CVKRandomApp::initInstance() {
    CVKRandomDlg window;
    window.runModal(nullptr);
    return false;
}

}  // namespace app
