#include "app/win32/card_progress.h"

#include <commctrl.h>

#include "app/win32/dialog.h"
#include "res/resource.h"

namespace app {

namespace {
INT_PTR CALLBACK boxProcedure(HWND box, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG) return FALSE;
    centreOnOwner(box);
    return TRUE;
}

bool isInput(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}
}  // namespace

void CardProgress::showProgress() {
    if (box_) return;
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&classes);
    box_ = CreateDialogParamW(moduleInstance(), MAKEINTRESOURCEW(IDD_PROGRESS), window_,
                              boxProcedure, 0);
    if (window_) EnableWindow(window_, FALSE);
    if (box_) ShowWindow(box_, SW_SHOWNA);
}

void CardProgress::setProgress(int step) {
    if (!box_) return;
    HWND bar = GetDlgItem(box_, IDC_PROGRESS_BAR);
    const bool known = step >= 0;
    const LONG_PTR style = GetWindowLongPtrW(bar, GWL_STYLE);
    if (((style & PBS_MARQUEE) != 0) == known) {
        SetWindowLongPtrW(bar, GWL_STYLE, known ? style & ~PBS_MARQUEE : style | PBS_MARQUEE);
        SendMessageW(bar, PBM_SETMARQUEE, known ? FALSE : TRUE, 0);
    }
    if (known) {
        SendMessageW(bar, PBM_SETRANGE32, 0, core::TransferProgress::steps);
        SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(step), 0);
    }
}

void CardProgress::repaintWindows() {
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

void CardProgress::hideProgress() {
    if (!box_) return;
    // The window first, so that it is active again once the box is gone.
    if (window_) EnableWindow(window_, TRUE);
    DestroyWindow(box_);
    box_ = nullptr;
}

}  // namespace app
