// Dialog units to pixels. The windows are laid out in the dialog units of their original
// templates; one horizontal unit is a quarter of the font's average character width and one
// vertical unit an eighth of its character height, so the layout follows the font and the
// screen scale.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>
#include <vector>

class QWidget;

namespace app {

class DialogUnits {
  public:
    explicit DialogUnits(const QFont& font);
    double x(double dlu) const { return dlu * charWidth_ / 4.0; }
    double y(double dlu) const { return dlu * charHeight_ / 8.0; }

  private:
    double charWidth_;
    double charHeight_;
};

// Places a dialog's controls at their template rectangles. A template sized for another font
// can be too narrow for a text in this one: the control then grows into the free room on its
// right, and where that is not enough every horizontal measure of the dialog is stretched by
// the same factor, so no text is cut and the proportions stay.
class TemplateLayout {
  public:
    explicit TemplateLayout(QWidget* dialog);
    // `fitText`: the control's text must fit its rectangle.
    void place(QWidget* control, int x, int y, int width, int height, bool fitText = true);
    // A control of a fixed pixel size (an icon) at a template position.
    void placeSized(QWidget* control, int x, int y, QSize pixels);
    // Sets every geometry and the dialog's fixed size.
    void finish(int width, int height);

  private:
    struct Placed {
        QWidget* control;
        int x, y, width, height;
        bool fitText;
        QSize pixels;
    };
    // Template units from the control's left edge to the next control beside it, the inside of
    // the frame that holds it, or the dialog's edge.
    int room(const Placed& p, int dialogWidth) const;

    QWidget* dialog_;
    DialogUnits units_;
    std::vector<Placed> placed_;
};

// The font of the program's windows: 9 points unless a template asks for another size, the
// Japanese cut of Noto Sans CJK when it is installed (a Chinese fallback would draw kanji in
// their Chinese forms).
QFont uiFont(int pointSize = 9);

}  // namespace app
