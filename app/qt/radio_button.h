// A radio button that reacts to a click anywhere in its box, not only on its circle and
// label: the choice column is wide, and a label may be short.
#pragma once

#include <QRadioButton>

namespace app {

class RadioButton : public QRadioButton {
  public:
    using QRadioButton::QRadioButton;

  protected:
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

}  // namespace app
