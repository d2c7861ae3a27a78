// CVKRandomDlg, the main window (template 102): the catalogue list, the column of choices, the
// file name and the four buttons. It owns the editor session, forwards every user action to it
// and shows the controls the way the session sets them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/win32/card_progress.h"
#include "app/win32/dialog.h"
#include "app/win32/win32_prompts.h"
#include "core/editor_window.h"
#include "core/random_editor.h"

namespace app {

class CVKRandomDlg : public Dialog, public core::EditorWindow {
  public:
    // The command id of the About entry the system menu ends with.
    static constexpr UINT idAboutCommand = 0x0010;

    explicit CVKRandomDlg(core::EditorOptions options = {},
                          DialogRunner& runner = DialogRunner::modal());
    ~CVKRandomDlg() override;

    core::CRandomEditor* editor() { return editor_.get(); }
    HICON icon() const { return icon_; }
    int choice() const { return choice_; }
    CardProgress& progress() { return progress_; }
    const std::wstring& note(int line) const { return notes_.at(static_cast<std::size_t>(line)); }

    // core::EditorWindow
    void clearList() override;
    void appendLine(const std::string& cp932Text) override;
    int selectedLine() const override;
    std::string selectedLineText() const override;
    void setControlText(int id, const std::string& cp932Text) override;
    void setChecked(int id, bool checked) override;
    void setShown(int id, bool shown) override;
    void setEnabled(int id, bool enabled) override;
    void requestClose() override;
    bool showsStates() const override { return true; }
    void setLineNote(int line, const std::string& utf8Text) override;
    void setStatus(const std::string& utf8Text) override;

    // Posted by the first paint: the states are read once the window is up.
    static constexpr UINT showStatesMessage = WM_APP + 1;

  protected:
    BOOL onInitDialog() override;
    bool onCommand(int id, int code) override;
    void exchangeData(bool save) override;
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

  private:
    template <typename F>
    void command(F&& operation);
    void paintMinimised();
    void drawLine(const DRAWITEMSTRUCT& item) const;

    DialogRunner& runner_;
    CardProgress progress_;
    Win32Prompts prompts_;
    std::unique_ptr<core::CRandomEditor> editor_;
    HICON icon_;
    int choice_ = -1;
    // The catalogue bytes of each list line, in list order: the session finds entries by them.
    std::vector<std::string> lines_;
    std::vector<std::wstring> notes_;  // the state drawn beside each line
    bool statesRead_ = false;
};

}  // namespace app
