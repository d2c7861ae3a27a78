// The Win32 windows of VKRandom.exe, from its resources, driven in-process with the messages
// the system sends for clicks and keys; boxes and file dialogs are answered by the runner.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/win32/define_dlg.h"
#include "app/win32/text.h"
#include "app/win32/vkrandom_dlg.h"
#include "core/messages.h"
#include "platform/encoding.h"
#include "resource.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using namespace core;
using app::CDefineDlg;
using Strings = std::vector<std::string>;

namespace {

std::string text(HWND hwnd) {
    wchar_t buffer[512] = {};
    return app::utf8({buffer, std::size_t(GetWindowTextW(hwnd, buffer, 512))});
}
// Whether `w` is centred, to a pixel, on `owner`, or on the screen's work area when none.
bool centred(HWND w, HWND owner) {
    RECT a, b;
    if (!GetWindowRect(w, &a)) return false;
    owner ? GetWindowRect(owner, &b) : SystemParametersInfoW(SPI_GETWORKAREA, 0, &b, 0);
    return std::abs(a.left + a.right - b.left - b.right) <= 1 &&
           std::abs(a.top + a.bottom - b.top - b.bottom) <= 1;
}

// Answers each dialog with the next step (none left: cancel) and notes what it was shown:
// message ids, "file", or the dialog's title.
struct Runner : app::DialogRunner {
    INT_PTR run(app::Dialog& dialog, HWND owner) override {
        ShowWindow(dialog.create(owner), SW_SHOW);
        seen.push_back(text(dialog.handle()));
        EXPECT_TRUE(centred(dialog.handle(), owner)) << seen.back();
        if (!steps.empty()) steps.front()(dialog.handle()), steps.erase(steps.begin());
        if (!dialog.ended()) dialog.end(IDCANCEL);
        return dialog.result();
    }
    int messageBox(HWND owner, const wchar_t* body, const wchar_t* caption, UINT type) override {
        std::string id = "?";  // not an OK box with the exclamation icon or a question, or not ours
        const bool question = type == (MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
        for (int i = 100; i < 160 && (question || type == (MB_OK | MB_ICONEXCLAMATION)); ++i) {
            // The text with its insert and any detail after it.
            const std::wstring message = app::wide(messageText(i)), shown = body;
            const auto insert = message.find(L"%1");
            if (!message.empty() && shown.starts_with(message.substr(0, insert)) &&
                (insert == message.npos || shown.find(message.substr(insert + 2)) != shown.npos))
                id = std::to_string(i);
        }
        seen.push_back(id);
        box = {owner, app::utf8(caption)};
        return question ? IDYES : IDOK;
    }
    bool openFile(OPENFILENAMEW& question) override {
        seen.push_back("file");
        asked = std::wstring(question.lpstrFilter, 27) + L"|" + question.lpstrDefExt + L"|" +
                question.lpstrFile;
        if (chosen) wcscpy(question.lpstrFile, app::wide(*chosen).c_str());
        return chosen.has_value();
    }
    Strings seen;
    std::vector<std::function<void(HWND)>> steps;
    std::pair<HWND, std::string> box;  // owner and caption of the last box
    std::wstring asked;  // filter, default suffix and initial name of the last file dialog
    std::optional<std::string> chosen;
};

class Gui : public testing::Test {
  protected:
    // The robot folder and catalogues the Qt window's tests use too.
    Gui() {
        fs::copy(VKRANDOM_SOURCE_DIR "/tests/data/gui", dir.path(), fs::copy_options::recursive);
        write("VKRandom.ini",
              "[DATA]\r\nPATH=" + path("robot") + "\r\n[REMOTE]\r\nCONNECT_TYPE=0\r\n");
    }
    std::string path(const char* name) const {
        return fs::path(dir / name).make_preferred().string();
    }
    void write(const char* name, const std::string& utf8) const {
        testing_support::writeFile(dir / name, platform::utf8ToCp932(utf8).value());
    }
    std::string read(const char* name) const { return testing_support::readFile(dir / name); }
    bool stored(const std::string& s) const { return read("VKRandom.ini").find(s) != s.npos; }
    // Delivers what is queued, keys through the dialog manager of `d` as the modal loop does.
    static void pump(HWND d = nullptr) {
        for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);)
            if (!d || !IsWindow(d) || !IsDialogMessageW(d, &m)) DispatchMessageW(&m);
    }
    static void click(HWND d, int id) { SendMessageW(GetDlgItem(d, id), BM_CLICK, 0, 0), pump(d); }
    static void key(HWND d, int id, WPARAM vk) {
        SendMessageW(d, WM_NEXTDLGCTL, WPARAM(GetDlgItem(d, id)), TRUE);
        PostMessageW(GetFocus(), WM_KEYDOWN, vk, 0), pump(d);
    }
    bool checked(HWND d, int id) const { return IsDlgButtonChecked(d, id) == BST_CHECKED; }
    EditorOptions options() const {
        return {path("VKRandom.ini"),
                "vkrandom-test-" + fs::path(dir.path()).filename().string(),
                path("."),
                {},
                path("backup")};
    }
    HWND open() {
        window.reset();
        window.emplace(options(), runner);
        ShowWindow(window->create(nullptr), SW_SHOW);
        pump(main());
        return main();
    }
    HWND main() const { return window->handle(); }
    HWND item(int id) const { return GetDlgItem(main(), id); }
    bool on(int id) const { return IsWindowEnabled(item(id)); }
    void select(int line, int notification = LBN_SELCHANGE) {
        SendMessageW(item(idListBox), LB_SETCURSEL, line, 0);
        SendMessageW(main(), WM_COMMAND, MAKEWPARAM(idListBox, notification), 0);
        pump(main());
    }
    LRESULT list(UINT message, LPARAM text = 0) const {
        return SendMessageW(item(idListBox), message, WPARAM(-1), text);
    }
    LRESULT line(const wchar_t* text) const { return list(LB_FINDSTRINGEXACT, LPARAM(text)); }
    int shownChoices() const {  // how many of choices 1.. are shown
        int k = 1;
        while (k <= maxShownChoices && IsWindowVisible(item(idRadioRandom + k))) ++k;
        return k - 1;
    }

