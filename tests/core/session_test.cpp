#include <gtest/gtest.h>

#include "core/messages.h"
#include "platform/ini_file.h"
#include "platform/instance_lock.h"
#include "platform/paths.h"
#include "session_fixture.h"

namespace {

using testing_support::readFile;
using testing_support::SessionFixture;
using testing_support::writeFile;

TEST_F(SessionFixture, SettingsDefaultsAndSanitisedTableSize) {
    auto s = core::readSettings(dir / "none.ini");
    EXPECT_EQ(s.playerType, 0);
    EXPECT_EQ(s.connectType, 0);
    EXPECT_EQ(s.programType, 1);
    EXPECT_EQ(s.tableCapacity, 256);
    EXPECT_EQ(s.programFolder, "");
    EXPECT_EQ(s.remoteDir, ".");
    EXPECT_EQ(s.remoteInterval, 1000);
    EXPECT_EQ(s.cardHost, "flashair");
    for (const char* count : {"0", "-5", "70000"}) {
        settings(std::string("[DATA]\nNINSHIKI_DATA_COUNT=") + count + "\n[REMOTE]\nCARD_HOST=127.0.0.1:8080\n");
        EXPECT_EQ(core::readSettings(ini()).tableCapacity, 256) << count;
        EXPECT_EQ(core::readSettings(ini()).cardHost, "127.0.0.1:8080");
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "none.ini"));  // reading never creates the file
}

TEST_F(SessionFixture, SecondInstanceIsRefusedWithoutTouchingTheFirst) {
    catalogue("0,A,x,A.XML,4,5,l,\r\n");
    settings("[REMOTE]\r\nCONNECT_TYPE=2\r\n");
    start();
    ASSERT_EQ(window.lines.size(), 1u);

    testing_support::FakePrompts secondPrompts;
    testing_support::FakeWindow secondWindow;
    core::CRandomEditor second(secondPrompts, {ini(), dir / "lock", dir.path(), {}});
    EXPECT_FALSE(second.startUp(secondWindow));
    EXPECT_EQ(secondPrompts.messages, (std::vector<int>{106}));
    EXPECT_EQ(secondWindow.closeRequests, 1);
    EXPECT_TRUE(secondWindow.lines.empty());  // nothing loaded
    EXPECT_EQ(window.lines.size(), 1u);

    editor.reset();  // the first instance ends: the next start succeeds
    testing_support::FakePrompts thirdPrompts;
    testing_support::FakeWindow thirdWindow;
    core::CRandomEditor third(thirdPrompts, {ini(), dir / "lock", dir.path(), {}});
    EXPECT_TRUE(third.startUp(thirdWindow));
    EXPECT_TRUE(thirdPrompts.messages.empty());
}

TEST_F(SessionFixture, FolderQuestionOnlyWhenTheStartupProgramIsMissing) {
    catalogue("0,A,x,A.XML,4,5,l,\r\n");
    // FlashAir without a folder: the programs are on the card, nothing to ask.
    settings("[REMOTE]\r\nCONNECT_TYPE=2\r\n");
    start();
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_TRUE(prompts.questions.empty());
    editor.reset();

    // A stored folder that still holds STARTUP.XML: no question.
    writeFile(robot() + "/STARTUP.XML", "<x/>");
    settings("[DATA]\r\nPATH=" + robot() + "\r\n");
    start();
    EXPECT_TRUE(prompts.messages.empty());
    editor.reset();

    // USB with no folder, and a folder that lost its start-up program: 131, the dialog, 139.
    for (const std::string& stored : {std::string(), dir / "gone"}) {
        prompts = {};
        settings("[REMOTE]\r\nCONNECT_TYPE=1\r\n[DATA]\r\nPATH=" + stored + "\r\n");
        start();
        EXPECT_EQ(prompts.messages, (std::vector<int>{131, 139}));
        ASSERT_EQ(prompts.questions.size(), 1u);
        EXPECT_EQ(prompts.questions[0].initialName, "STARTUP.XML");
        EXPECT_EQ(prompts.questions[0].pattern, "STARTUP.XML");
        EXPECT_EQ(prompts.questions[0].defaultSuffix, "XML");
        EXPECT_EQ(window.lines.size(), 1u);  // the list is filled all the same
        EXPECT_EQ(editor->programFolder(), stored);
        editor.reset();
    }
}

