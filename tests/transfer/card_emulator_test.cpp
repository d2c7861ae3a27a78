// The card emulator behaves like the card where other tests rely on it: FAT-like lookup,
// a root nothing escapes, and a command whose directory stays in force for later POSTs.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/card_emulator_process.h"
#include "support/fakes.h"
#include "support/temp_dir.h"
#include "transfer/card_client.h"

namespace {

using namespace testing_support;

struct CardEmulatorTest : ::testing::Test {
    TempDir dir;
    std::string root = dir / "card";
    FakePrompts prompts;

    // Body of a GET of the raw (already encoded) path, and its status.
    std::pair<std::string, int> get(transfer::CardClient& client, const std::string& rawPath) {
        std::vector<std::uint8_t> buffer(4096);
        const std::size_t got = client.downloadFile(rawPath, buffer);
        return {std::string(buffer.begin(), buffer.begin() + static_cast<long>(got)),
                client.lastStatus()};
    }
};

TEST_F(CardEmulatorTest, FindsFilesRegardlessOfCaseAndSeparator) {
    writeFile(root + "/ACT/Sub/A.XML", "content");
    writeFile(dir / "SECRET", "outside");
    CardEmulatorProcess card(root);
    transfer::CardClient client(prompts, card.host());

    EXPECT_EQ(get(client, "ACT/Sub/A.XML"), std::make_pair(std::string("content"), 200));
    EXPECT_EQ(get(client, "act%5Csub%5Ca.xml"), std::make_pair(std::string("content"), 200));
    EXPECT_EQ(get(client, "%61%63%74%2F%53%55%42%2F%61%2E%78%6D%6C").first, "content");
    EXPECT_EQ(get(client, "ACT/Sub").second, 404);          // a folder is no file
    EXPECT_EQ(get(client, "%2E%2E%2FSECRET").second, 404);  // ../SECRET
    EXPECT_EQ(get(client, "ACT%5C%2E%2E%5C%2E%2E%5CSECRET").second, 404);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(CardEmulatorTest, PostsLandInTheLastCommandsDirectory) {
    writeFile(root + "/Act/sub/A.XML", "old");
    CardEmulatorProcess card(root);
    transfer::CardClient client(prompts, card.host());
    const std::vector<std::uint8_t> data = {'n', 'e', 'w'};

    // The existing file is replaced whatever the letter case of the names sent.
    ASSERT_TRUE(client.uploadFile(std::string("ACT/SUB"), "a.xml", data));
    EXPECT_EQ(readFile(root + "/Act/sub/A.XML"), "new");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root + "/Act/sub"),
                            std::filesystem::directory_iterator{}),
              1);
    // Without a new command the next POST goes to the same folder.
    ASSERT_TRUE(client.postFile("B.XML", data));
    EXPECT_EQ(readFile(root + "/Act/sub/B.XML"), "new");

    // Folder names that a URL cannot carry as they are still arrive.
    std::filesystem::create_directories(root + "/MY DIR#2/\xE3\x81\x82");
    ASSERT_TRUE(client.uploadFile(std::string("MY DIR#2/\xE3\x81\x82"), "C.XML", data));
    EXPECT_EQ(readFile(root + "/MY DIR#2/\xE3\x81\x82/C.XML"), "new");

    // A folder that does not exist is not created; one outside the root is refused.
    EXPECT_TRUE(client.uploadFile(std::string("NOPE"), "C.XML", data));
    EXPECT_EQ(client.lastStatus(), 404);
    EXPECT_FALSE(std::filesystem::exists(root + "/NOPE"));
    EXPECT_EQ(client.sendCommand(client.uploadUrl() + "?UPDIR=/../x&FTIME=0x00210000"), "ERROR");
    EXPECT_TRUE(prompts.messages.empty());
}

}  // namespace
