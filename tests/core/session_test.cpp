// The editor session over a scratch robot folder: start-up, settings, the catalogue it lists,
// and the choice slot it shows and writes.
#include <gtest/gtest.h>

#include "core/choice_slot.h"
#include "support/session_fixture.h"

namespace {

using namespace testing_support;
using Ids = std::vector<int>;

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

TEST_F(SessionFixture, StartUpSettingsAndASecondInstance) {
    const auto s = core::readSettings(dir / "none.ini");
    EXPECT_EQ(std::tie(s.playerType, s.connectType, s.programType, s.tableCapacity,
                       s.remoteInterval, s.remoteDir, s.cardHost),
              std::tuple(0, 0, 1, 256, 1000, ".", "flashair"));
    for (const char* count : {"0", "-5", "70000"}) {  // only a reservation: odd values fall back
        settings(std::string("[DATA]\nNINSHIKI_DATA_COUNT=") + count + "\n");
        EXPECT_EQ(core::readSettings(ini()).tableCapacity, 256) << count;
    }
    catalogue("0,A,x,A.XML,4,5,l,\r\n");
    writeFile(robot() + "/STARTUP.XML", "<x/>");
    // FlashAir without a folder has its programs on the card, and a folder that holds
    // STARTUP.XML needs nothing; otherwise 131, the dialog, and on cancel 139.
    const struct {
        int type;
        std::string folder;
        Ids messages;
    } cases[] = {{2, "", {}}, {0, "", {131, 139}}, {1, dir / "gone", {131, 139}}, {0, robot(), {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        prompts = {};
        settings("[REMOTE]\r\nCONNECT_TYPE=" + std::to_string(c.type) + "\r\n[DATA]\r\nPATH=" +
                 c.folder + "\r\n");
        editor.reset();
        start();
        EXPECT_EQ(prompts.messages, c.messages);
        EXPECT_EQ(window.lines.size(), 1u);
    }
    EXPECT_EQ(prompts.questions.size(), 0u);
    // Only one session at a time.
    FakePrompts secondPrompts;
    FakeWindow secondWindow;
    core::CRandomEditor second(secondPrompts, {ini(), dir / "lock", dir.path(), {}});
    EXPECT_FALSE(second.startUp(secondWindow));
    EXPECT_EQ(secondPrompts.messages, Ids{106});
    EXPECT_EQ(secondWindow.closeRequests, 1);
    EXPECT_TRUE(secondWindow.lines.empty());
    // A chosen start-up program writes its folder; a root one keeps addressing the root.
    std::filesystem::remove(ini());
    prompts.answers = {robot() + "/STARTUP.XML", "/STARTUP.XML"};
    EXPECT_TRUE(editor->chooseProgramFolder());
    EXPECT_EQ(readFile(ini()), "[DATA]\r\nPATH=" + robot() + "\r\n");
    EXPECT_TRUE(editor->chooseProgramFolder());
    EXPECT_EQ(editor->programFolder(), "/");
}

TEST_F(SessionFixture, SettingsDialogStoresOnlyValidChoicesAndReloadsOnANewType) {
    catalogue("1,Vesk,x,A.XML,4,5,l,\r\n2,Pallo,x,B.XML,4,5,l,\r\n");
    writeFile(dir / "RandomV2.csv", "h\r\n2,P2,x,B.XML,4,5,l,\r\n");
    settings("[DATA]\r\nVERSION=7\r\n[REMOTE]\r\nCONNECT_TYPE=5\r\n");
    start();
    EXPECT_EQ(window.lines.size(), 2u);  // type 7 tests the bits 1, 2 and 4
    // Values out of range show as Vesk over the SD card and are never stored.
    prompts.settingsAnswer = core::SettingsChoice{1, 3};
    window.setChecked(1027, true);
    editor->applySettings(window);
    EXPECT_EQ(std::tie(prompts.shownSettings.programType, prompts.shownSettings.connectType),
              std::tuple(1, 0));
    EXPECT_EQ(editor->connectType(), 0);
    EXPECT_EQ(window.lines, (std::vector<std::string>{"Vesk"}));
    EXPECT_FALSE(window.isChecked(1027));
    prompts.settingsAnswer = core::SettingsChoice{2, 2};
    editor->applySettings(window);
    EXPECT_EQ(window.lines, (std::vector<std::string>{"P2"}));
    EXPECT_EQ(readFile(ini()), "[DATA]\r\nVERSION=2\r\n[REMOTE]\r\nCONNECT_TYPE=2\r\n");
    // The same type again: no reload; with nothing selected there is nothing to execute.
    prompts.settingsAnswer = core::SettingsChoice{2, 1};
    window.setEnabled(core::idExecuteButton, true);
    editor->applySettings(window);
    EXPECT_FALSE(window.isEnabled(core::idExecuteButton));
}

TEST_F(SessionFixture, CatalogueFileOrderHiddenEntriesAndAMissingFile) {
    settings("[REMOTE]\r\nCONNECT_TYPE=2\r\n");
    writeFile(dir / "Random.csv", "1,looks,like,data.XML,4,5,A,\r\n2,Same,x,HIDDEN.XML,4,5,\r\n"
                                  "1,Same,x,FIRST.XML,4,5,\r\n\r\n0,Other,x,O.XML,4,5,\r\n");
    start();
    EXPECT_EQ(window.lines, (std::vector<std::string>{"Same", "Other"}));
    // The hidden entry of the same name comes first and is the one a list line finds.
    EXPECT_EQ(editor->item(editor->findEntryByName("Same")).fileName, "HIDDEN.XML");
    EXPECT_TRUE(prompts.messages.empty());
    // Far beyond the table's reservation, every entry is kept.
    std::string csv = "h\n";
    for (int i = 0; i < 100000; ++i) csv += "0,n" + std::to_string(i) + ",x,F,4,5,a,\n";
    writeFile(dir / "Random.csv", csv);
    editor.reset();
    start();
    EXPECT_EQ(window.lines.size(), 100000u);
    // An empty file is an empty list; RandomL2.csv does not exist: 102 and an empty list.
    writeFile(dir / "Random.csv", "");
    editor.reset();
    start();
    EXPECT_TRUE(window.lines.empty() && prompts.messages.empty());
    editor.reset();
    settings("[DATA]\r\nVERSION=4\r\n[REMOTE]\r\nCONNECT_TYPE=2\r\n");
    start();
    EXPECT_EQ(prompts.messages, Ids{102});
    EXPECT_TRUE(window.lines.empty());
}

struct Selection : SessionFixture {
    void SetUp() override {
        writeFile(robot() + "/STARTUP.XML", "<x/>");
        connectVia(0);
    }
    void connectVia(int type) {
        settings("[DATA]\r\nPATH=" + robot() + "\r\n[REMOTE]\r\nCONNECT_TYPE=" +
                 std::to_string(type) + "\r\n");
    }
};

TEST_F(Selection, WindowShowsLabelsFileNameTheChoiceAndWhatCanBePressed) {
    writeFile(robot() + "/THREE.XML", programWith(constantSlot(1), 40, 200));
    writeFile(robot() + "/FIVE.XML", programWith(random4, 10, 100));
    catalogue("0,三つ,x,THREE.XML,4,40,左,中,右,\r\n0,五つ,x,FIVE.XML,4,10," + labels(5) +
              "\r\n0,無い,x,GONE.XML,4,10,a,\r\n");
    for (int type : {0, 1, 2}) {
        editor.reset();
        connectVia(type);
        start();
        select("三つ");
        EXPECT_EQ(window.checkedChoice(), 2);
        EXPECT_EQ(window.text(1028), cp932("左"));
        EXPECT_EQ(window.text(1042), "THREE.XML");
        EXPECT_TRUE(window.isShown(1030) && !window.isShown(1031));
        EXPECT_TRUE(window.isEnabled(core::idExportButton));
        EXPECT_EQ(window.isEnabled(core::idExecuteButton), type != 0) << type;
        select("五つ");
        EXPECT_TRUE(window.isShown(1032) && !window.isShown(1033));
        EXPECT_EQ(window.checkedChoice(), 0);
        // A missing file: labels and file name shown, nothing checked, nothing enabled.
        select("無い");
        EXPECT_EQ(window.checkedChoice(), -1);
        EXPECT_EQ(window.text(1042), "GONE.XML");
        EXPECT_FALSE(window.isEnabled(core::idExportButton) || window.isEnabled(core::idExecuteButton));
    }
    // A line whose name no entry has leaves the window as it was and selects nothing.
    select("三つ");
    const auto before = window.checked;
    window.lines[0] = "renamed";
    window.select(0);
    editor->selectEntry(window);
    EXPECT_EQ(editor->selectedIndex(), -1);
    EXPECT_EQ(window.checked, before);
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
        EXPECT_EQ(prompts.messages, Ids{113});
        const auto slot = core::encodeChoice(choice, 2);
        EXPECT_EQ(readFile(robot() + "/P.XML"), programWith({slot.begin(), slot.end()}, 100, 400));
        select("P");
        EXPECT_EQ(window.checkedChoice(), choice);
    }
    for (int bad : {-1, 15}) {  // choices the entry does not have
        prompts.messages.clear();
        editor->exportChoice(bad);
        EXPECT_EQ(prompts.messages, Ids{112});
    }
}

// A slot is edited whole or not at all: one running past the end of the file or past the first
// 139,264 bytes, or outside the folder, is never read or written.
TEST_F(Selection, WritesStayInsideTheFileTheBufferAndTheFolder) {
    const std::string slot = constantSlot(0);
    const struct {
        const char* name;
        std::string before;
        int offset, reads;
        std::string after;  // empty: nothing written, and a failure
    } cases[] = {
        {"short", programWith(random4, 90, 100), 90, -1, ""},
        {"whole", programWith(random4, 70, 100), 70, 0, programWith(slot, 70, 100)},
        {"end", std::string(100, 'e'), 100, -1, ""},
        {"far", programWith(random4, 139250, 140000), 139250, -1, ""},
        {"farther", std::string(150000, ' '), 140000, -1, ""},
        {"neg", random4, -5, -1, ""},
        {"fifteen", constantSlot(14), 0, -1, ""},  // a 15th label has no radio button
    };
    std::string lines = "0,up,x,..\\outside.XML,4,0,a,\r\n0,abs,x," + dir / "outside.XML" +
                        ",4,0,a,\r\n";
    for (const auto& c : cases) {
        writeFile(robot() + "/" + c.name + ".XML", c.before);
        lines += "0," + std::string(c.name) + ",x," + c.name + ".XML,4," +
                 std::to_string(c.offset) + "," + labels(15) + "\r\n";
    }
    writeFile(dir / "outside.XML", random4);
    catalogue(lines);
    start();
    for (const auto& c : cases) {
        select(c.name);
        EXPECT_EQ(window.checkedChoice(), c.reads) << c.name;
        EXPECT_EQ(editor->writeChoice(c.name == std::string("fifteen") ? 15 : 1), !c.after.empty())
            << c.name;
        EXPECT_EQ(readFile(robot() + "/" + c.name + ".XML"), c.after.empty() ? c.before : c.after)
            << c.name;
    }
    for (const char* name : {"up", "abs"}) {
        select(name);
        EXPECT_EQ(window.checkedChoice(), -1) << name;
        EXPECT_FALSE(editor->writeChoice(1)) << name;
    }
    EXPECT_EQ(readFile(dir / "outside.XML"), random4);
}

}  // namespace
