// CAboutDlg, the About box: icon, program version, a two-line note and OK.
#pragma once

#include <QDialog>

namespace app {

class CAboutDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CAboutDlg(QWidget* parent);
};

// Icon 128 of the program, from the resources.
QIcon programIcon();

}  // namespace app
