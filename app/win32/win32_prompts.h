// The Win32 face of the session's prompts: OK boxes with the exclamation icon, the open-file
// dialog, the settings dialog and the error box of a failed file write, all through a
// DialogRunner so that the GUI tests can answer them.
#pragma once

#include <windows.h>

#include <string>

#include "core/prompts.h"

namespace app {

class DialogRunner;

class Win32Prompts : public core::Prompts {
  public:
    explicit Win32Prompts(DialogRunner& runner) : runner_(runner) {}
    void attach(HWND window) { window_ = window; }

    void showMessage(int id, const std::string& text) override;
    bool askYesNo(int id, const std::string& text) override;
    // From the program's string table (LoadString).
    std::string messageText(int id) override;
    std::optional<std::string> askOpenFile(const core::OpenFileQuestion& question) override;
    bool runSettingsDialog(core::CRandomEditor& editor) override;
    void reportFileError(const std::string& text) override;

    // The window a box or dialog belongs to: the one the user is in (the settings dialog while
    // it is open), else the main window; none before the main window exists.
    HWND owner() const;

  private:
    void box(const std::string& text, UINT icon);

    DialogRunner& runner_;
    HWND window_ = nullptr;
};

// The caption of every box: the executable's name without its extension.
std::wstring boxCaption();

// The open-file dialog's filter list: description NUL pattern NUL NUL.
std::wstring fileDialogFilter(const core::OpenFileQuestion& question);

}  // namespace app
