#include <gtest/gtest.h>

#include <sys/stat.h>

#include "core/choice_slot.h"
#include "session_fixture.h"

namespace {

using testing_support::constantSlot;
using testing_support::cp932;
using testing_support::random4;
using testing_support::readFile;
using testing_support::SessionFixture;
using testing_support::writeFile;

// A program file with filler around one slot at `offset`.
std::string programWith(const std::string& slot, std::size_t offset, std::size_t size) {
    std::string data(size, 'x');
    for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<char>('a' + i % 26);
    data.replace(offset, std::min(slot.size(), size - offset), slot.substr(0, size - offset));
    return data;
}

struct Selection : SessionFixture {
    void SetUp() override {
        writeFile(robot() + "/STARTUP.XML", "<x/>");
        settings("[DATA]\r\nPATH=" + robot() + "\r\n[REMOTE]\r\nCONNECT_TYPE=0\r\n");
    }
    std::string labels(int n) {
        std::string out;
        for (int i = 1; i <= n; ++i) out.append("L").append(std::to_string(i)).append(",");
        return out;
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
    EXPECT_EQ(window.text(1030), cp932("右"));
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
    EXPECT_EQ(window.text(1030), "L3");  // old text stays, hidden

    // A missing file: labels and file name shown, nothing checked, nothing enabled.
    select("無い");
    EXPECT_EQ(window.checkedChoice(), -1);
    EXPECT_EQ(window.text(1042), "GONE.XML");
    EXPECT_FALSE(window.isEnabled(core::idExportButton));
    EXPECT_EQ(editor->selectedIndex(), 3);

    // A line whose name no entry has leaves the window as it was.
    select("三つ");
    const auto before = window.checked;
    window.lines[0] = "renamed";
    window.select(0);
    editor->selectEntry(window);
    EXPECT_EQ(editor->selectedIndex(), -1);
    EXPECT_EQ(window.checked, before);
}

TEST_F(Selection, ExecuteFollowsTheConnectionType) {
    writeFile(robot() + "/A.XML", programWith(random4, 0, 50));
    catalogue("0,A,x,A.XML,4,0,a,b,\r\n0,B,x,GONE.XML,4,0,a,\r\n");
    for (int type : {1, 2}) {
        settings("[DATA]\r\nPATH=" + robot() + "\r\n[REMOTE]\r\nCONNECT_TYPE=" + std::to_string(type) + "\r\n");
        start();
        select("A");
        EXPECT_TRUE(window.isEnabled(core::idExecuteButton)) << type;
        select("B");
        EXPECT_FALSE(window.isEnabled(core::idExecuteButton)) << type;
        editor.reset();
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
        const auto after = readFile(robot() + "/P.XML");
        ASSERT_EQ(after.size(), original.size());
        const auto slot = core::encodeChoice(choice, 2);
        EXPECT_EQ(after.substr(0, 100), original.substr(0, 100));
        EXPECT_EQ(after.substr(100, 30), std::string(slot.begin(), slot.end()));
        EXPECT_EQ(after.substr(130), original.substr(130));
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

TEST_F(Selection, SlotsAtTheEdgesOfTheFile) {
    writeFile(robot() + "/SHORT.XML", programWith(random4, 90, 100));  // slot runs past the end
    writeFile(robot() + "/END.XML", std::string(100, 'e'));
    writeFile(robot() + "/EMPTY.XML", "");
    const std::string big = programWith(random4, 1000, 200000);
    writeFile(robot() + "/BIG.XML", big);
    writeFile(robot() + "/FAR.XML", programWith(random4, 139250, 140000));
    catalogue("0,short,x,SHORT.XML,4,90,a,\r\n0,end,x,END.XML,4,100,a,\r\n"
              "0,empty,x,EMPTY.XML,4,0,a,\r\n0,big,x,BIG.XML,4,1000,a,\r\n"
              "0,far,x,FAR.XML,4,139250,a,\r\n");
    start();

    select("short");
    EXPECT_EQ(window.checkedChoice(), 0);
    EXPECT_TRUE(editor->writeChoice(1));
    EXPECT_EQ(readFile(robot() + "/SHORT.XML"),
              programWith(random4, 90, 100).substr(0, 90) + constantSlot(0).substr(0, 10));
    // Nothing of the slot inside the file, or an empty file: nothing written, and a failure.
    for (const char* name : {"end", "empty"}) {
        select(name);
        EXPECT_FALSE(editor->writeChoice(1)) << name;
    }
    EXPECT_EQ(readFile(robot() + "/END.XML"), std::string(100, 'e'));
    EXPECT_EQ(readFile(robot() + "/EMPTY.XML"), "");

    select("big");
    EXPECT_TRUE(editor->writeChoice(1));
    auto expected = big;
    expected.replace(1000, 30, constantSlot(0));
    EXPECT_EQ(readFile(robot() + "/BIG.XML"), expected);
    // Only the part of a slot within the first 139,264 bytes may change.
    select("far");
    EXPECT_TRUE(editor->writeChoice(1));
    const auto far = readFile(robot() + "/FAR.XML");
    EXPECT_EQ(far.substr(139250, 14), constantSlot(0).substr(0, 14));
    EXPECT_EQ(far.substr(139264), programWith(random4, 139250, 140000).substr(139264));
}

TEST_F(Selection, UnsafeEntriesAndUnwritableFilesNeverChangeAnything) {
    writeFile(dir / "outside.XML", random4 + "tail");
    writeFile(robot() + "/P.XML", random4);
    catalogue("0,neg,x,P.XML,4,-5,a,\r\n0,up,x,..\\outside.XML,4,0,a,\r\n"
              "0,abs,x," + dir.path() + "/outside.XML,4,0,a,\r\n0,ro,x,RO.XML,4,0,a,\r\n");
    start();
    for (const char* name : {"neg", "up", "abs"}) {
        select(name);
        EXPECT_EQ(window.checkedChoice(), -1) << name;
        EXPECT_FALSE(editor->writeChoice(1)) << name;
    }
    EXPECT_EQ(readFile(dir / "outside.XML"), random4 + "tail");
    EXPECT_EQ(readFile(robot() + "/P.XML"), random4);

    // Slots the window cannot offer or a write cannot reach, and a FIFO that would block a read.
    std::string fifteen;
    for (int i = 1; i <= 15; ++i) fifteen += "L" + std::to_string(i) + ",";
    writeFile(robot() + "/F.XML", constantSlot(14));
    writeFile(robot() + "/FAR.XML", std::string(150000, ' '));
    ASSERT_EQ(::mkfifo((robot() + "/PIPE.XML").c_str(), 0644), 0);
    catalogue("0,fifteen,x,F.XML,4,0," + fifteen + "\r\n0,far,x,FAR.XML,4,140000,a,\r\n"
              "0,pipe,x,PIPE.XML,4,0,a,\r\n0,ro,x,RO.XML,4,0,a,\r\n");
    editor.reset();
    start();
    for (const char* name : {"fifteen", "far", "pipe"}) {
        select(name);
        EXPECT_EQ(window.checkedChoice(), -1) << name;
        EXPECT_FALSE(window.isEnabled(core::idExportButton)) << name;
    }
    select("fifteen");
    EXPECT_FALSE(editor->writeChoice(15));
    EXPECT_EQ(readFile(robot() + "/F.XML"), constantSlot(14));

    // A file that cannot be opened for writing: 112, never 113.
    std::filesystem::create_symlink("/proc/version", robot() + "/RO.XML");
    select("ro");
    prompts.messages.clear();
    editor->exportChoice(1);
    EXPECT_EQ(prompts.messages, (std::vector<int>{112}));
}

TEST_F(Selection, DemoEntriesReadTheChoiceTheirFilesHold) {
    const std::string demo = std::string(VKRANDOM_SOURCE_DIR) + "/demo";
    std::filesystem::copy(demo + "/robot", robot(), std::filesystem::copy_options::recursive |
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
