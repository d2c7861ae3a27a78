#include <gtest/gtest.h>

#include <sys/stat.h>

#include "core/choice_slot.h"
#include "session_fixture.h"

namespace {

using namespace testing_support;

// A program file of `size` filler bytes with `slot` at `offset`, cut where the file ends.
std::string programWith(const std::string& slot, std::size_t offset, std::size_t size) {
    std::string data(size, ' ');
    for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<char>('a' + i % 26);
    return data.replace(offset, slot.size(), slot).substr(0, size);
}

std::string labels(int n) {
    std::string out;
    for (int i = 1; i <= n; ++i) out += "L" + std::to_string(i) + ",";
    return out;
}

struct Selection : SessionFixture {
    void SetUp() override {
        writeFile(robot() + "/STARTUP.XML", "<x/>");
        connectVia(0);
    }
    void connectVia(int type) {
        settings("[DATA]\r\nPATH=" + robot() +
                 "\r\n[REMOTE]\r\nCONNECT_TYPE=" + std::to_string(type) + "\r\n");
    }
};

TEST_F(Selection, WindowShowsLabelsFileNameAndTheCurrentChoice) {
    writeFile(robot() + "/THREE.XML", programWith(constantSlot(1), 40, 200));
    writeFile(robot() + "/FIVE.XML", programWith(random4, 10, 100));
    catalogue("0,三つ,x,THREE.XML,4,40,左,中,右,\r\n0,五つ,x,FIVE.XML,4,10," + labels(5) +
              "\r\n0,二つ,x,FIVE.XML,4,10," + labels(2) + "\r\n0,無い,x,GONE.XML,4,10,a,\r\n");
    start();

    select("三つ");
    EXPECT_EQ(window.checkedChoice(), 2);
    EXPECT_EQ(window.text(1028), cp932("左"));
    EXPECT_EQ(window.text(1042), "THREE.XML");
    for (int id = 1027; id <= 1030; ++id) EXPECT_TRUE(window.isShown(id));
    EXPECT_FALSE(window.isShown(1031));
    EXPECT_TRUE(window.isEnabled(core::idExportButton));
    EXPECT_FALSE(window.isEnabled(core::idExecuteButton));  // connection type 0

    select("五つ");
    EXPECT_TRUE(window.isShown(1032));
    select("二つ");
    EXPECT_EQ(window.checkedChoice(), 0);
    for (int id = 1030; id <= 1032; ++id) EXPECT_FALSE(window.isShown(id));

    // A missing file: labels and file name shown, nothing checked, nothing enabled.
    select("無い");
    EXPECT_EQ(window.checkedChoice(), -1);
    EXPECT_EQ(window.text(1042), "GONE.XML");
    EXPECT_FALSE(window.isEnabled(core::idExportButton));

    // A line whose name no entry has leaves the window as it was.
    select("三つ");
    const auto before = window.checked;
    window.lines[0] = "renamed";
    window.select(0);
    editor->selectEntry(window);
    EXPECT_EQ(editor->selectedIndex(), -1);
    EXPECT_EQ(window.checked, before);

    // Execute needs a connection and a readable choice.
    for (int type : {1, 2}) {
        editor.reset();
        connectVia(type);
        start();
        select("三つ");
        EXPECT_TRUE(window.isEnabled(core::idExecuteButton)) << type;
        select("無い");
        EXPECT_FALSE(window.isEnabled(core::idExecuteButton)) << type;
    }
}

TEST_F(Selection, ExportWritesOnlyTheSlotAndReadsBackEveryChoice) {
    const std::string original = programWith(random4, 100, 400);
    writeFile(robot() + "/P.XML", original);
    catalogue("0,P,x,P.XML,2,100," + labels(14) + "\r\n");
    start();
    select("P");
    for (int choice = 0; choice <= 14; ++choice) {
        prompts.messages.clear();
        editor->exportChoice(choice);
        EXPECT_EQ(prompts.messages, (std::vector<int>{113}));
        const auto slot = core::encodeChoice(choice, 2);
        EXPECT_EQ(readFile(robot() + "/P.XML"), programWith({slot.begin(), slot.end()}, 100, 400));
        select("P");
        EXPECT_EQ(window.checkedChoice(), choice);
    }
    // Choices the entry does not have are refused with 112 and nothing written.
    const auto before = readFile(robot() + "/P.XML");
    for (int bad : {-1, 15}) {
        prompts.messages.clear();
        editor->exportChoice(bad);
        EXPECT_EQ(prompts.messages, (std::vector<int>{112}));
    }
    EXPECT_EQ(readFile(robot() + "/P.XML"), before);
}

TEST_F(Selection, WritesStayInsideTheFileAndTheProgramBuffer) {
    const std::string slot = constantSlot(0);
    const std::string far = programWith(random4, 139250, 140000);
    // Only the part of a slot within the first 139,264 bytes may change, and a slot that starts
    // beyond them is never read or written. The short file's slot runs past its end.
    const std::string farAfter = std::string(far).replace(139250, 14, slot.substr(0, 14));
    const struct {
        const char* name;
        std::string before;
        int offset, reads;
        std::string after;  // empty: nothing written, and a failure
    } cases[] = {
        {"short", programWith(random4, 90, 100), 90, 0, programWith(slot, 90, 100)},
        {"end", std::string(100, 'e'), 100, -1, ""},
        {"empty", "", 0, -1, ""},
        {"big", programWith(random4, 1000, 200000), 1000, 0, programWith(slot, 1000, 200000)},
        {"far", far, 139250, 0, farAfter},
        {"farther", std::string(150000, ' '), 140000, -1, ""},
    };
    std::string lines = "0,gone,x,GONE.XML,4,0,a,\r\n";
    for (const auto& c : cases) {
        writeFile(robot() + "/" + c.name + ".XML", c.before);
        lines += "0," + std::string(c.name) + ",x," + c.name + ".XML,4," +
                 std::to_string(c.offset) + ",a,\r\n";
    }
    catalogue(lines);
    start();
    for (const auto& c : cases) {
        select(c.name);
        EXPECT_EQ(window.checkedChoice(), c.reads) << c.name;
        EXPECT_EQ(editor->writeChoice(1), !c.after.empty()) << c.name;
        EXPECT_EQ(readFile(robot() + "/" + c.name + ".XML"), c.after.empty() ? c.before : c.after)
            << c.name;
    }
    select("gone");
    EXPECT_FALSE(editor->writeChoice(1));
    EXPECT_FALSE(std::filesystem::exists(robot() + "/GONE.XML"));
}

TEST_F(Selection, UnsafeEntriesAndUnwritableFilesNeverChangeAnything) {
    writeFile(dir / "outside.XML", random4 + "tail");
    writeFile(robot() + "/P.XML", random4);
    // A 15th label has no radio button, and a FIFO would block a read.
    writeFile(robot() + "/F.XML", constantSlot(14));
    ASSERT_EQ(::mkfifo((robot() + "/PIPE.XML").c_str(), 0644), 0);
    std::filesystem::create_symlink("/proc/version", robot() + "/RO.XML");
    catalogue("0,neg,x,P.XML,4,-5,a,\r\n0,up,x,..\\outside.XML,4,0,a,\r\n"
              "0,abs,x," + dir.path() + "/outside.XML,4,0,a,\r\n0,ro,x,RO.XML,4,0,a,\r\n"
              "0,fifteen,x,F.XML,4,0," + labels(15) + "\r\n"
              "0,pipe,x,PIPE.XML,4,0,a,\r\n");
    start();
    for (const char* name : {"neg", "up", "abs", "fifteen", "pipe"}) {
        select(name);
        EXPECT_EQ(window.checkedChoice(), -1) << name;
        EXPECT_FALSE(window.isEnabled(core::idExportButton)) << name;
        EXPECT_FALSE(editor->writeChoice(name == std::string("fifteen") ? 15 : 1)) << name;
    }
    EXPECT_EQ(readFile(dir / "outside.XML"), random4 + "tail");
    EXPECT_EQ(readFile(robot() + "/P.XML"), random4);
    EXPECT_EQ(readFile(robot() + "/F.XML"), constantSlot(14));

    // A file that cannot be opened for writing: 112, never 113.
    select("ro");
    prompts.messages.clear();
    editor->exportChoice(1);
    EXPECT_EQ(prompts.messages, (std::vector<int>{112}));
}

TEST_F(Selection, DemoEntriesReadTheChoiceTheirFilesHold) {
    const std::string demo = std::string(VKRANDOM_SOURCE_DIR) + "/demo";
    std::filesystem::copy(demo + "/robot", robot(),
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::overwrite_existing);
    std::filesystem::copy_file(demo + "/Random.csv", dir / "Random.csv");
    start();
    const std::vector<std::pair<std::string, int>> expected{
        {"あいさつ", 0}, {"起動時のダンス", 2}, {"歩き方", 1},   {"首振り", 0},
        {"鳴き声", 12},  {"目の色", 0},         {"ダンス曲", 3}, {"決めポーズ", 0},
        {"寝るときの動き", 0}, {"見つからないプログラム", -1}};
    ASSERT_EQ(window.lines.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(window.lines[i], cp932(expected[i].first));
        select(expected[i].first);
        EXPECT_EQ(window.checkedChoice(), expected[i].second) << expected[i].first;
    }
}

}  // namespace
