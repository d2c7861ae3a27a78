#include <gtest/gtest.h>

#include "core/random_editor.h"
#include "card_session_fixture.h"

namespace {

using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

std::string recordBytes() {
    const auto r = core::buildRemoteLogRecord(0, 1000);
    return {r.begin(), r.end()};
}

// Execution over the card's HTTP interface, with the emulator standing in for the card.
struct CardExecution : testing_support::CardSessionFixture {
    void SetUp() override {
        std::filesystem::create_directories(cardRoot() + "/ADDON");
        writeFile(dir / "Random.csv", "h\r\n0,A,x,ACT\\A.XML,4,0,a,\r\n0,E,x,EMPTY.XML,4,0,a,\r\n"
                                      "0,G,x,GONE.XML,4,0,a,\r\n0,B,x,BIG.XML,4,0,a,\r\n");
    }
    bool execute(int line) {
        select(line);
        return editor->executeSelected();
    }
};

TEST_F(CardExecution, ProgramFromTheCardGoesBackAsTempThenTheRecord) {
    writeFile(cardRoot() + "/ACT/A.XML", "program on the card");
    start("");
    EXPECT_TRUE(execute(0));
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(readFile(cardRoot() + "/ADDON/TEMP.VX4"), "program on the card");
    EXPECT_EQ(readFile(cardRoot() + "/ADDON/REMOTE.LOG"), recordBytes());
    const auto requests = card->requests();
    // The path travels fully percent-encoded, its backslash too; the record under its long name.
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.front().rfind("GET /%41%43%54%5C%41%2E%58%4D%4C HTTP/1.1\r\n", 0), 0u)
        << requests.front();
    EXPECT_NE(requests.back().find("filename=\"ADDON\\REMOTE.LOG\""), std::string::npos);
    EXPECT_EQ(editor->remoteDir(), ".");  // the card transport never touches REMOTE_DIR
}

TEST_F(CardExecution, LocalProgramIsUploadedAndLongOnesAreCut) {
    writeFile(dir / "robot/ACT/A.XML", "local program");
    std::string big(150000, 'b');
    big[139263] = 'L';
    writeFile(dir / "robot/BIG.XML", big);
    writeFile(dir / "robot/STARTUP.XML", "<x/>");
    start(dir / "robot");
    EXPECT_TRUE(execute(0));
    EXPECT_EQ(readFile(cardRoot() + "/ADDON/TEMP.VX4"), "local program");
    EXPECT_TRUE(execute(3));
    EXPECT_EQ(readFile(cardRoot() + "/ADDON/TEMP.VX4"), big.substr(0, 139264));
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(CardExecution, NothingIsSentWithoutAProgram) {
    writeFile(cardRoot() + "/EMPTY.XML", "");
    start("");
    EXPECT_FALSE(execute(1));  // an empty program: nothing sent, nothing said
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_FALSE(execute(2));  // the card's error page is not a program to run
    EXPECT_EQ(prompts.messages, (std::vector<int>{122}));
    EXPECT_FALSE(std::filesystem::exists(cardRoot() + "/ADDON/TEMP.VX4"));
    EXPECT_FALSE(std::filesystem::exists(cardRoot() + "/ADDON/REMOTE.LOG"));

    // A local program that cannot be read: 122.
    editor.reset();
    prompts = {};
    writeFile(dir / "robot/STARTUP.XML", "<x/>");
    start(dir / "robot");
    EXPECT_FALSE(execute(2));
    EXPECT_EQ(prompts.messages, (std::vector<int>{122}));
}

TEST_F(CardExecution, FailedDownloadUploadsNothing) {
    start("", {"--truncate", "5"});
    writeFile(cardRoot() + "/ACT/A.XML", "a program longer than five bytes");
    EXPECT_FALSE(execute(0));
    EXPECT_EQ(prompts.messages, (std::vector<int>{119, 119}));  // the selection's read, then ours
    for (const auto& request : card->requests()) EXPECT_EQ(request.find("upload.cgi"), std::string::npos);
}

TEST_F(CardExecution, RefusedProgramUploadSendsNoRecord) {
    writeFile(cardRoot() + "/ACT/A.XML", "program");
    start("", {"--command-reply", "FAIL"});
    EXPECT_TRUE(execute(0));  // a program was obtained, even though the card refused it
    EXPECT_EQ(prompts.messages, (std::vector<int>{120}));
    for (const auto& request : card->requests())
        EXPECT_EQ(request.find("POST"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(cardRoot() + "/ADDON/REMOTE.LOG"));
}

}  // namespace
