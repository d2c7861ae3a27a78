// CAboutDlg, the About box (template 100): the icon, the version and OK.
#pragma once

#include "app/win32/dialog.h"
#include "res/resource.h"

namespace app {

class CAboutDlg : public Dialog {
  public:
    CAboutDlg() : Dialog(IDD_ABOUTBOX) {}
};

}  // namespace app
