// What the editor session needs of its main window. The Qt window, the terminal front end and
// the tests implement it; the session never touches a widget.
#pragma once

#include <string>

namespace core {

// Control ids the session drives.
enum ControlId : int {
    idListBox = 1000,
    idRadioRandom = 1027,  // choice j is radio idRadioRandom + j, j = 0..14
    idRadioLast = 1041,
    idFileNameText = 1042,
    idExportButton = 6,
    idExecuteButton = 3,
    idSettingsButton = 8,
    idCloseButton = 2,
    // Beyond the original window: where it works and what the last command did, and the buttons
    // that put every place back to random and undo the last change.
    idStatusText = 1050,
    idResetButton = 1051,
    idUndoButton = 1052,
};
inline constexpr int maxShownChoices = 14;

class EditorWindow {
  public:
    virtual ~EditorWindow() = default;
    // List box 1000. Texts are CP932 bytes as the catalogue holds them; the window converts
    // them for display and hands the same bytes back.
    virtual void clearList() = 0;
    virtual void appendLine(const std::string& cp932Text) = 0;
    virtual int selectedLine() const = 0;  // -1 when none
    virtual std::string selectedLineText() const = 0;
    // Radio buttons 1028..1041 and static 1042; CP932 text.
    virtual void setControlText(int id, const std::string& cp932Text) = 0;
    virtual void setChecked(int id, bool checked) = 0;  // radios 1027..1041
    virtual void setShown(int id, bool shown) = 0;      // radios 1028..1041
    virtual void setEnabled(int id, bool enabled) = 0;  // buttons 6, 3, 1051 and 1052
    virtual void requestClose() = 0;
    // Whether the window shows the state of every entry beside its name: only then does the
    // session read them all (a terminal pays only for the entry it asks for).
    virtual bool showsStates() const { return false; }
    // The state beside list line `line` (also of a selected line on a window that shows no
    // others), and the status line 1050; UTF-8 text.
    virtual void setLineNote(int /*line*/, const std::string& /*utf8Text*/) {}
    virtual void setStatus(const std::string& /*utf8Text*/) {}
};

}  // namespace core
