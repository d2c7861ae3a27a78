#include "app/qt/template_controls.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <algorithm>
#include <vector>

#include "app/qt/about_dlg.h"
#include "app/qt/dialog_units.h"
#include "app/qt/radio_button.h"
#include "rc/description.h"

namespace app {

namespace {

// A list box keeps one line selected once the user picked one: Ctrl+click and Ctrl+Space
// select the line instead of clearing the selection. The right button (which opens the context
// menu) moves neither the selection nor the current line.
class LineList : public QListWidget {
  public:
    using QListWidget::QListWidget;

  protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override {
        auto flags = QListWidget::selectionCommand(index, event);
        if (index.isValid() &&
            (flags & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle)))
            flags = QItemSelectionModel::ClearAndSelect;
        return flags;
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::RightButton) QListWidget::mousePressEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() != Qt::RightButton) QListWidget::mouseReleaseEvent(event);
    }
};

// An icon control shows the icon at the system's large-icon size, not the template's box.
int iconSize(QWidget* dialog) {
    return dialog->style()->pixelMetric(QStyle::PM_LargeIconSize, nullptr, dialog);
}

Qt::Alignment alignment(unsigned style) {
    const Qt::Alignment across = (style & rc::alignRight)    ? Qt::AlignRight
                                 : (style & rc::alignCenter) ? Qt::AlignHCenter
                                                             : Qt::AlignLeft;
    return across | Qt::AlignVCenter;
}

QWidget* create(const rc::Control& c, QDialog* dialog) {
    const QString text = qString(c.text);
    switch (c.kind) {
        case rc::Kind::pushButton: {
            auto* button = new QPushButton(text, dialog);
            button->setDefault(c.style & rc::defaultButton);
            return button;
        }
        case rc::Kind::radioButton:
            return new RadioButton(text, dialog);
        case rc::Kind::checkBox:
            return new QCheckBox(text, dialog);
        case rc::Kind::groupBox: {
            auto* frame = new QGroupBox(text, dialog);
            // The templates put the first controls close under a frame's top: the title sits on
            // the frame's line, not above a frame that starts lower.
            frame->setStyleSheet(QStringLiteral(
                "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: "
                "0.5em; }"
                "QGroupBox::title { subcontrol-origin: margin; left: 0.5em; padding: 0 0.2em; }"));
            return frame;
        }
        case rc::Kind::label: {
            auto* label = new QLabel(text, dialog);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(alignment(c.style));
            return label;
        }
        case rc::Kind::icon: {  // the program's icon, the only one it has
            auto* icon = new QLabel(dialog);
            icon->setPixmap(programIcon().pixmap(iconSize(dialog), iconSize(dialog)));
            return icon;
        }
        case rc::Kind::listBox: {
            auto* list = new LineList(dialog);
            list->setSelectionMode(QAbstractItemView::SingleSelection);
            list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            list->setUniformItemSizes(true);
            return list;
        }
        case rc::Kind::edit: {
            auto* edit = new QLineEdit(text, dialog);
            edit->setAlignment(alignment(c.style));
            edit->setReadOnly(c.style & rc::readOnly);
            return edit;
        }
        case rc::Kind::progressBar:
            return new QProgressBar(dialog);
    }
    return nullptr;
}

// Buttons show their text whole, and so does a label the template gives one; a label filled in
// later (a file name), a list, a frame or a field keeps its rectangle.
bool fitsText(const rc::Control& c) {
    switch (c.kind) {
        case rc::Kind::pushButton:
        case rc::Kind::radioButton:
        case rc::Kind::checkBox:
            return true;
        case rc::Kind::label:
            return !c.text.empty();
        default:
            return false;
    }
}

}  // namespace

TemplateControls::TemplateControls(QDialog* dialog, int templateId) {
    const rc::Dialog* description = rc::dialog(templateId);
    if (!description) qFatal("res/vkrandom.rc has no dialog template %d", templateId);
    dialog->setWindowTitle(qString(description->caption));
    dialog->setFont(uiFont(description->fontSize));
    TemplateLayout layout(dialog);
    // Without a default button Enter is the dialog's (OK), unless a button has the focus.
    const bool hasDefault =
        std::any_of(description->controls.begin(), description->controls.end(),
                    [](const rc::Control& c) { return (c.style & rc::defaultButton) != 0; });
    QButtonGroup* group = nullptr;
    std::vector<QWidget*> frames;
    for (const rc::Control& c : description->controls) {
        QWidget* widget = create(c, dialog);
        if (c.kind == rc::Kind::icon)
            layout.placeSized(widget, c.x, c.y, QSize(iconSize(dialog), iconSize(dialog)));
        else
            layout.place(widget, c.x, c.y, c.width, c.height, fitsText(c));
        if (c.style & rc::group) group = nullptr;
        if (c.kind == rc::Kind::radioButton) {
            if (!group) radioGroups_[c.id] = group = new QButtonGroup(dialog);
            group->addButton(static_cast<QAbstractButton*>(widget),
                             static_cast<int>(group->buttons().size()));
        }
        if (auto* button = qobject_cast<QPushButton*>(widget); button && !hasDefault)
            button->setAutoDefault(false);
        // Tab visits the controls with a tab stop only; the others take the focus on a click.
        if (widget->focusPolicy() != Qt::NoFocus && !(c.style & rc::tabStop))
            widget->setFocusPolicy(Qt::ClickFocus);
        if (c.style & rc::hidden) widget->hide();
        if (c.style & rc::disabled) widget->setEnabled(false);
        if (c.kind == rc::Kind::groupBox) frames.push_back(widget);
        if (c.id != -1) controls_[c.id] = widget;
    }
    // A frame lies below the controls it frames, whatever their order.
    for (auto frame = frames.rbegin(); frame != frames.rend(); ++frame) (*frame)->lower();
    layout.finish(description->width, description->height);
}

QWidget* TemplateControls::control(int id) const {
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

QButtonGroup* TemplateControls::radioGroup(int firstId) const {
    const auto found = radioGroups_.find(firstId);
    return found == radioGroups_.end() ? nullptr : found->second;
}

}  // namespace app
