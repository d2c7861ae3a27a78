// vkrandom-cli as scripts see it: its output, its messages on stderr, its exit status and the
// files it leaves behind.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>

#include "cli_fixture.h"

namespace cli_tests {
namespace {

const std::string exported = "[113] Veskプログラムの書出しに成功しました\n";
const std::string chooseStartup =
    "[131] プログラムフォルダーを設定するためVeskの起動プログラムを指定してください。\n"
    "直接SDカードのプログラムを変更しない場合はPCのディスクにある起動プログラムを指定してください。"
    "\n"
    "FlashAirでリモート接続する場合は起動プログラムを指定しないで設定機能で接続インターフェイスを"
    "FlashAirに設定してください。\n"
    "[dialog] STARTUP.XML\n";

std::string withSlot(std::string bytes, int offset, const std::string& slot) {
    return bytes.replace(static_cast<std::size_t>(offset), slot.size(), slot);
}

// Makes a file unwritable even for root (immutable flag), else by its mode; false when neither
// keeps a writer out.
bool makeUnwritable(const fs::path& path, bool on) {
    int fd = open(path.c_str(), O_RDONLY);
    int flags = 0;
    if (fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        ioctl(fd, FS_IOC_SETFLAGS, &flags);
    }
    if (fd >= 0) close(fd);
    chmod(path.c_str(), on ? 0444 : 0644);
    int writer = open(path.c_str(), O_WRONLY);
    if (writer >= 0) close(writer);
    return on == (writer < 0);
}

TEST_F(CliTest, ListKeepsFileOrderAndFiltersByProgramType) {
    const std::vector<std::string> lines{
        "0,全部,x,A.XML,4,10,a,",        "1,Veskだけ,x,A.XML,4,10,a,",
        "2,Palloだけ,x,A.XML,4,10,a,",   "4,Lumoだけ,x,A.XML,4,10,a,",
        "256,マスク256,x,A.XML,4,10,a,", "3,VeskとPallo,x,A.XML,4,10,a,",
        "0,波～ダッシュ,x,A.XML,4,10,a,"};
    const std::map<int, std::pair<std::string, std::string>> expected{
        {1, {"Random.csv", "全部\nVeskだけ\nマスク256\nVeskとPallo\n"}},
        {2, {"RandomV2.csv", "全部\nPalloだけ\nマスク256\nVeskとPallo\n"}},
        {3, {"RandomPL.csv", "全部\nVeskだけ\nPalloだけ\nマスク256\nVeskとPallo\n"}},
        {4, {"RandomL2.csv", "全部\nLumoだけ\nマスク256\n"}},
    };
    for (const auto& [type, fileAndList] : expected) {
        // Each type's own file, told apart by its first line.
        std::vector<std::string> own{"0," + fileAndList.first + ",x,A.XML,4,10,a,"};
        own.insert(own.end(), lines.begin(), lines.end());
        writeCatalogue(own, fileAndList.first);
    }
    for (const auto& [type, fileAndList] : expected) {
        SCOPED_TRACE(type);
        useRobotFolder(0, type);
        CliResult result = run({"list"});
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(result.out, fileAndList.first + "\n" + fileAndList.second + "波～ダッシュ\n");
    }
    // NAME goes through the same table as the list: U+FF5E is CP932's 0x8160.
    CliResult wave = run({"get", "波～ダッシュ"});
    EXPECT_EQ(wave.status, 0);
    EXPECT_EQ(wave.out, "-1\n");
}

struct DemoEntry {
    std::string name;
    int programType;  // a type whose list holds the entry
    std::string file;
    int choice;
    std::vector<std::string> labels;
};

TEST_F(CliTest, ShowAndGetOfEveryDemoEntry) {
    fs::copy(VKRANDOM_DEMO_DIR, work(), fs::copy_options::recursive);
    // The demo has only the Vesk catalogue; the Pallo and Lumo types read the same entries.
    fs::copy_file(work() / "Random.csv", work() / "RandomPL.csv");
    fs::copy_file(work() / "Random.csv", work() / "RandomL2.csv");
    const fs::path programs = work() / "robot";
    const auto settingsFor = [&](int type) {
        writeSettings("[DATA]\r\nVERSION=" + std::to_string(type) +
                      "\r\nPATH=" + programs.string() + "\r\n");
    };

    settingsFor(1);
    EXPECT_EQ(run({"list"}).out,
              "あいさつ\n起動時のダンス\n歩き方\n首振り\n鳴き声\n目の色\nダンス曲\n決めポーズ\n"
              "寝るときの動き\n見つからないプログラム\n");

    const std::vector<DemoEntry> entries{
        {"あいさつ", 1, "STARTUP.XML", 0, {"おはよう", "こんにちは", "こんばんは"}},
        {"起動時のダンス", 1, "STARTUP.XML", 2, {"ツイスト", "ステップ", "ターン", "ジャンプ"}},
        {"歩き方", 1, "WALK.XML", 1, {"ゆっくり", "ふつう", "はやい"}},
        {"首振り", 1, "WALK.XML", 0, {"左右", "上下", "円を描く", "止める", "うなずく"}},
        {"鳴き声",
         1,
         "VOICE.XML",
         12,
         {"ワン", "ニャー", "ピヨ", "モー", "ブー", "メー", "ガオー", "ケロ", "ホー", "チュー",
          "コケコッコー", "ヒヒーン"}},
        {"目の色", 1, "VOICE.XML", 0, {"赤", "青", "緑", "白"}},
        {"ダンス曲", 1, "ACT\\DANCE.XML", 3, {"ワルツ", "サンバ", "タンゴ"}},
        {"決めポーズ", 1, "ACT\\DANCE.XML", 0, {"ピース", "バンザイ"}},
        {"パロ専用のしぐさ", 3, "PALLO.XML", 0, {"まばたき", "あくび"}},
        {"ルモ2の光り方", 4, "LUMO.XML", 1, {"点滅", "点灯"}},
        {"寝るときの動き", 1, "ACT\\SLEEP.XML", 0, {"丸くなる", "のびる", "いびき"}},
        {"見つからないプログラム", 1, "MISSING.XML", -1, {"A", "B"}},
    };
    for (const auto& entry : entries) {
        SCOPED_TRACE(entry.name);
        settingsFor(entry.programType);
        std::string expected =
            "file: " + entry.file + "\nchoice: " + std::to_string(entry.choice) + "\n";
        std::vector<std::string> labels{"ランダム(標準)"};
        labels.insert(labels.end(), entry.labels.begin(), entry.labels.end());
        for (std::size_t j = 0; j < labels.size(); ++j)
            expected += (static_cast<int>(j) == entry.choice ? "[x] " : "[ ] ") +
                        std::to_string(j) + " " + labels[j] + "\n";
        CliResult show = run({"show", entry.name});
        EXPECT_EQ(show.status, 0);
        EXPECT_EQ(show.err, "");
        EXPECT_EQ(show.out, expected);
        EXPECT_EQ(run({"get", entry.name}).out, std::to_string(entry.choice) + "\n");
    }

    // Names that no listed line holds: unknown, filtered out, or not even CP932.
    settingsFor(1);
    for (const std::string name : {"あいさつ2", "ルモ2の光り方", "歩き方😀"}) {
        SCOPED_TRACE(name);
        CliResult result = run({"show", name});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find(name), std::string::npos);
    }
}

TEST_F(CliTest, SetWritesEveryChoiceThatGetThenReads) {
    writeCatalogue({"0,歩く,x,WALK.XML,4,40,前,後ろ,左,"});
    useRobotFolder();
    const std::string original = readFile(writeProgram("WALK.XML", 40, randomSlot()));

    const std::vector<std::pair<std::string, int>> steps{{"1", 1},      {"2", 2}, {"3", 3},
                                                         {"random", 0}, {"3", 3}, {"0", 0}};
    for (const auto& [argument, choice] : steps) {
        SCOPED_TRACE(argument);
        CliResult set = run({"set", "歩く", argument});
        EXPECT_EQ(set.status, 0);
        EXPECT_EQ(set.err, exported);
        EXPECT_EQ(set.out, "");
        EXPECT_EQ(run({"get", "歩く"}).out, std::to_string(choice) + "\n");
        const std::string slot = choice == 0 ? randomSlot() : constantSlot(choice);
        EXPECT_EQ(readFile(robot() / "WALK.XML"), withSlot(original, 40, slot));
    }

    // A choice the entry does not offer is refused before anything is written.
    run({"set", "歩く", "2"});
    const std::string before = readFile(robot() / "WALK.XML");
    CliResult beyond = run({"set", "歩く", "4"});
    EXPECT_EQ(beyond.status, 1);
    EXPECT_EQ(beyond.err.find("[11"), std::string::npos);
    EXPECT_EQ(readFile(robot() / "WALK.XML"), before);
}

TEST_F(CliTest, SetFailsWhenTheProgramCannotBeWritten) {
    writeCatalogue({"0,歩く,x,WALK.XML,4,40,前,後ろ,"});
    useRobotFolder();
    const fs::path walk = writeProgram("WALK.XML", 40, randomSlot());
    if (!makeUnwritable(walk, true)) GTEST_SKIP() << "cannot make a file unwritable here";
    CliResult result = run({"set", "歩く", "1"});
    makeUnwritable(walk, false);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "[112] Veskプログラムの書出しに失敗しました\n");
    EXPECT_EQ(run({"get", "歩く"}).out, "0\n");
}