TEST_F(SessionFixture, ChosenStartupProgramSetsAndWritesTheFolder) {
    catalogue("0,A,x,A.XML,4,5,l,\r\n");
    settings("; mine\r\n[DATA]\r\nPATH=\r\n");
    prompts.answers.push_back(robot() + "/STARTUP.XML");
    start();
    EXPECT_EQ(prompts.messages, (std::vector<int>{131}));
    EXPECT_EQ(editor->programFolder(), robot());
    EXPECT_EQ(readFile(ini()), "; mine\r\n[DATA]\r\nPATH=" + robot() + "\r\n");

    // Written again even when unchanged, and a root start-up program keeps addressing the root.
    std::filesystem::remove(ini());
    prompts.answers.push_back(robot() + "/STARTUP.XML");
    EXPECT_TRUE(editor->chooseProgramFolder());
    EXPECT_EQ(platform::readProfileString("DATA", "PATH", "?", ini()), robot());
    prompts.answers.push_back("/STARTUP.XML");
    EXPECT_TRUE(editor->chooseProgramFolder());
    EXPECT_EQ(editor->programFolder(), "/");
    EXPECT_EQ(platform::resolveProgramPath(editor->programFolder(), "A.XML").value().substr(0, 1), "/");
    prompts.answers.push_back(std::nullopt);
    EXPECT_FALSE(editor->chooseProgramFolder());
    EXPECT_EQ(editor->programFolder(), "/");
}

TEST_F(SessionFixture, SettingsDialogStoresAndReloadsAsConfirmed) {
    catalogue("1,Vesk,x,A.XML,4,5,l,\r\n2,Pallo,x,B.XML,4,5,l,\r\n");
    settings("[DATA]\r\nVERSION=7\r\n[REMOTE]\r\nCONNECT_TYPE=2\r\n");
    start();
    EXPECT_EQ(window.lines.size(), 2u);  // type 7 tests the bits 1, 2 and 4

    // A type out of range shows as Vesk; OK stores 1, which is a change, so the list reloads.
    prompts.settingsAnswer = core::SettingsChoice{1, 2};
    window.setChecked(1027, true);
    editor->applySettings(window);
    EXPECT_EQ(prompts.shownSettings.programType, 1);
    EXPECT_EQ(prompts.shownSettings.connectType, 2);
    EXPECT_TRUE(editor->programTypeChanged());
    EXPECT_EQ(platform::readProfileInt("DATA", "VERSION", 0, ini()), 1);
    EXPECT_FALSE(window.isChecked(1027));
    EXPECT_FALSE(window.isEnabled(core::idExportButton));

    // OK without a change writes CONNECT_TYPE, never VERSION.
    settings("[REMOTE]\r\nCONNECT_TYPE=5\r\n");
    editor->applySettings(window);
    EXPECT_FALSE(editor->programTypeChanged());
    EXPECT_EQ(readFile(ini()), "[REMOTE]\r\nCONNECT_TYPE=2\r\n");

    // Cancel stores nothing, but a folder chosen in the dialog stays.
    prompts.settingsAnswer.reset();
    prompts.chooseFolderInDialog = true;
    prompts.answers.push_back(robot() + "/STARTUP.XML");
    editor->applySettings(window);
    EXPECT_EQ(editor->connectType(), 2);
    EXPECT_EQ(readFile(ini()), "[REMOTE]\r\nCONNECT_TYPE=2\r\n[DATA]\r\nPATH=" + robot() + "\r\n");

    // A new type loads its own catalogue and resets the choices.
    writeFile(dir / "RandomV2.csv", "h\r\n2,P2,x,B.XML,4,5,l,\r\n");
    prompts.chooseFolderInDialog = false;
    prompts.settingsAnswer = core::SettingsChoice{2, 0};
    editor->applySettings(window);
    EXPECT_EQ(window.lines, (std::vector<std::string>{"P2"}));
    EXPECT_EQ(editor->selectedIndex(), -1);
    for (int id = 1028; id <= 1041; ++id) EXPECT_FALSE(window.isShown(id));
}

TEST(Messages, TextsInsertsAndTrimming) {
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
    auto lines = [](int id) { return 1 + std::count(core::messageText(id).begin(), core::messageText(id).end(), '\n'); };
    for (int id : {117, 131}) EXPECT_EQ(lines(id), 3) << id;
    for (int id : {108, 116, 120}) EXPECT_EQ(lines(id), 2) << id;
    for (int id : {101, 102, 106, 112, 113, 119, 121, 122, 139}) EXPECT_EQ(lines(id), 1) << id;

    EXPECT_EQ(core::formatMessage(119, "Timeout was reached\r\n"),
              "FlashAirとの通信に失敗しました[Timeout was reached]");
    EXPECT_EQ(core::formatMessage(119, "\r\n\t"), "FlashAirとの通信に失敗しました[]");
    // Cut at 259 bytes, never inside a character.
    std::string kana;
    for (int i = 0; i < 100; ++i) kana += "あ";  // 300 bytes
    EXPECT_EQ(core::trimErrorDescription(kana).size(), 258u);
    EXPECT_EQ(core::trimErrorDescription("x" + kana).size(), 259u);
}

}  // namespace
