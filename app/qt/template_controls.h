// The controls of a dialog template of res/vkrandom.rc as Qt widgets: created from its
// description (rc/description.h) in template order, which is the tab order, with the template's
// texts, tab stops, visibility, enabling, alignment and default button, and placed in their
// rectangles by TemplateLayout. Each run of radio buttons from one that starts a group (WS_GROUP)
// to the next group is one QButtonGroup, whose ids are the buttons' places in the run. A dialog
// finds its controls by their ids and connects them.
#pragma once

#include <QString>
#include <QWidget>
#include <map>
#include <string_view>

class QButtonGroup;
class QDialog;

namespace app {

class TemplateControls {
  public:
    // Sets the caption and font of `dialog` and gives it the controls of template `templateId`.
    TemplateControls(QDialog* dialog, int templateId);

    // The control `id` (nullptr for none, and for the template's -1 controls).
    QWidget* control(int id) const;
    template <typename T>
    T* get(int id) const {
        return qobject_cast<T*>(control(id));
    }
    // The radio buttons of the group that starts with radio `firstId`.
    QButtonGroup* radioGroup(int firstId) const;

  private:
    std::map<int, QWidget*> controls_;
    std::map<int, QButtonGroup*> radioGroups_;
};

// A text of the description (UTF-8) for Qt.
inline QString qString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace app
