// vkrandom-cli as scripts see it, run as a child process in a throw-away robot folder: its
// output, its messages on stderr, its exit status and the files it leaves behind. What the
// session decides is proven in the session's own tests; these prove the terminal's wiring.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/messages.h"
#include "platform/encoding.h"

namespace {

namespace fs = std::filesystem;

struct CliResult {
    int status = -1;  // -1 when the process did not exit normally
    std::string out, err;
};

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// A message box as the terminal prints it.
std::string box(int id) {
    return "[" + std::to_string(id) + "] " + std::string(core::messageText(id)) + "\n";
}

// work/ with a catalogue of two entries (WALK.XML, and NONE.XML that does not exist), robot/
// with STARTUP.XML and WALK.XML (random slot at 40), and a settings file pointing at robot/.
class CliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "vkrandom-cli-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root = pattern;
        // U+FF5E in a NAME must reach the session as CP932's 0x8160, as in the list.
        writeFile(work() / "Random.csv",
                  platform::utf8ToCp932("マスク,名前,コメント,ファイル,種類,位置,選択肢\r\n"
                                        "0,歩き～方,x,WALK.XML,4,40,前,後ろ,左,\r\n"
                                        "0,欠けたファイル,x,NONE.XML,4,40,a,b,\r\n")
                      .value());
        writeFile(robot() / "STARTUP.XML", "<startup/>\r\n");
        std::string walk(200, 'x');
        writeFile(robot() / "WALK.XML", walk.replace(40, 30, R"(<mem_r size="4" adr="0x0084"/>)"));
        writeSettings(folderLine(robot()) + "[REMOTE]\r\nCONNECT_TYPE=0\r\n");
    }
    void TearDown() override { fs::remove_all(root); }

    static std::string folderLine(const fs::path& folder) {
        return "[DATA]\r\nPATH=" + folder.string() + "\r\n";
    }
    void writeSettings(const std::string& text) const { writeFile(settings(), text); }

    // With this folder's settings and lock file.
    CliResult run(std::vector<std::string> args) const {
        args.insert(args.begin(), {"--settings", settings().string(), "--lock", lock().string()});
        return runBare(args);
    }

    // In work(), output into files so that no pipe can fill up and block the child; away from
    // the user's real settings and lock, whatever a test forgets.
    CliResult runBare(const std::vector<std::string>& args) const {
        const auto quoted = [](std::string text) {
            for (std::size_t at = 0; (at = text.find('\'', at)) != std::string::npos; at += 4)
                text.replace(at, 1, "'\\''");
            return "'" + text + "'";
        };
        std::string command = "cd " + quoted(work()) + " && XDG_RUNTIME_DIR=" + quoted(root) +
                              " XDG_CONFIG_HOME=" + quoted(root) + " " + quoted(VKRANDOM_CLI_PATH);
        for (const auto& arg : args) command += " " + quoted(arg);
        const fs::path out = root / "stdout.txt", err = root / "stderr.txt";
        const int status =
            std::system((command + " >" + quoted(out) + " 2>" + quoted(err)).c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(out), readFile(err)};
    }

    fs::path work() const { return root / "work"; }
    fs::path robot() const { return root / "robot"; }
    fs::path settings() const { return root / "VKRandom.ini"; }
    fs::path lock() const { return root / "VKRandom.lock"; }
    fs::path root;
};

struct DemoEntry {
    std::string name;
    int programType;  // a type whose list holds the entry
    std::string file;
    int choice;
    std::vector<std::string> labels;
};

TEST_F(CliTest, ListShowAndGetOfEveryDemoEntry) {
    fs::copy(VKRANDOM_DEMO_DIR, work(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    // The demo has only the Vesk catalogue; the Pallo and Lumo types read the same entries.
    fs::copy_file(work() / "Random.csv", work() / "RandomPL.csv");
    fs::copy_file(work() / "Random.csv", work() / "RandomL2.csv");
    const auto useType = [&](int type) {
        writeSettings(folderLine(work() / "robot") + "VERSION=" + std::to_string(type) + "\r\n");
    };

    useType(1);  // in file order, without the entries of the Pallo (2) and Lumo (4) masks
    const CliResult list = run({"list"});
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.err, "");
    EXPECT_EQ(list.out,
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
        useType(entry.programType);
        std::string expected =
            "file: " + entry.file + "\nchoice: " + std::to_string(entry.choice) + "\n";
        std::vector<std::string> labels{"ランダム(標準)"};
        labels.insert(labels.end(), entry.labels.begin(), entry.labels.end());
        for (int j = 0; j < static_cast<int>(labels.size()); ++j)
            expected += (j == entry.choice ? "[x] " : "[ ] ") + std::to_string(j) + " " +
                        labels[static_cast<std::size_t>(j)] + "\n";
        const CliResult show = run({"show", entry.name});
        EXPECT_EQ(show.status, 0);
        EXPECT_EQ(show.err, "");
        EXPECT_EQ(show.out, expected);
        EXPECT_EQ(run({"get", entry.name}).out, std::to_string(entry.choice) + "\n");
    }

    // A catalogue that cannot be read is not an empty list.
    useType(3);
    fs::remove(work() / "RandomPL.csv");
    const CliResult unread = run({"list"});
    EXPECT_EQ(unread.status, 1);
    EXPECT_EQ(unread.out, "");
    EXPECT_EQ(unread.err, box(core::msgCatalogueReadFailed));

    // Names that no listed line holds: unknown, filtered out, or not even CP932.
    useType(1);
    for (const std::string name : {"あいさつ2", "ルモ2の光り方", "歩き方😀"}) {
        SCOPED_TRACE(name);
        const CliResult result = run({"get", name});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find(name), std::string::npos);
    }
}

