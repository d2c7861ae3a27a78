#include "app/win32/dialog.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace app {

HINSTANCE moduleInstance() {
    return GetModuleHandleW(nullptr);
}

Dialog::~Dialog() {
    if (hwnd_ && !modal_) DestroyWindow(hwnd_);
}

namespace {

// The parts of an extended dialog template (DIALOGEX) that decide its size on the screen.
struct TemplateLayout {
    DWORD style = 0, exStyle = 0;
    short cx = 0, cy = 0;
    std::size_t fontSize = 0;  // offset of the point size; 0 when the template names no font
    const wchar_t* typeface = nullptr;
};

std::optional<TemplateLayout> layoutOf(const std::vector<std::uint8_t>& t) {
    const auto word = [&](std::size_t at) -> std::optional<WORD> {
        if (at + 2 > t.size()) return std::nullopt;
        return static_cast<WORD>(t[at] | t[at + 1] << 8);
    };
    if (word(0) != 1 || word(2) != 0xFFFF || t.size() < 26) return std::nullopt;
    TemplateLayout l;
    std::memcpy(&l.exStyle, &t[8], 4);
    std::memcpy(&l.style, &t[12], 4);
    std::memcpy(&l.cx, &t[22], 2);
    std::memcpy(&l.cy, &t[24], 2);
    std::size_t at = 26;
    // Menu and class (none, an ordinal or a string), then the caption.
    for (int field = 0; field < 3; ++field) {
        const auto first = word(at);
        if (!first) return std::nullopt;
        if (field < 2 && *first == 0xFFFF) {
            at += 4;
            continue;
        }
        while (word(at).value_or(0) != 0) at += 2;
        if (!word(at)) return std::nullopt;
        at += 2;
    }
    if ((l.style & DS_SETFONT) && word(at + 6)) {
        l.fontSize = at;
        l.typeface = reinterpret_cast<const wchar_t*>(&t[at + 6]);
    }
    return l;
}

// The window's size in pixels with its font at `points`, as the dialog manager reckons it: from
// the font's average character width and height at the screen's dots per inch.
SIZE pixelsOf(const TemplateLayout& l, int points) {
    HDC screen = GetDC(nullptr);
    HFONT font =
        CreateFontW(-MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL,
                    FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, l.typeface);
    HGDIOBJ old = SelectObject(screen, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(screen, &metrics);
    SIZE letters{};
    GetTextExtentPoint32W(screen, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52,
                          &letters);
    SelectObject(screen, old);
    DeleteObject(font);
    ReleaseDC(nullptr, screen);
    RECT r{0, 0, MulDiv(l.cx, (letters.cx / 26 + 1) / 2, 4), MulDiv(l.cy, metrics.tmHeight, 8)};
    AdjustWindowRectEx(&r, l.style, FALSE, l.exStyle);
    return {r.right - r.left, r.bottom - r.top};
}

}  // namespace

std::optional<std::vector<std::uint8_t>> templateFitting(int templateId, SIZE area) {
    HRSRC found = FindResourceW(moduleInstance(), MAKEINTRESOURCEW(templateId), RT_DIALOG);
    HGLOBAL loaded = found ? LoadResource(moduleInstance(), found) : nullptr;
    const auto* bytes = static_cast<const std::uint8_t*>(loaded ? LockResource(loaded) : nullptr);
    if (!bytes) return std::nullopt;
    std::vector<std::uint8_t> t(bytes, bytes + SizeofResource(moduleInstance(), found));
    const auto layout = layoutOf(t);
    if (!layout || !layout->fontSize) return std::nullopt;
    const int points = t[layout->fontSize] | t[layout->fontSize + 1] << 8;
    // The same template with a smaller font is the same window, smaller in proportion.
    int fitting = points;
    for (SIZE size = pixelsOf(*layout, fitting);
         fitting > minimumPoints && (size.cx > area.cx || size.cy > area.cy);)
        size = pixelsOf(*layout, --fitting);
    if (fitting == points) return std::nullopt;
    t[layout->fontSize] = static_cast<std::uint8_t>(fitting);
    t[layout->fontSize + 1] = 0;
    return t;
}

INT_PTR Dialog::runModal(HWND owner) {
    modal_ = true;
    ended_ = false;
    if (const auto fitted = templateFitting(templateId_, workAreaOf(owner)))
        return DialogBoxIndirectParamW(moduleInstance(),
                                       reinterpret_cast<LPCDLGTEMPLATEW>(fitted->data()), owner,
                                       procedure, reinterpret_cast<LPARAM>(this));
    return DialogBoxParamW(moduleInstance(), MAKEINTRESOURCEW(templateId_), owner, procedure,
                           reinterpret_cast<LPARAM>(this));
}

HWND Dialog::create(HWND owner) {
    modal_ = false;
    ended_ = false;
    if (const auto fitted = templateFitting(templateId_, workAreaOf(owner)))
        return CreateDialogIndirectParamW(moduleInstance(),
                                          reinterpret_cast<LPCDLGTEMPLATEW>(fitted->data()), owner,
                                          procedure, reinterpret_cast<LPARAM>(this));
    return CreateDialogParamW(moduleInstance(), MAKEINTRESOURCEW(templateId_), owner, procedure,
                              reinterpret_cast<LPARAM>(this));
}

SIZE workAreaOf(HWND owner) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(owner ? MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST)
                          : MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY),
                    &monitor);
    return {monitor.rcWork.right - monitor.rcWork.left, monitor.rcWork.bottom - monitor.rcWork.top};
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
