#include "app/qt/dialog_units.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPushButton>
#include <QStyle>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace app {

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetricsF metrics(font);
    // The templates were drawn for a Japanese UI font, whose characters sit in a square cell
    // (full width) or half of one (half width): that cell is the character height and the
    // average width. The line height is no measure of it, since CJK fonts made for many
    // scripts reserve room above and below for accents (Noto Sans CJK: 1.45 times the cell).
    // The cell is measured on the glyphs actually drawn, fallback fonts included.
    charHeight_ = metrics.horizontalAdvance(QChar(0x3042));  // あ
    charWidth_ = metrics.horizontalAdvance(QChar(0xFF71));   // ｱ, half width
    if (charWidth_ <= 0 || charHeight_ <= 0) {               // no Japanese glyphs at all
        charHeight_ = metrics.height();
        charWidth_ = metrics.averageCharWidth();
    }
}

TemplateLayout::TemplateLayout(QWidget* dialog) : dialog_(dialog), units_(dialog->font()) {}

void TemplateLayout::place(QWidget* control, int x, int y, int width, int height, bool fitText) {
    placed_.push_back({control, x, y, width, height, fitText, {}});
}

void TemplateLayout::placeSized(QWidget* control, int x, int y, QSize pixels) {
    placed_.push_back({control, x, y, 0, 0, false, pixels});
}

namespace {

// Template units kept free between controls and from the dialog's edge when a control grows.
constexpr int gap = 3;

// The width a control needs to show its text whole. A push button's size hint also holds the
// style's smallest button, which the text does not need.
double neededWidth(QWidget* control) {
    if (auto* button = qobject_cast<QPushButton*>(control)) {
        const QStyle* style = button->style();
        return QFontMetricsF(button->font()).horizontalAdvance(button->text()) +
               2 * (style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                    style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button));
    }
    return control->sizeHint().width();
}

}  // namespace

int TemplateLayout::room(const Placed& p, int dialogWidth) const {
    int right = dialogWidth - gap;
    for (const Placed& q : placed_) {
        if (&q == &p || q.y >= p.y + p.height || q.y + q.height <= p.y) continue;
        const bool holds = q.x <= p.x && q.x + q.width >= p.x + p.width && q.y <= p.y &&
                           q.y + q.height >= p.y + p.height;
        if (holds)
            right = std::min(right, q.x + q.width - gap);
        else if (q.x >= p.x + p.width)
            right = std::min(right, q.x - gap);
    }
    return std::max(right - p.x, p.width);
}

void TemplateLayout::finish(int width, int height) {
    // A text wider than its rectangle first takes the free room beside it; only when that is
    // not enough does the whole dialog widen.
    double stretch = 1.0;
    std::vector<double> needed(placed_.size());
    for (std::size_t i = 0; i < placed_.size(); ++i) {
        if (!placed_[i].fitText) continue;
        needed[i] = neededWidth(placed_[i].control);
        stretch = std::max(stretch, needed[i] / units_.x(room(placed_[i], width)));
    }
    auto px = [](double v) { return static_cast<int>(std::lround(v)); };
    for (std::size_t i = 0; i < placed_.size(); ++i) {
        const Placed& p = placed_[i];
        const int left = px(units_.x(p.x) * stretch);
        const int top = px(units_.y(p.y));
        if (!p.pixels.isEmpty()) {
            p.control->setGeometry(left, top, p.pixels.width(), p.pixels.height());
            continue;
        }
        // A control taller than its rectangle grows evenly up and down, so its text stays on
        // the rectangle's middle line, as its neighbours' do.
        const int h = px(units_.y(p.height));
        const int grown = p.fitText ? std::max(h, p.control->sizeHint().height()) : h;
        const int w = std::max(px(units_.x(p.x + p.width) * stretch) - left, px(needed[i]));
        p.control->setGeometry(left, std::max(0, top - (grown - h) / 2), w, grown);
    }
    dialog_->setFixedSize(px(units_.x(width) * stretch), px(units_.y(height)));
}

QFont uiFont(int pointSize) {
    QFont font = QGuiApplication::font();
    static const QString japanese = QStringLiteral("Noto Sans CJK JP");
    static const bool hasJapanese = QFontDatabase::families().contains(japanese);
    if (hasJapanese) font.setFamily(japanese);
    font.setPointSize(pointSize);
    return font;
}

}  // namespace app
