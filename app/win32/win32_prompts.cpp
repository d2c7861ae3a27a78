#include "app/win32/win32_prompts.h"

#include <algorithm>

#include "app/win32/define_dlg.h"
#include "app/win32/dialog.h"
#include "app/win32/text.h"
#include "platform/paths.h"

namespace app {

std::wstring boxCaption() {
    return wide(platform::applicationName());
}

std::wstring fileDialogFilter(const core::OpenFileQuestion& question) {
    std::wstring filter = wide(question.filterDescription);
    filter += L'\0';
    filter += wide(question.pattern);
    filter += L'\0';
    filter += L'\0';
    return filter;
}

HWND Win32Prompts::owner() const {
    if (!window_ || !IsWindow(window_)) return nullptr;
    HWND popup = GetLastActivePopup(window_);
    return popup && IsWindowEnabled(popup) ? popup : window_;
}

void Win32Prompts::box(const std::string& text, UINT icon) {
    runner_.messageBox(owner(), wide(text).c_str(), boxCaption().c_str(), MB_OK | icon);
}

void Win32Prompts::showMessage(int /*id*/, const std::string& text) {
    box(text, MB_ICONEXCLAMATION);
}

bool Win32Prompts::askYesNo(int /*id*/, const std::string& text) {
    return runner_.messageBox(owner(), wide(text).c_str(), boxCaption().c_str(),
                              MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

std::string Win32Prompts::messageText(int id) {
    return utf8(loadString(id));
}

void Win32Prompts::reportFileError(const std::string& text) {
    box(text, MB_ICONERROR);
}

std::optional<std::string> Win32Prompts::askOpenFile(const core::OpenFileQuestion& question) {
    const std::wstring filter = fileDialogFilter(question);
    const std::wstring suffix = wide(question.defaultSuffix);
    std::wstring file = wide(question.initialName);
    std::replace(file.begin(), file.end(), L'/', L'\\');
    file.resize(std::max<std::size_t>(file.size() + 1, MAX_PATH * 4), L'\0');

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner();
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrDefExt = suffix.c_str();
    // Any name may be typed: the session itself tells the user when the file does not exist.
    // The working folder holds the catalogue, so the dialog must not move it.
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
    if (!runner_.openFile(dialog)) return std::nullopt;
    file.resize(wcslen(file.c_str()));
    return utf8(file);
}

bool Win32Prompts::runSettingsDialog(core::CRandomEditor& editor) {
    CDefineDlg dialog(editor);
    return runner_.run(dialog, owner()) == IDOK;
}

}  // namespace app
