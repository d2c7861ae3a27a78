#include "app/win32/vkrandom_dlg.h"

#include <algorithm>

#include "app/win32/about_dlg.h"
#include "app/win32/text.h"
#include "core/file_error.h"
#include "res/resource.h"

namespace app {

CVKRandomDlg::CVKRandomDlg(core::EditorOptions options, DialogRunner& runner)
    : Dialog(IDD_VKRANDOM_DIALOG),
      runner_(runner),
      prompts_(runner),
      editor_(std::make_unique<core::CRandomEditor>(prompts_, std::move(options))),
      icon_(LoadIconW(moduleInstance(), MAKEINTRESOURCEW(IDR_MAINFRAME))) {
    editor_->setProgressView(&progress_);
}

CVKRandomDlg::~CVKRandomDlg() {
    // A window still open (the tests run it modeless) goes while this object is whole.
    if (handle()) DestroyWindow(handle());
}

template <typename F>
void CVKRandomDlg::command(F&& operation) {
    editor_->run(std::forward<F>(operation));
}

BOOL CVKRandomDlg::onInitDialog() {
    prompts_.attach(handle());
    progress_.attach(handle());
    if (HMENU menu = GetSystemMenu(handle(), FALSE)) {
        const std::wstring about = loadString(IDS_ABOUTBOX);
        if (!about.empty()) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            AppendMenuW(menu, MF_STRING, idAboutCommand, about.c_str());
        }
    }
    SendMessageW(handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    // The list draws each line itself (name and state), one line of the dialog's font high.
    if (HDC dc = GetDC(handle())) {
        HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(handle(), WM_GETFONT, 0, 0)));
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        SelectObject(dc, old);
        ReleaseDC(handle(), dc);
        SendDlgItemMessageW(handle(), core::idListBox, LB_SETITEMHEIGHT, 0, metrics.tmHeight);
    }
    command([this] { editor_->startUp(*this); });
    return TRUE;
}

void CVKRandomDlg::exchangeData(bool save) {
    if (save)
        choice_ = radioGroupValue(control(core::idRadioRandom));
    else
        setRadioGroupValue(control(core::idRadioRandom), choice_);
}

bool CVKRandomDlg::onCommand(int id, int code) {
    switch (id) {
        case core::idExecuteButton:
            if (code == BN_CLICKED) command([this] { editor_->executeSelected(); });
            return true;
        case core::idExportButton:
            if (code == BN_CLICKED) {
                exchangeData(true);
                command([this] { editor_->exportChoice(choice_); });
            }
            return true;
        case core::idSettingsButton:
            if (code == BN_CLICKED) command([this] { editor_->applySettings(*this); });
            return true;
        case core::idListBox:
            if (code == LBN_DBLCLK) command([this] { editor_->executeSelected(); });
            if (code == LBN_SELCHANGE) command([this] { editor_->selectEntry(*this); });
            return true;
        case core::idResetButton:
            if (code == BN_CLICKED) command([this] { editor_->resetAll(); });
            return true;
        case core::idUndoButton:
            if (code == BN_CLICKED) command([this] { editor_->undoLastChange(); });
            return true;
        default:
            return Dialog::onCommand(id, code);
    }
}

bool CVKRandomDlg::onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    switch (message) {
        case showStatesMessage:
            if (editor_) command([this] { editor_->showStates(*this); });
            return true;
        case WM_DRAWITEM:
            if (wParam != core::idListBox) return false;
            drawLine(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return true;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) != idAboutCommand) return false;
            {
                CAboutDlg about;
                runner_.run(about, handle());
            }
            return true;
        case WM_PAINT:
            // The states are read once the window is on screen: it appears as fast as without
            // them, and a card's transfers show their progress over it.
            if (!statesRead_) {
                statesRead_ = true;
                PostMessageW(handle(), showStatesMessage, 0, 0);
            }
            if (!IsIconic(handle())) return false;
            paintMinimised();
            return true;
        case WM_QUERYDRAGICON:
            result = reinterpret_cast<INT_PTR>(icon_);
            return true;
        case WM_CLOSE:
            // The close box still reaches the window while a card transfer holds the one
            // thread; the window stays until the operation it runs has returned.
            return editor_ && editor_->busy();
        case WM_DESTROY:
            // The session goes with the window: catalogue freed, instance lock given up.
            editor_.reset();
            return false;
        default:
            return false;
    }
}

