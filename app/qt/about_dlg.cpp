#include "app/qt/about_dlg.h"

#include <QIcon>
#include <QPixmap>
#include <QPushButton>

#include "app/qt/template_controls.h"
#include "res/resource.h"

// The icon is compiled into this library; naming its resource keeps the linker from dropping it.
static void initResources() {
    Q_INIT_RESOURCE(vkrandom);
}

namespace app {

QIcon programIcon() {
    initResources();
    // Named as PNG, so Qt reads it without loading its image-format plugins.
    static const QPixmap pixmap(QStringLiteral(":/icons/vkrandom.png"), "PNG");
    return QIcon(pixmap);
}

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
    const TemplateControls controls(this, IDD_ABOUTBOX);
    auto* ok = controls.get<QPushButton>(1);  // IDOK
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    ok->setFocus();
}

}  // namespace app
