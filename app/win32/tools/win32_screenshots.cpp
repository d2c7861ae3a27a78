// Pictures of VKRandom.exe's windows for the README, taken from the screen under Wine: the main
// window with an entry selected, the settings dialog, the About box and message 113.
// Usage (scripts/win32-screenshots runs it): vkrandom-win32-screenshots SETTINGS_INI OUT_FOLDER
// in the catalogue's folder.
#include <algorithm>
using std::max;  // gdiplus.h expects min and max, which NOMINMAX keeps out of windows.h
using std::min;
#include <windows.h>
// After windows.h, which they need.
#include <objidl.h>
#include <shellapi.h>
// After objidl.h, which it needs.
#include <gdiplus.h>

#include <string>

#include "app/win32/text.h"
#include "app/win32/vkrandom_dlg.h"

namespace {

std::wstring folder;

// Lets the windows paint, then saves `window` with its frame as OUT_FOLDER/name.png.
void save(HWND window, const wchar_t* name) {
    for (int i = 0; i < 20; ++i) {
        for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&m);
        Sleep(25);
    }
    RECT r;
    GetWindowRect(window, &r);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, r.right - r.left, r.bottom - r.top);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    const CLSID png = {
        0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
    Gdiplus::Bitmap picture(bitmap, nullptr);
    picture.Save((folder + L"\\" + name + L".png").c_str(), &png, nullptr);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

// Shows every dialog and box for real, saves it, and closes it.
struct Camera : app::DialogRunner {
    INT_PTR run(app::Dialog& dialog, HWND owner) override {
        ShowWindow(dialog.create(owner), SW_SHOW);
        save(dialog.handle(), dialog.control(4) ? L"win32-settings" : L"win32-about");
        // The whole screen once: where the main window and a dialog over it open.
        if (dialog.control(4)) save(GetDesktopWindow(), L"win32-screen");
        dialog.end(IDCANCEL);
        return IDCANCEL;
    }
    int messageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) override {
        SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR timer, DWORD) {
            KillTimer(nullptr, timer);
            HWND box = GetActiveWindow();
            save(box, L"win32-message-box");
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        });
        return MessageBoxW(owner, text, caption, type);
    }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (count != 3) return 2;
    folder = arguments[2];
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);

    core::EditorOptions options;
    options.settingsPath = app::utf8(arguments[1]);
    Camera camera;
    app::CVKRandomDlg window(options, camera);
    HWND main = window.create(nullptr);
    HWND list = GetDlgItem(main, core::idListBox);
    SendMessageW(list, LB_SETCURSEL, 1, 0);
    SendMessageW(main, WM_COMMAND, MAKEWPARAM(core::idListBox, LBN_SELCHANGE), LPARAM(list));
    ShowWindow(main, SW_SHOWNORMAL);
    SetForegroundWindow(main);
    SetFocus(list);
    save(main, L"win32-main-window");
    SendMessageW(main, WM_COMMAND, MAKEWPARAM(core::idSettingsButton, BN_CLICKED), 0);
    SendMessageW(main, WM_SYSCOMMAND, app::CVKRandomDlg::idAboutCommand, 0);
    SendMessageW(main, WM_COMMAND, MAKEWPARAM(core::idExportButton, BN_CLICKED), 0);
    Gdiplus::GdiplusShutdown(token);
    return 0;
}