TEST_F(CliTest, SetRefusesAnEntryWhoseFileIsMissing) {
    writeCatalogue({"0,欠けたファイル,x,NONE.XML,4,40,a,b,"});
    useRobotFolder();
    CliResult result = run({"set", "欠けたファイル", "1"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err.find("[113]"), std::string::npos);
    EXPECT_EQ(result.err.find("[112]"), std::string::npos);
    EXPECT_EQ(result.err.rfind("vkrandom-cli: ", 0), 0u);
    EXPECT_FALSE(fs::exists(robot() / "NONE.XML"));
}

TEST_F(CliTest, StartUpAsksForTheProgramFolderThroughDialogAnswers) {
    writeCatalogue({"0,歩く,x,WALK.XML,4,40,a,"});
    const std::string noFolder = "[DATA]\r\nPATH=\r\n[REMOTE]\r\nCONNECT_TYPE=0\r\n";
    writeSettings(noFolder);

    CliResult chosen = run({"--choose", (robot() / "STARTUP.XML").string(), "list"});
    EXPECT_EQ(chosen.status, 0);
    EXPECT_EQ(chosen.err, chooseStartup);
    EXPECT_EQ(chosen.out, "歩く\n");
    EXPECT_EQ(readFile(settings()),
              "[DATA]\r\nPATH=" + robot().string() + "\r\n[REMOTE]\r\nCONNECT_TYPE=0\r\n");

    // A folder that holds the start-up program is not asked for again.
    EXPECT_EQ(run({"list"}).err, "");

    // Without an answer the dialog is cancelled: message 139, and start-up goes on.
    writeSettings(noFolder);
    CliResult cancelled = run({"list"});
    EXPECT_EQ(cancelled.status, 0);
    EXPECT_EQ(
        cancelled.err,
        chooseStartup + "[139] 設定ボタンで接続タイプやデータフォルダーを指定してください。\n");
    EXPECT_EQ(cancelled.out, "歩く\n");
    EXPECT_EQ(readFile(settings()), noFolder);
}

TEST_F(CliTest, StartUpIsRefusedWhileAnotherInstanceHoldsTheLock) {
    writeCatalogue({"0,歩く,x,WALK.XML,4,40,a,"});
    writeSettings("[DATA]\r\nPATH=\r\n");  // would ask for the folder if start-up went on
    int held = open(lock().c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX), 0);

    const std::vector<std::vector<std::string>> commands{
        {"list"}, {"set", "歩く", "1"}, {"settings"}};
    for (const auto& args : commands) {
        CliResult refused = run(args);
        EXPECT_EQ(refused.status, 3);
        EXPECT_EQ(refused.err, "[106] 本プログラムは既に起動されています。\n");
        EXPECT_EQ(refused.out, "");
    }
    close(held);
    useRobotFolder();
    EXPECT_EQ(run({"list"}).status, 0);
}

