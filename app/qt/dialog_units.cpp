#include "app/qt/dialog_units.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace app {

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    // The average width as dialog templates define it: over the 52 Latin letters, rounded.
    static const QString letters =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    charWidth_ = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
    charHeight_ = metrics.height();
}

TemplateLayout::TemplateLayout(QWidget* dialog) : dialog_(dialog), units_(dialog->font()) {}

void TemplateLayout::place(QWidget* control, int x, int y, int width, int height, bool fitText) {
    placed_.push_back({control, x, y, width, height, fitText, {}});
}

void TemplateLayout::placeSized(QWidget* control, int x, int y, QSize pixels) {
    placed_.push_back({control, x, y, 0, 0, false, pixels});
}

void TemplateLayout::finish(int width, int height) {
    double stretch = 1.0;
    for (const Placed& p : placed_)
        if (p.fitText)
            stretch = std::max(stretch, p.control->sizeHint().width() / units_.x(p.width));
    auto px = [](double v) { return static_cast<int>(std::lround(v)); };
    for (const Placed& p : placed_) {
        const int left = px(units_.x(p.x) * stretch);
        const int top = px(units_.y(p.y));
        if (!p.pixels.isEmpty()) {
            p.control->setGeometry(left, top, p.pixels.width(), p.pixels.height());
            continue;
        }
        int h = px(units_.y(p.height));
        if (p.fitText) h = std::max(h, p.control->sizeHint().height());
        p.control->setGeometry(left, top, px(units_.x(p.x + p.width) * stretch) - left, h);
    }
    dialog_->setFixedSize(px(units_.x(width) * stretch), px(units_.y(height)));
}

QFont uiFont() {
    QFont font = QGuiApplication::font();
    static const QString japanese = QStringLiteral("Noto Sans CJK JP");
    static const bool hasJapanese = QFontDatabase::families().contains(japanese);
    if (hasJapanese) font.setFamily(japanese);
    font.setPointSize(9);
    return font;
}

}  // namespace app