TEST_F(CliTest, SetExportsEachChoiceAndFailsWithoutMessage113) {
    for (const auto& [argument, choice] : std::vector<std::pair<std::string, std::string>>{
             {"1", "1"}, {"2", "2"}, {"3", "3"}, {"random", "0"}, {"3", "3"}, {"0", "0"}}) {
        SCOPED_TRACE(argument);
        const CliResult set = run({"set", "歩き～方", argument});
        EXPECT_EQ(set.status, 0);
        EXPECT_EQ(set.err, box(core::msgExportSucceeded));
        EXPECT_EQ(set.out, "");
        EXPECT_EQ(run({"get", "歩き～方"}).out, choice + "\n");
    }

    // A choice the entry does not offer has no radio to click: refused before any export.
    const std::string before = readFile(robot() / "WALK.XML");
    const CliResult beyond = run({"set", "歩き～方", "4"});
    EXPECT_EQ(beyond.status, 1);
    EXPECT_EQ(beyond.err.find("[11"), std::string::npos);
    EXPECT_EQ(readFile(robot() / "WALK.XML"), before);

    // Export disabled (the file is missing): nothing written, no message box.
    const CliResult missing = run({"set", "欠けたファイル", "1"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err.rfind("vkrandom-cli: ", 0), 0u);
    EXPECT_EQ(missing.err.find("[11"), std::string::npos);
    EXPECT_FALSE(fs::exists(robot() / "NONE.XML"));

    // Export pressed, but the write fails (immutable, so that not even root may write): 112.
    const fs::path walk = robot() / "WALK.XML";
    chmod(walk.c_str(), 0444);
    std::system(("chattr +i " + walk.string() + " 2>/dev/null").c_str());
    if (access(walk.c_str(), W_OK) == 0) GTEST_SKIP() << "cannot make a file unwritable here";
    const CliResult failed = run({"set", "歩き～方", "1"});
    std::system(("chattr -i " + walk.string() + " 2>/dev/null").c_str());
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.err, box(core::msgExportFailed));
    EXPECT_EQ(run({"get", "歩き～方"}).out, "0\n");
}

TEST_F(CliTest, StartUpFolderQuestionTakesAChooseAnswerOrIsCancelled) {
    const std::string noFolder = "[DATA]\r\nPATH=\r\n[REMOTE]\r\nCONNECT_TYPE=0\r\n";
    const std::string question = box(core::msgChooseStartup) + "[dialog] STARTUP.XML\n";
    writeSettings(noFolder);
    const CliResult chosen = run({"--choose", (robot() / "STARTUP.XML").string(), "list"});
    EXPECT_EQ(chosen.status, 0);
    EXPECT_EQ(chosen.err, question);
    EXPECT_EQ(chosen.out, "歩き～方\n欠けたファイル\n");
    EXPECT_NE(readFile(settings()).find("PATH=" + robot().string() + "\r\n"), std::string::npos);

    // No answer left: the dialog is cancelled and start-up goes on.
    writeSettings(noFolder);
    const CliResult cancelled = run({"list"});
    EXPECT_EQ(cancelled.status, 0);
    EXPECT_EQ(cancelled.err, question + box(core::msgUseSettings));
    EXPECT_EQ(cancelled.out, chosen.out);
    EXPECT_EQ(readFile(settings()), noFolder);
}