TEST_F(CliTest, SettingsDialogWritesWhatOkStores) {
    writeCatalogue({"0,歩く,x,WALK.XML,4,40,a,"});
    const std::string path = "[DATA]\r\nPATH=" + robot().string() + "\r\n";
    writeSettings(path);

    CliResult shown = run({"settings"});
    EXPECT_EQ(shown.status, 0);
    EXPECT_EQ(shown.out,
              "program type: 1\nconnection type: 0\nprogram folder: " + robot().string() + "\n");
    EXPECT_EQ(readFile(settings()), path);

    // OK always writes the connection type, the program type only when it changed.
    EXPECT_EQ(run({"settings", "--program-type", "1"}).status, 0);
    EXPECT_EQ(readFile(settings()), path + "[REMOTE]\r\nCONNECT_TYPE=0\r\n");
    EXPECT_EQ(run({"settings", "--connect-type", "2"}).status, 0);
    EXPECT_EQ(readFile(settings()), path + "[REMOTE]\r\nCONNECT_TYPE=2\r\n");

    // A changed type reloads its own catalogue, which is missing here.
    CliResult changed = run({"settings", "--program-type", "4"});
    EXPECT_EQ(changed.status, 0);
    EXPECT_EQ(changed.err, "[102] データファイルの読み込みに失敗しました\n");
    EXPECT_EQ(readFile(settings()), path + "VERSION=4\r\n[REMOTE]\r\nCONNECT_TYPE=2\r\n");
    EXPECT_EQ(run({"settings"}).out,
              "program type: 4\nconnection type: 2\nprogram folder: " + robot().string() + "\n");
}

