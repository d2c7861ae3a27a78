#include <gtest/gtest.h>

#include "core/choice_slot.h"
#include "core/random_editor.h"
#include "card_session_fixture.h"
#include "transfer/card_client.h"

namespace {

using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

const std::string random2 = R"(<mem_r size="2" adr="0x0f0a"/>)";

std::string slotText(int choice, std::uint8_t kind) {
    const auto s = core::encodeChoice(choice, kind);
    return {s.begin(), s.end()};
}

// Choices read and written on the card: connection type 2 and no program folder.
struct CardChoice : testing_support::CardSessionFixture {
    void start(const std::string& catalogueLines) {
        writeFile(dir / "Random.csv", "h\r\n" + catalogueLines);
        CardSessionFixture::start("");
    }
    std::string root() const { return cardRoot(); }
};

TEST_F(CardChoice, RoundTripInSubfoldersAndAtTheRoot) {
    const std::string program = std::string(500, 'p') + random2 + std::string(100, 'q');
    writeFile(root() + "/ACT/SUB/A.XML", program);
    writeFile(root() + "/ROOT.XML", program);
    start("0,deep,x,\"ACT\\SUB\\A.XML\",2,500,a,b,c,\r\n0,top,x,ROOT.XML,2,500,a,b,c,\r\n");
    for (int line : {0, 1}) {
        const std::string file = root() + (line == 0 ? "/ACT/SUB/A.XML" : "/ROOT.XML");
        select(line);
        EXPECT_EQ(window.checkedChoice(), 0);
        EXPECT_TRUE(window.isEnabled(core::idExportButton));
        for (int choice : {3, 1, 0}) {
            prompts.messages.clear();
            editor->exportChoice(choice);
            EXPECT_EQ(prompts.messages, (std::vector<int>{113}));
            EXPECT_EQ(readFile(file), std::string(500, 'p') + slotText(choice, 2) + std::string(100, 'q'));
            select(line);
            EXPECT_EQ(window.checkedChoice(), choice);
        }
    }
    // The upload named the directory in its command and the bare name in its POST.
    bool sawSubCommand = false, sawPost = false;
    for (const auto& r : card->requests()) {
        sawSubCommand |= r.find("UPDIR=/ACT/SUB&FTIME=0x") != std::string::npos;
        sawPost |= r.find("filename=\"A.XML\"") != std::string::npos;
    }
    EXPECT_TRUE(sawSubCommand);
    EXPECT_TRUE(sawPost);
}

TEST_F(CardChoice, ReadFetchesOnlyTheStartOfTheFile) {
    std::string program(100000, 'z');
    program.replace(1000, 30, slotText(2, 4));
    writeFile(root() + "/P.XML", program);
    start("0,p,x,P.XML,4,1000,a,b,\r\n");
    select(0);
    EXPECT_EQ(window.checkedChoice(), 2);
    EXPECT_LE(editor->cardClient().lastPulled(), 1031u + 16384u);
}

TEST_F(CardChoice, WriteRefusesWhatIsNotTheWholeProgram) {
    std::string tooLong(139265, 't');
    tooLong.replace(10, 30, random2);
    writeFile(root() + "/LONG.XML", tooLong);
    writeFile(root() + "/SHORT.XML", "short");
    start("0,long,x,LONG.XML,2,10,a,\r\n0,gone,x,GONE.XML,2,10,a,\r\n0,short,x,SHORT.XML,2,10,a,\r\n");
    for (int line : {0, 1, 2}) {
        select(line);
        prompts.messages.clear();
        EXPECT_FALSE(editor->writeChoice(1)) << line;
    }
    EXPECT_EQ(readFile(root() + "/LONG.XML"), tooLong);
    EXPECT_EQ(readFile(root() + "/SHORT.XML"), "short");
    EXPECT_FALSE(std::filesystem::exists(root() + "/GONE.XML"));
    for (const auto& r : card->requests()) EXPECT_EQ(r.find("upload.cgi"), std::string::npos);
}

TEST_F(CardChoice, UnreachableCardShows119AndChangesNothing) {
    writeFile(dir / "Random.csv", "h\r\n0,p,x,P.XML,4,0,a,\r\n");
    startSession("", "127.0.0.1:" + std::to_string(testing_support::unusedLoopbackPort()));
    select(0);
    EXPECT_EQ(window.checkedChoice(), -1);
    EXPECT_EQ(prompts.messages, (std::vector<int>{119}));
    prompts.messages.clear();
    editor->exportChoice(1);
    EXPECT_EQ(prompts.messages, (std::vector<int>{119, 112}));
}

}  // namespace
