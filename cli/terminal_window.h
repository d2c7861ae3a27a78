// The main window as a terminal sees it: keeps the list lines, the selection and the state the
// session gives each control, so commands can read them back like a user reads the window.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "core/editor_window.h"

namespace cli {

class TerminalWindow : public core::EditorWindow {
  public:
    TerminalWindow();

    void clearList() override;
    void appendLine(const std::string& cp932Text) override;
    int selectedLine() const override { return selected_; }
    std::string selectedLineText() const override;
    void setControlText(int id, const std::string& cp932Text) override { texts_[id] = cp932Text; }
    void setChecked(int id, bool checked) override { checked_[id] = checked; }
    void setShown(int id, bool shown) override { shown_[id] = shown; }
    void setEnabled(int id, bool enabled) override { enabled_[id] = enabled; }
    void requestClose() override { closeRequested_ = true; }
    // What the session says of the selected line's place (why it cannot be exported).
    void setLineNote(int line, const std::string& utf8Text) override { notes_[line] = utf8Text; }
    std::string note(int line) const;

    const std::vector<std::string>& lines() const { return lines_; }
    // First line holding exactly these bytes, -1 when none.
    int findLine(const std::string& cp932Text) const;
    void selectLine(int line) { selected_ = line; }
    // A click on choice radio j: the radios form one automatic group.
    void clickChoice(int j);

    bool isChecked(int id) const { return valueOf(checked_, id); }
    bool isShown(int id) const { return valueOf(shown_, id); }
    bool isEnabled(int id) const { return valueOf(enabled_, id); }
    std::string text(int id) const;
    // Position of the checked choice radio, -1 when none (the window's radio-group value).
    int checkedChoice() const;
    // Choices on show: radio 0 and every shown radio after it.
    int shownChoiceCount() const;
    bool closeRequested() const { return closeRequested_; }

  private:
    static bool valueOf(const std::map<int, bool>& states, int id);

    std::vector<std::string> lines_;
    int selected_ = -1;
    std::map<int, std::string> texts_, notes_;
    std::map<int, bool> checked_, shown_, enabled_;
    bool closeRequested_ = false;
};

}  // namespace cli