TEST_F(CliTest, SettingsFolderButtonStoresTheChosenFolderOnly) {
    writeCatalogue({"0,歩く,x,WALK.XML,4,40,a,"});
    useRobotFolder(1);
    const std::string before = readFile(settings());

    CliResult cancelled = run({"settings", "--choose-folder"});
    EXPECT_EQ(cancelled.status, 1);
    EXPECT_EQ(cancelled.err, chooseStartup);
    EXPECT_EQ(readFile(settings()), before);

    const fs::path other = root() / "other";
    writeFile(other / "STARTUP.XML", "");
    CliResult chosen =
        run({"--choose", (other / "STARTUP.XML").string(), "settings", "--choose-folder"});
    EXPECT_EQ(chosen.status, 0);
    EXPECT_EQ(chosen.err, chooseStartup);
    EXPECT_EQ(readFile(settings()), "[DATA]\r\nVERSION=1\r\nPATH=" + other.string() +
                                        "\r\n[REMOTE]\r\nCONNECT_TYPE=1\r\n");
}

TEST_F(CliTest, ExecPlacesTheProgramAndReportsFailures) {
    writeCatalogue({"0,歩く,x,WALK.XML,4,40,a,", "0,欠けたファイル,x,NONE.XML,4,40,a,"});
    const std::string program = readFile(writeProgram("WALK.XML", 40, constantSlot(1)));
    const fs::path card = root() / "card";
    writeFile(card / "ADDON" / "REMOTE.LOG", "old");
    writeSettings("[DATA]\r\nPATH=" + robot().string() + "\r\n[REMOTE]\r\nCONNECT_TYPE=1\r\n" +
                  "REMOTE_DIR=" + card.string() + "/\r\n");

    CliResult usb = run({"exec", "歩く"});
    EXPECT_EQ(usb.status, 0);
    EXPECT_EQ(usb.err, "");
    EXPECT_EQ(readFile(card / "ADDON" / "TEMP.VX4"), program);
    EXPECT_EQ(readFile(card / "ADDON" / "REMOTE.LOG"),
              std::string("\xFE\xFF\x88\x03\x00\x00\x19\x00\x05\x00\x00\x00\x00\x00\x00\x00", 16));

    CliResult missing = run({"exec", "欠けたファイル"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err.substr(0, 6), "[117] ");

    // No card where the folder points: the question for REMOTE.LOG goes unanswered.
    fs::remove_all(card);
    CliResult cancelled = run({"exec", "歩く"});
    EXPECT_EQ(cancelled.status, 1);
    EXPECT_EQ(cancelled.err, "[dialog] ADDON/REMOTE.LOG\n");
}

TEST_F(CliTest, UsageErrorsStopBeforeStartUp) {
    const std::vector<std::vector<std::string>> mistakes{
        {},
        {"frobnicate"},
        {"--bogus", "list"},
        {"--choose"},
        {"list", "extra"},
        {"show"},
        {"set", "a"},
        {"set", "a", "first"},
        {"set", "a", "-1"},
        {"settings", "--program-type", "5"},
        {"settings", "--connect-type"},
        {"settings", "--choose-folder", "--connect-type", "1"},
    };
    for (const auto& args : mistakes) {
        SCOPED_TRACE(testing::PrintToString(args));
        CliResult result = run(args);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find("--help"), std::string::npos);
        EXPECT_FALSE(fs::exists(lock()));  // start-up never ran
    }

    CliResult help = runBare({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: vkrandom-cli", 0), 0u);
    for (const char* command : {"list", "show NAME", "get NAME", "set NAME CHOICE", "exec NAME",
                                "--program-type N", "--connect-type N", "--choose-folder"})
        EXPECT_NE(help.out.find(command), std::string::npos) << command;
    CliResult version = runBare({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "1.6.0.0\n");
}

}  // namespace
}  // namespace cli_tests
