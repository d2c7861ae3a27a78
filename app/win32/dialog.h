// A dialog built from a resource template, with its window procedure forwarding to virtual
// members. The base keeps the platform's OK and Cancel: both end the dialog, OK after the data
// exchange. Dialogs run through a DialogRunner, so the GUI tests can drive them in place.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <commdlg.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace app {

class Dialog {
  public:
    explicit Dialog(int templateId) : templateId_(templateId) {}
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Modal run owned by `owner`; returns the result passed to end().
    INT_PTR runModal(HWND owner);
    // The same dialog, modeless: for the tests, which then send it messages.
    HWND create(HWND owner);
    HWND handle() const { return hwnd_; }
    HWND control(int id) const { return GetDlgItem(hwnd_, id); }
    bool ended() const { return ended_; }
    INT_PTR result() const { return result_; }
    // Ends a modal run, or destroys a modeless dialog, with `result`.
    void end(INT_PTR result);

  protected:
    // WM_INITDIALOG; the result tells the platform whether to set the focus.
    virtual BOOL onInitDialog() { return TRUE; }
    // WM_COMMAND: true when handled. The default ends on IDOK (after the data exchange) and
    // IDCANCEL, which is what Enter, Escape and the close box send.
    virtual bool onCommand(int id, int code);
    // The data exchange: `save` reads the controls into the members, else the other way.
    virtual void exchangeData(bool /*save*/) {}
    // Any other message: true when handled, with the dialog procedure's result in `result`.
    virtual bool onMessage(UINT /*message*/, WPARAM, LPARAM, INT_PTR& /*result*/) { return false; }

  private:
    static INT_PTR CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    int templateId_;
    HWND hwnd_ = nullptr;
    bool modal_ = false;
    bool ended_ = false;
    INT_PTR result_ = IDCANCEL;
};

// Runs the program's modal dialogs and boxes. The program shows them; the GUI tests put a
// runner of their own in its place that answers each one at once and notes what it was shown.
class DialogRunner {
  public:
    virtual ~DialogRunner() = default;
    virtual INT_PTR run(Dialog& dialog, HWND owner) { return dialog.runModal(owner); }
    virtual int messageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
        return MessageBoxW(owner, text, caption, type);
    }
    virtual bool openFile(OPENFILENAMEW& question) { return GetOpenFileNameW(&question) != 0; }

    static DialogRunner& modal();
};

// The radio group that starts at `first`: its radio buttons up to the next control that starts
// a group, hidden ones included, counted in template order. -1 when none is checked.
int radioGroupValue(HWND first);
void setRadioGroupValue(HWND first, int value);

// Centres a dialog on its owner, the main window on the work area of its screen, as the Linux
// program's windows open; never past the work area's edges. Called at WM_INITDIALOG.
void centreOnOwner(HWND window);

// The dialog template `templateId` with a font small enough, down to `minimumPoints`, that the
// window fits `area` (pixels) at the screen's scale: at 150 or 200 % on a small screen the
// template's own font would make it taller than the screen. None when the template fits as it is.
inline constexpr int minimumPoints = 5;
std::optional<std::vector<std::uint8_t>> templateFitting(int templateId, SIZE area);
// The work area of the owner's screen, or of the main screen when there is no owner.
SIZE workAreaOf(HWND owner);

// The program's instance, whose resources the dialogs come from.
HINSTANCE moduleInstance();

}  // namespace app
