#include "app/qt/about_dlg.h"

#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>

#include "app/qt/dialog_units.h"

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
    setWindowTitle(QStringLiteral("バージョン情報 VKRandom"));
    setFont(uiFont());
    TemplateLayout layout(this);

    // An icon control shows the icon at the system's large-icon size, not the template box.
    const int iconSize = style()->pixelMetric(QStyle::PM_LargeIconSize, nullptr, this);
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    icon->setPixmap(programIcon().pixmap(iconSize, iconSize));
    layout.placeSized(icon, 14, 14, QSize(iconSize, iconSize));

    auto* version = new QLabel(QStringLiteral("VKRandom Version 1.60"), this);
    version->setObjectName(QStringLiteral("version"));
    version->setTextFormat(Qt::PlainText);
    layout.place(version, 42, 14, 114, 8);

    auto* note = new QLabel(QStringLiteral("Veskの動作をランダムと\n"
                                           "固定の選択肢で切り替えます"),
                            this);
    note->setObjectName(QStringLiteral("note"));
    note->setTextFormat(Qt::PlainText);
    layout.place(note, 42, 26, 114, 18);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    layout.place(ok, 114, 52, 50, 14);
    layout.finish(171, 73);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    ok->setFocus();
}

}  // namespace app