TEST_F(CliTest, StartUpIsRefusedWhileAnotherInstanceHoldsTheLock) {
    writeSettings("[DATA]\r\nPATH=\r\n");  // would ask for the folder if start-up went on
    const int held = open(lock().c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    for (const auto& args : std::vector<std::vector<std::string>>{{"list"}, {"settings"}}) {
        const CliResult refused = run(args);
        EXPECT_EQ(refused.status, 3);
        EXPECT_EQ(refused.err, box(core::msgAlreadyRunning));
        EXPECT_EQ(refused.out, "");
    }
    close(held);
}

TEST_F(CliTest, SettingsPrintsAndStoresWhatTheDialogWould) {
    const std::string path = folderLine(robot());
    writeSettings(path);
    EXPECT_EQ(run({"settings"}).out,
              "program type: 1\nconnection type: 0\nprogram folder: " + robot().string() + "\n");
    EXPECT_EQ(readFile(settings()), path);

    // OK always writes the connection type, the program type only when it changed.
    EXPECT_EQ(run({"settings", "--program-type", "1"}).status, 0);
    EXPECT_EQ(readFile(settings()), path + "[REMOTE]\r\nCONNECT_TYPE=0\r\n");
    EXPECT_EQ(run({"settings", "--connect-type", "2"}).status, 0);
    EXPECT_EQ(readFile(settings()), path + "[REMOTE]\r\nCONNECT_TYPE=2\r\n");

    // The folder button, then Cancel: a chosen folder is all that is stored.
    const std::string question = box(core::msgChooseStartup) + "[dialog] STARTUP.XML\n";
    const CliResult cancelled = run({"settings", "--choose-folder"});
    EXPECT_EQ(cancelled.status, 1);
    EXPECT_EQ(cancelled.err, question);
    EXPECT_EQ(readFile(settings()), path + "[REMOTE]\r\nCONNECT_TYPE=2\r\n");
    const fs::path other = root / "other";
    writeFile(other / "STARTUP.XML", "");
    const CliResult chosen =
        run({"--choose", (other / "STARTUP.XML").string(), "settings", "--choose-folder"});
    EXPECT_EQ(chosen.status, 0);
    EXPECT_EQ(chosen.err, question);
    EXPECT_EQ(readFile(settings()), folderLine(other) + "[REMOTE]\r\nCONNECT_TYPE=2\r\n");

    // A changed type is written and reloads its own catalogue, which is missing here.
    const CliResult changed = run({"settings", "--program-type", "4"});
    EXPECT_EQ(changed.status, 0);
    EXPECT_EQ(changed.err, box(core::msgCatalogueReadFailed));
    EXPECT_EQ(readFile(settings()),
              folderLine(other) + "VERSION=4\r\n[REMOTE]\r\nCONNECT_TYPE=2\r\n");
}

TEST_F(CliTest, ExecSucceedsSilentlyAndFailsOnAMessageOrACancelledDialog) {
    const fs::path card = root / "card";
    writeFile(card / "ADDON" / "REMOTE.LOG", "old");
    writeSettings(folderLine(robot()) +
                  "[REMOTE]\r\nCONNECT_TYPE=1\r\nREMOTE_DIR=" + card.string() + "/\r\n");
    const CliResult usb = run({"exec", "歩き～方"});
    EXPECT_EQ(usb.status, 0);
    EXPECT_EQ(usb.err, "");
    EXPECT_EQ(readFile(card / "ADDON" / "TEMP.VX4"), readFile(robot() / "WALK.XML"));

    const CliResult missing = run({"exec", "欠けたファイル"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err.substr(0, 6), "[117] ");

    fs::remove_all(card);  // the question for REMOTE.LOG, left unanswered
    const CliResult cancelled = run({"exec", "歩き～方"});
    EXPECT_EQ(cancelled.status, 1);
    EXPECT_EQ(cancelled.err, "[dialog] ADDON/REMOTE.LOG\n");

    // Over the SD card nothing runs, and no message says so: the exit status must.
    writeSettings(folderLine(robot()) + "[REMOTE]\r\nCONNECT_TYPE=0\r\n");
    const CliResult sdCard = run({"exec", "歩き～方"});
    EXPECT_EQ(sdCard.status, 1);
    EXPECT_FALSE(fs::exists(card));
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
        {"settings", "--choose-folder", "--connect-type", "1"}};
    for (const auto& args : mistakes) {
        SCOPED_TRACE(testing::PrintToString(args));
        const CliResult result = run(args);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find("--help"), std::string::npos);
        EXPECT_FALSE(fs::exists(lock()));  // start-up never ran
    }

    const CliResult help = runBare({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: vkrandom-cli", 0), 0u);
    EXPECT_NE(help.out.find("settings --choose-folder"), std::string::npos);
    const CliResult version = runBare({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "1.6.0.0\n");
}

}  // namespace