    testing_support::TempDir dir;
    Runner runner;
    std::optional<app::CVKRandomDlg> window;
};

}  // namespace

TEST_F(Gui, StartStateSelectionAndExport) {
    open();
    EXPECT_TRUE(list(LB_GETCOUNT) == 3 && line(L"あいさつ") == 0 && line(L"歩き方") == 2);
    EXPECT_TRUE(IsWindowVisible(item(idRadioRandom)) && !checked(main(), idRadioRandom));
    EXPECT_TRUE(shownChoices() == 0 && !on(idExportButton) && !on(idExecuteButton));
    EXPECT_TRUE(GetFocus() == item(idCloseButton) && centred(main(), nullptr));
    select(0);  // five labels, random
    EXPECT_EQ(shownChoices(), 5);
    EXPECT_EQ(text(item(idRadioRandom + 5)), "どうも");
    EXPECT_EQ(text(item(idFileNameText)), "STARTUP.XML");
    EXPECT_TRUE(checked(main(), idRadioRandom) && on(idExportButton) && !on(idExecuteButton));
    select(1);  // two labels, choice 2: the surplus radios go
    EXPECT_TRUE(shownChoices() == 2 && checked(main(), idRadioRandom + 2) &&
                !checked(main(), idRadioRandom));
    select(0);
    click(main(), idRadioRandom + 3);
    click(main(), idExportButton);
    EXPECT_EQ(runner.seen, Strings{"113"});
    EXPECT_EQ(runner.box, std::make_pair(main(), fs::path(_pgmptr).stem().string()));
    select(1);
    select(0);
    EXPECT_TRUE(checked(main(), idRadioRandom + 3));  // read back from the file
}

TEST_F(Gui, EnterEscapeAndCloseEndTheWindow) {
    // No default button: Enter on the list is OK; on a focused button it presses that button.
    for (const auto& [id, vk, result] : {std::tuple{idListBox, VK_RETURN, IDOK},
                                         {idListBox, VK_ESCAPE, IDCANCEL},
                                         {idCloseButton, VK_RETURN, IDCANCEL}}) {
        select((open(), 0));
        key(main(), id, vk);
        EXPECT_TRUE(window->ended() && window->result() == result);
    }
}

TEST_F(Gui, SettingsDialog) {
    int before = 0;
    for (const int connect : {1, 2, 0}) {  // Execute follows the connection type at once
        select((open(), 0));
        runner.steps.push_back([&](HWND d) {
            EXPECT_TRUE(checked(d, CDefineDlg::idConnectSd + before) &&
                        checked(d, CDefineDlg::idTypeVesk));
            click(d, CDefineDlg::idConnectSd + (before = connect));
            SetDlgItemTextW(d, CDefineDlg::idCardHost, connect == 2 ? L"10.0.0.9" : L"");
            key(d, CDefineDlg::idConnectSd + connect, VK_RETURN);  // OK is the default button
        });
        click(main(), idSettingsButton);
        EXPECT_EQ(stored("CARD_HOST=10.0.0.9"), connect == 2);
        EXPECT_EQ(on(idExecuteButton), connect != 0);
        EXPECT_TRUE(stored("CONNECT_TYPE=" + std::to_string(connect)) && !stored("VERSION"));
        EXPECT_TRUE(checked(main(), idRadioRandom));  // nothing reloaded
        // A double-click executes: over USB it asks for REMOTE.LOG first (no card to try here).
        select(0, connect == 2 ? LBN_SELCHANGE : LBN_DBLCLK);
        EXPECT_EQ(runner.seen.back(), connect == 1 ? "file" : "設定ダイアログ");
    }
    // Enter on a focused Cancel cancels; a folder chosen meanwhile stays.
    runner.chosen = path("robot/STARTUP.XML");
    write("VKRandom.ini", "[DATA]\r\nPATH=x\r\n");
    runner.steps.push_back([&](HWND d) {
        click(d, CDefineDlg::idTypeLumo2);
        click(d, CDefineDlg::idDataFolder);
        key(d, IDCANCEL, VK_RETURN);
    });
    runner.seen.clear();
    click(main(), idSettingsButton);
    EXPECT_EQ(runner.seen, (Strings{"設定ダイアログ", "131", "file"}));
    EXPECT_EQ(runner.asked, std::wstring(L"Vesk起動ﾌﾟﾛｸﾞﾗﾑ\0STARTUP.XML\0\0|XML|STARTUP.XML", 43));
    EXPECT_TRUE(stored("PATH=" + path("robot") + "\r\n") && !stored("VERSION"));
    // A changed program type reloads the list and resets the choices.
    runner.steps.push_back([](HWND d) { click(d, CDefineDlg::idTypeVesk + 1), click(d, IDOK); });
    click(main(), idSettingsButton);
    EXPECT_TRUE(list(LB_GETCOUNT) == 1 && line(L"パロのしぐさ") == 0);
    EXPECT_FALSE(checked(main(), idRadioRandom) || on(idExportButton));
}