void CVKRandomDlg::paintMinimised() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(handle(), &paint);
    SendMessageW(handle(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const int width = GetSystemMetrics(SM_CXICON);
    const int height = GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(handle(), &client);
    DrawIcon(dc, (client.right - client.left - width + 1) / 2,
             (client.bottom - client.top - height + 1) / 2, icon_);
    EndPaint(handle(), &paint);
}

// A line of the list: the entry's name on the left, what its place holds on the right in the
// grey of quieter text; what does not fit is cut with "…" (the state keeps at least half).
void CVKRandomDlg::drawLine(const DRAWITEMSTRUCT& item) const {
    if (item.itemID >= lines_.size()) return;  // an empty list: nothing but the focus
    const bool selected = item.itemState & ODS_SELECTED;
    HDC dc = item.hDC;
    FillRect(dc, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetBkMode(dc, TRANSPARENT);
    const std::wstring name = wideFromCp932(lines_[item.itemID]);
    const std::wstring& state = notes_[item.itemID];
    const auto width = [dc](const std::wstring& text) {
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        return static_cast<int>(size.cx);
    };
    RECT text = item.rcItem;
    text.left += 2;
    text.right -= 2;
    const int room = text.right - text.left, gap = width(L"\x3000");
    const int stateWidth = std::min(width(state), std::max(room / 2, room - gap - width(name)));
    const UINT flags = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX;
    RECT left = text, right = text;
    left.right -= stateWidth + gap;
    right.left = right.right - stateWidth;
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    DrawTextW(dc, name.c_str(), -1, &left, flags | DT_LEFT);
    if (!selected) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    DrawTextW(dc, state.c_str(), -1, &right, flags | DT_RIGHT);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &item.rcItem);
}

void CVKRandomDlg::clearList() {
    SendDlgItemMessageW(handle(), core::idListBox, LB_RESETCONTENT, 0, 0);
    lines_.clear();
    notes_.clear();
}

void CVKRandomDlg::appendLine(const std::string& cp932Text) {
    SendDlgItemMessageW(handle(), core::idListBox, LB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(wideFromCp932(cp932Text).c_str()));
    lines_.push_back(cp932Text);
    notes_.emplace_back();
}

void CVKRandomDlg::setLineNote(int line, const std::string& utf8Text) {
    if (line < 0 || line >= static_cast<int>(notes_.size())) return;
    notes_[static_cast<std::size_t>(line)] = wide(utf8Text);
    RECT rect{};
    HWND list = control(core::idListBox);
    if (SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(line),
                     reinterpret_cast<LPARAM>(&rect)) != LB_ERR)
        InvalidateRect(list, &rect, TRUE);
}

void CVKRandomDlg::setStatus(const std::string& utf8Text) {
    SetDlgItemTextW(handle(), core::idStatusText, wide(utf8Text).c_str());
}

int CVKRandomDlg::selectedLine() const {
    const LRESULT line = SendDlgItemMessageW(handle(), core::idListBox, LB_GETCURSEL, 0, 0);
    return line == LB_ERR ? -1 : static_cast<int>(line);
}

std::string CVKRandomDlg::selectedLineText() const {
    const int line = selectedLine();
    return line < 0 || line >= static_cast<int>(lines_.size())
               ? std::string()
               : lines_[static_cast<std::size_t>(line)];
}

void CVKRandomDlg::setControlText(int id, const std::string& cp932Text) {
    SetDlgItemTextW(handle(), id, wideFromCp932(cp932Text).c_str());
}

void CVKRandomDlg::setChecked(int id, bool checked) {
    CheckDlgButton(handle(), id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void CVKRandomDlg::setShown(int id, bool shown) {
    ShowWindow(control(id), shown ? SW_SHOWNA : SW_HIDE);
}

void CVKRandomDlg::setEnabled(int id, bool enabled) {
    EnableWindow(control(id), enabled ? TRUE : FALSE);
}

void CVKRandomDlg::requestClose() {
    PostMessageW(handle(), WM_CLOSE, 0, 0);
}

}  // namespace app
