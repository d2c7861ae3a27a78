// The yardstick of the start-up benchmark: an empty dialog from a template, built like
// VKRandom.exe, ending once it has painted.
#include <windows.h>

#include "app/win32/bench/exit_when_shown.h"

namespace {
INT_PTR CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL))
        EndDialog(hwnd, LOWORD(wParam));
    return message == WM_INITDIALOG;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    bench::exitWhenShown();
    return static_cast<int>(DialogBoxParamW(instance, MAKEINTRESOURCEW(1), nullptr, procedure, 0));
}