TEST_F(Gui, AboutBoxAndTexts) {
    HMENU menu = GetSystemMenu(open(), FALSE);
    EXPECT_EQ(GetMenuItemID(menu, GetMenuItemCount(menu) - 1), 0x10u);
    for (WPARAM command : {0x10, 0x1F, 0x20}) SendMessageW(main(), WM_SYSCOMMAND, command, 0);
    EXPECT_EQ(runner.seen, (Strings{"バージョン情報 VKRandom", "バージョン情報 VKRandom"}));
    for (int id = 100; id < 140; ++id)  // the string table holds the texts the session shows
        EXPECT_TRUE(messageText(id).empty() || app::loadString(id) == app::wide(messageText(id)))
            << id;
}

// On a screen too small for the main window at its scale (150 % on a laptop), it is drawn with a
// smaller font: the same window in proportion, inside the screen; where it fits, as it is.
TEST(Win32Window, FitsASmallScreenInProportion) {
    const auto sizeOf = [](HWND w) {
        RECT r{};
        GetWindowRect(w, &r);
        DestroyWindow(w);
        return SIZE{r.right - r.left, r.bottom - r.top};
    };
    const auto idle = [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; };
    const SIZE full = sizeOf(CreateDialogParamW(
        app::moduleInstance(), MAKEINTRESOURCEW(IDD_VKRANDOM_DIALOG), nullptr, idle, 0));
    EXPECT_FALSE(app::templateFitting(IDD_VKRANDOM_DIALOG, full));
    const SIZE area{full.cx * 3 / 4, full.cy * 3 / 4};
    const auto fitted = app::templateFitting(IDD_VKRANDOM_DIALOG, area);
    ASSERT_TRUE(fitted);
    const SIZE small = sizeOf(CreateDialogIndirectParamW(
        app::moduleInstance(), reinterpret_cast<LPCDLGTEMPLATEW>(fitted->data()), nullptr, idle,
        0));
    EXPECT_TRUE(small.cx <= area.cx && small.cy <= area.cy && small.cy > area.cy * 3 / 4)
        << small.cx << "x" << small.cy;
    EXPECT_NEAR(double(small.cx) / small.cy, double(full.cx) / full.cy, 0.05);
}

TEST_F(Gui, CardTransferShowsProgressAndBlocksInput) {
    open();
    core::TransferProgress& transfer = window->editor()->transferProgress();
    transfer.update(1, 2);
    EXPECT_FALSE(window->progress().box());  // a transfer that ends at once shows nothing
    Sleep(static_cast<DWORD>(core::TransferProgress::showAfter.count()));
    transfer.update(1, 2);
    EXPECT_TRUE(centred(window->progress().box(), main()) && !IsWindowEnabled(main()));
    PostMessageW(main(), WM_CLOSE, 0, 0);
    transfer.update(2, 2);  // the pump runs; the close request waits for the transfer
    select(0);              // the end of a command, or any box, ends the display
    EXPECT_TRUE(!window->ended() && IsWindowEnabled(main()) && !window->editor()->busy());
}

TEST_F(Gui, StatesBesideTheLinesResetAndUndo) {
    open();
    EXPECT_EQ(app::utf8(window->note(1)), "左");  // read once the window is up
    EXPECT_EQ(text(item(idStatusText)), "作業場所: " + path("robot"));
    click(main(), idResetButton);
    EXPECT_EQ(runner.seen, (Strings{"150", "151"}));
    EXPECT_TRUE(app::utf8(window->note(1)) == "ランダム(標準)" && on(idUndoButton));
    click(main(), idUndoButton);
    EXPECT_EQ(app::utf8(window->note(1)), "左");
}
