#include "app/win32/card_progress.h"

#include <commctrl.h>

#include "app/win32/dialog.h"
#include "res/resource.h"

namespace app {

namespace {
constexpr int steps = 1000;
// Short transfers end before the box would appear, so it never flickers.
constexpr ULONGLONG showAfterMs = 400;

INT_PTR CALLBACK boxProcedure(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

bool isInput(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}
}  // namespace

void CardProgress::update(std::uint64_t done, std::uint64_t expected) {
    if (!running_) {
        running_ = true;
        started_ = GetTickCount64();
        INITCOMMONCONTROLSEX classes{sizeof classes, ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&classes);
        box_ = CreateDialogParamW(moduleInstance(), MAKEINTRESOURCEW(IDD_PROGRESS), window_,
                                  boxProcedure, 0);
        if (window_) EnableWindow(window_, FALSE);
    }
    if (box_) {
        HWND bar = GetDlgItem(box_, IDC_PROGRESS_BAR);
        const bool known = expected > 0;
        LONG_PTR style = GetWindowLongPtrW(bar, GWL_STYLE);
        if (((style & PBS_MARQUEE) != 0) == known) {
            SetWindowLongPtrW(bar, GWL_STYLE, known ? style & ~PBS_MARQUEE : style | PBS_MARQUEE);
            SendMessageW(bar, PBM_SETMARQUEE, known ? FALSE : TRUE, 0);
        }
        if (known) {
            SendMessageW(bar, PBM_SETRANGE32, 0, steps);
            SendMessageW(
                bar, PBM_SETPOS,
                static_cast<WPARAM>((done < expected ? done : expected) * steps / expected), 0);
        }
        if (!IsWindowVisible(box_) && GetTickCount64() - started_ >= showAfterMs)
            ShowWindow(box_, SW_SHOWNA);
    }
    pump();
}

void CardProgress::pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));  // for the loop that owns it
            return;
        }
        if (isInput(message.message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void CardProgress::finish() {
    if (!running_) return;
    running_ = false;
    // The window first, so that it is active again once the box is gone.
    if (window_) EnableWindow(window_, TRUE);
    if (box_) DestroyWindow(box_);
    box_ = nullptr;
}

}  // namespace app
