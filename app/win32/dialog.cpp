#include "app/win32/dialog.h"

#include <algorithm>

namespace app {

HINSTANCE moduleInstance() {
    return GetModuleHandleW(nullptr);
}

Dialog::~Dialog() {
    if (hwnd_ && !modal_) DestroyWindow(hwnd_);
}

INT_PTR Dialog::runModal(HWND owner) {
    modal_ = true;
    ended_ = false;
    return DialogBoxParamW(moduleInstance(), MAKEINTRESOURCEW(templateId_), owner, procedure,
                           reinterpret_cast<LPARAM>(this));
}

HWND Dialog::create(HWND owner) {
    modal_ = false;
    ended_ = false;
    return CreateDialogParamW(moduleInstance(), MAKEINTRESOURCEW(templateId_), owner, procedure,
                              reinterpret_cast<LPARAM>(this));
}

void Dialog::end(INT_PTR result) {
    result_ = result;
    ended_ = true;
    if (modal_) {
        EndDialog(hwnd_, result);
    } else if (hwnd_) {
        DestroyWindow(hwnd_);  // no modal loop to end
    }
}

bool Dialog::onCommand(int id, int /*code*/) {
    if (id == IDOK) {
        exchangeData(true);
        end(IDOK);
        return true;
    }
    if (id == IDCANCEL) {
        end(IDCANCEL);
        return true;
    }
    return false;
}

void centreOnOwner(HWND window) {
    HWND owner = GetWindow(window, GW_OWNER);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(owner ? owner : window, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT area = monitor.rcWork;
    RECT over = area, rect;
    if (owner) GetWindowRect(owner, &over);
    GetWindowRect(window, &rect);
    const LONG width = rect.right - rect.left, height = rect.bottom - rect.top;
    // Inside the work area; where it is too small, with the title bar and left edge in it.
    const LONG x = std::max<LONG>(
        area.left, std::min<LONG>((over.left + over.right - width) / 2, area.right - width));
    const LONG y = std::max<LONG>(
        area.top, std::min<LONG>((over.top + over.bottom - height) / 2, area.bottom - height));
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK Dialog::procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        self->hwnd_ = hwnd;
        // Before anything else, so that a box the initialisation shows is centred on the window.
        centreOnOwner(hwnd);
        self->exchangeData(false);
        return self->onInitDialog();
    }
    if (!self) return FALSE;
    INT_PTR result = TRUE;  // handled, unless a member says otherwise
    if (self->onMessage(message, wParam, lParam, result)) return result;
    switch (message) {
        case WM_COMMAND:
            return self->onCommand(LOWORD(wParam), HIWORD(wParam));
        case WM_NCDESTROY:
            self->hwnd_ = nullptr;
            return FALSE;
        default:
            return FALSE;
    }
}

DialogRunner& DialogRunner::modal() {
    static DialogRunner runner;
    return runner;
}

namespace {
bool isRadio(HWND control) {
    return (SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) != 0;
}

// Calls `visit(radio, position)` for each radio button of the group that starts at `first`.
template <typename F>
void forEachRadio(HWND first, F&& visit) {
    int position = 0;
    for (HWND control = first; control;) {
        if (isRadio(control)) visit(control, position++);
        control = GetWindow(control, GW_HWNDNEXT);
        if (control && (GetWindowLongW(control, GWL_STYLE) & WS_GROUP)) break;
    }
}
}  // namespace

int radioGroupValue(HWND first) {
    int value = -1;
    forEachRadio(first, [&](HWND radio, int position) {
        if (SendMessageW(radio, BM_GETCHECK, 0, 0) == BST_CHECKED) value = position;
    });
    return value;
}

void setRadioGroupValue(HWND first, int value) {
    forEachRadio(first, [&](HWND radio, int position) {
        SendMessageW(radio, BM_SETCHECK, position == value ? BST_CHECKED : BST_UNCHECKED, 0);
    });
}

}  // namespace app
