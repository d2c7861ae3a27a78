#include <gtest/gtest.h>

#include <tuple>

#include "core/messages.h"
#include "platform/paths.h"
#include "session_fixture.h"

namespace {

using namespace testing_support;

TEST_F(SessionFixture, SettingsDefaultsAndSanitisedTableSize) {
    const auto s = core::readSettings(dir / "none.ini");
    EXPECT_EQ(
        std::tie(s.playerType, s.connectType, s.programType, s.tableCapacity, s.remoteInterval),
        std::tuple(0, 0, 1, 256, 1000));
    EXPECT_EQ(std::tie(s.programFolder, s.remoteDir, s.cardHost), std::tuple("", ".", "flashair"));
    EXPECT_FALSE(std::filesystem::exists(dir / "none.ini"));  // reading never creates the file
    for (const char* count : {"0", "-5", "70000"}) {
        settings(std::string("[DATA]\nNINSHIKI_DATA_COUNT=") + count +
                 "\n[REMOTE]\nCARD_HOST=127.0.0.1:8080\n");
        EXPECT_EQ(core::readSettings(ini()).tableCapacity, 256) << count;
    }
    EXPECT_EQ(core::readSettings(ini()).cardHost, "127.0.0.1:8080");
}

TEST_F(SessionFixture, SecondInstanceIsRefusedWithoutTouchingTheFirst) {
    catalogue("0,A,x,A.XML,4,5,l,\r\n");
    settings("[REMOTE]\r\nCONNECT_TYPE=2\r\n");
    start();
    FakePrompts secondPrompts;
    FakeWindow secondWindow;
    core::CRandomEditor second(secondPrompts, {ini(), dir / "lock", dir.path(), {}});
    EXPECT_FALSE(second.startUp(secondWindow));
    EXPECT_EQ(secondPrompts.messages, (std::vector<int>{106}));
    EXPECT_EQ(secondWindow.closeRequests, 1);
    EXPECT_TRUE(secondWindow.lines.empty());  // nothing loaded
    EXPECT_EQ(window.lines.size(), 1u);
}

TEST_F(SessionFixture, StartupFolderIsAskedOnlyWhenMissingAndWrittenWhenChosen) {
    catalogue("0,A,x,A.XML,4,5,l,\r\n");
    writeFile(robot() + "/STARTUP.XML", "<x/>");
    // FlashAir without a folder has its programs on the card, and a folder that still holds
    // STARTUP.XML needs nothing: no question. Otherwise 131, the dialog, and on cancel 139 with
    // the list filled all the same.
    const std::vector<int> asked{131, 139};
    const struct {
        int type;
        std::string folder;
        std::vector<int> messages;
    } cases[] = {
        {2, "", {}}, {0, "", asked}, {1, "", asked}, {1, dir / "gone", asked}, {0, robot(), {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + " " + c.folder);
        prompts = {};
        settings("[REMOTE]\r\nCONNECT_TYPE=" + std::to_string(c.type) +
                 "\r\n[DATA]\r\nPATH=" + c.folder + "\r\n");
        editor.reset();
        start();
        EXPECT_EQ(prompts.messages, c.messages);
        ASSERT_EQ(prompts.questions.size(), c.messages.empty() ? 0u : 1u);
        for (const auto& question : prompts.questions)
            EXPECT_EQ(question.initialName + " " + question.pattern, "STARTUP.XML STARTUP.XML");
        EXPECT_EQ(window.lines.size(), 1u);
        EXPECT_EQ(editor->programFolder(), c.folder);
    }

    // Choosing the folder it has writes it again, and a root start-up program keeps addressing
    // the root. How a start-up answer reaches the file is tested through the command line.
    std::filesystem::remove(ini());
    prompts.answers = {robot() + "/STARTUP.XML", "/STARTUP.XML", std::nullopt};
    EXPECT_TRUE(editor->chooseProgramFolder());
    EXPECT_EQ(readFile(ini()), "[DATA]\r\nPATH=" + robot() + "\r\n");
    EXPECT_TRUE(editor->chooseProgramFolder());
    EXPECT_EQ(platform::resolveProgramPath(editor->programFolder(), "A.XML"), "/A.XML");
    EXPECT_FALSE(editor->chooseProgramFolder());
    EXPECT_EQ(editor->programFolder(), "/");
}

TEST_F(SessionFixture, SettingsDialogStoresAndReloadsAsConfirmed) {
    catalogue("1,Vesk,x,A.XML,4,5,l,\r\n2,Pallo,x,B.XML,4,5,l,\r\n");
    settings("[DATA]\r\nVERSION=7\r\n[REMOTE]\r\nCONNECT_TYPE=2\r\n");
    start();
    EXPECT_EQ(window.lines.size(), 2u);  // type 7 tests the bits 1, 2 and 4

    // A type out of range shows as Vesk; OK with 1 is a change, so the list reloads and the
    // choices are reset. What OK and Cancel write is tested through the command line.
    prompts.settingsAnswer = core::SettingsChoice{1, 2};
    window.setChecked(1027, true);
    editor->applySettings(window);
    EXPECT_EQ(prompts.shownSettings.programType, 1);
    EXPECT_EQ(window.lines, (std::vector<std::string>{"Vesk"}));
    EXPECT_FALSE(window.isChecked(1027));
    EXPECT_FALSE(window.isEnabled(core::idExportButton));

    // A new type loads its own catalogue.
    writeFile(dir / "RandomV2.csv", "h\r\n2,P2,x,B.XML,4,5,l,\r\n");
    prompts.settingsAnswer = core::SettingsChoice{2, 0};
    editor->applySettings(window);
    EXPECT_EQ(window.lines, (std::vector<std::string>{"P2"}));
    EXPECT_EQ(editor->selectedIndex(), -1);
    for (int id = 1028; id <= 1041; ++id) EXPECT_FALSE(window.isShown(id));
}

TEST(Messages, TextsAndTrimming) {
    // The texts users know, each typed out again here so a slip in either copy shows.
    const std::vector<std::pair<int, std::string>> expected{
        {101, "バージョン情報 VKRandom(&A)..."},
        {102, "データファイルの読み込みに失敗しました"},
        {106, "本プログラムは既に起動されています。"},
        {108, "リモートファイルの書込みに失敗しました。\nVeskとUSB接続されている事を確認してください。"},
        {112, "Veskプログラムの書出しに失敗しました"},
        {113, "Veskプログラムの書出しに成功しました"},
        {116, "REMOTE.LOGファイルが見つかりません。\nこのファイルをVeskSDカードのADDONフォルダーにコピーしておいてください。"},
        {117, "直接実行プログラムのコピーに失敗しました。\nプログラムを直接実行するにはVeskとパソコンがUSBで接続されていなければいけません。\nまたVeskの本体では直接命令用の初期化プログラムが動いていなければなりません。"},
        {119, "FlashAirとの通信に失敗しました[%1]"},
        {120, "Flash Airと接続できません。\nWi-Fi設定を確認してください。"},
        {121, "Flash Airへのアップロードに失敗しました。"},
        {122, "Veskプログラムの読み込みに失敗しました。"},
        {131, "プログラムフォルダーを設定するためVeskの起動プログラムを指定してください。\n直接SDカードのプログラムを変更しない場合はPCのディスクにある起動プログラムを指定してください。\nFlashAirでリモート接続する場合は起動プログラムを指定しないで設定機能で接続インターフェイスをFlashAirに設定してください。"},
        {139, "設定ボタンで接続タイプやデータフォルダーを指定してください。"},
    };
    for (const auto& [id, text] : expected) EXPECT_EQ(core::messageText(id), text) << id;
    EXPECT_EQ(core::messageText(999), "");

    EXPECT_EQ(core::formatMessage(119, "Timeout was reached\r\n"),
              "FlashAirとの通信に失敗しました[Timeout was reached]");
    EXPECT_EQ(core::formatMessage(119, "\r\n\t"), "FlashAirとの通信に失敗しました[]");
    // Cut at 259 bytes, never inside a character.
    std::string kana;
    for (int i = 0; i < 100; ++i) kana += "あ";  // 300 bytes
    EXPECT_EQ(core::trimErrorDescription(kana).size(), 258u);
    EXPECT_EQ(core::trimErrorDescription("x" + kana).size(), 259u);
    EXPECT_EQ(core::trimErrorDescription(std::string(300, 'e')), std::string(259, 'e'));
}

}  // namespace
