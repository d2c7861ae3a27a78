// CVKRandomDlg, the main window: the catalogue list, the column of choices, the file name and
// the four buttons. It owns the editor session, forwards every user action to it and shows
// the controls the way the session sets them.
#pragma once

#include <QDialog>
#include <array>
#include <memory>

#include "app/qt/card_progress.h"
#include "app/qt/dialog_runner.h"
#include "app/qt/qt_prompts.h"
#include "app/qt/template_controls.h"
#include "core/editor_window.h"
#include "core/random_editor.h"

class QButtonGroup;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace app {

class DialogRunner;

class CVKRandomDlg : public QDialog, public core::EditorWindow {
    Q_OBJECT
  public:
    // The command id of the About entry the window menu ends with.
    static constexpr int idAboutCommand = 0x0010;

    explicit CVKRandomDlg(core::EditorOptions options = {},
                          DialogRunner& runner = DialogRunner::modal());
    ~CVKRandomDlg() override;

    // Window-menu commands: the About box for the About entry's id (low four bits ignored).
    // False for every other command, which the platform handles.
    bool systemCommand(int id);

    QWidget* control(int id) const;
    core::CRandomEditor& editor() { return *editor_; }

    // core::EditorWindow
    void clearList() override;
    void appendLine(const std::string& cp932Text) override;
    int selectedLine() const override;
    std::string selectedLineText() const override;
    void setControlText(int id, const std::string& cp932Text) override;
    void setChecked(int id, bool checked) override;
    void setShown(int id, bool shown) override;
    void setEnabled(int id, bool enabled) override;
    using QDialog::setEnabled;
    void requestClose() override;
    bool showsStates() const override { return true; }
    void setLineNote(int line, const std::string& utf8Text) override;
    void setStatus(const std::string& utf8Text) override;

    void setVisible(bool visible) override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void createControls();
    void initDialog();
    int checkedChoice() const;
    template <typename F>
    void command(F&& operation);

    DialogRunner& runner_;
    CardProgress progress_;
    QtPrompts prompts_;
    std::unique_ptr<core::CRandomEditor> editor_;
    int choice_ = -1;
    bool initialised_ = false;
    bool statesRead_ = false;

    TemplateControls controls_;  // template 102
    QListWidget* list_ = nullptr;
    std::array<QRadioButton*, core::maxShownChoices + 1> radios_{};
    QButtonGroup* choices_ = nullptr;
    QLabel* fileName_ = nullptr;
    QPushButton* exportButton_ = nullptr;
    QPushButton* executeButton_ = nullptr;
    QPushButton* settingsButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
};

}  // namespace app
