// Start-up probes: the process ends the moment its main dialog (a top-level window without an
// owner) has painted, its controls included, so the wall time of a run is the time from start
// to the window on screen.
#pragma once

#include <windows.h>

namespace bench {

inline bool isMainWindow(HWND hwnd) {
    return GetAncestor(hwnd, GA_PARENT) == GetDesktopWindow() && !GetWindow(hwnd, GW_OWNER) &&
           IsWindowVisible(hwnd);
}

// WM_PAINT is dispatched from the queue, so a hook on taken messages sees it first.
inline LRESULT CALLBACK onMessageTaken(int code, WPARAM wParam, LPARAM lParam) {
    auto* message = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && message->message == WM_PAINT &&
        isMainWindow(message->hwnd)) {
        DispatchMessageW(message);
        RedrawWindow(message->hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        GdiFlush();
        ExitProcess(0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

inline void exitWhenShown() {
    SetWindowsHookExW(WH_GETMESSAGE, onMessageTaken, nullptr, GetCurrentThreadId());
}

}  // namespace bench
