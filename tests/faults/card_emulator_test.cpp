// The card emulator behaves like the card where other tests rely on it: FAT-like lookup, a root
// nothing escapes, a command whose directory stays in force for later POSTs. (Its scripted replies
// are what the card client's failure tests run on.)
// (That it listens on loopback only is checked each time it starts; its request log is
// compared byte for byte by the card client's tests.)
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/card_emulator_process.h"
#include "support/fakes.h"
#include "support/temp_dir.h"
#include "core/messages.h"
#include "transfer/card_client.h"

namespace {

using namespace testing_support;

TEST(CardEmulator, ServesItsRootTheWayTheCardDoes) {
    TempDir dir;
    const std::string root = dir / "card";
    writeFile(root + "/Act/Sub/A.XML", "content");
    writeFile(dir / "SECRET", "outside");
    std::filesystem::create_directory_symlink("..", root + "/OUT");
    std::filesystem::create_symlink("Act/Sub/A.XML", root + "/IN.XML");
    ASSERT_EQ(mkfifo((root + "/FIFO").c_str(), 0644), 0);
    CardEmulatorProcess card(root);
    FakePrompts prompts;
    transfer::CardClient client(prompts, card.host());

    std::vector<std::uint8_t> buffer(100);
    // Any letter case, either separator, any byte percent-encoded, a link within the root.
    for (const char* path : {"ACT/SUB/A.XML", "act%5Csub%5Ca.xml",
                             "%61%63%74%2F%53%55%42%2F%61%2E%78%6D%6C", "in.xml"}) {
        EXPECT_EQ(client.downloadFile(path, buffer), 7u) << path;
        EXPECT_EQ(client.lastStatus(), 200) << path;
    }
    // Only regular files are served, and nothing outside the root, whatever the way there.
    for (const char* path :
         {"ACT/Sub", "FIFO", "%2E%2E%2FSECRET", "ACT%5C%2E%2E%5C%2E%2E%5CSECRET", "OUT/SECRET"}) {
        client.downloadFile(path, buffer);
        EXPECT_EQ(client.lastStatus(), 404) << path;
    }

    // The existing file is replaced whatever the letter case of the names sent.
    const std::vector<std::uint8_t> data = {'n', 'e', 'w'};
    ASSERT_TRUE(client.uploadFile(std::string("ACT/SUB"), "a.xml", data));
    EXPECT_EQ(readFile(root + "/Act/Sub/A.XML"), "new");
    EXPECT_FALSE(std::filesystem::exists(root + "/Act/Sub/a.xml"));
    // Without a new command the next POST goes to the same folder.
    ASSERT_TRUE(client.postFile("B.XML", data));
    EXPECT_EQ(readFile(root + "/Act/Sub/B.XML"), "new");

    // Folder names that a URL cannot carry as they are still arrive.
    std::filesystem::create_directories(root + "/MY DIR#2/\xE3\x81\x82");
    ASSERT_TRUE(client.uploadFile(std::string("MY DIR#2/\xE3\x81\x82"), "C.XML", data));
    EXPECT_EQ(readFile(root + "/MY DIR#2/\xE3\x81\x82/C.XML"), "new");

    // A folder that does not exist is not created; one outside the root is refused.
    EXPECT_FALSE(client.uploadFile(std::string("NOPE"), "C.XML", data));
    EXPECT_EQ(client.lastStatus(), 404);
    EXPECT_FALSE(std::filesystem::exists(root + "/NOPE"));
    EXPECT_EQ(client.sendCommand(client.uploadUrl() + "?UPDIR=/../x&FTIME=0x00210000"), "ERROR");
    // Neither a FIFO nor a file through a link out of the root is written.
    for (const char* folder : {"", "OUT"}) {
        EXPECT_FALSE(client.uploadFile(std::string(folder), *folder ? "SECRET" : "FIFO", data));
        EXPECT_GE(client.lastStatus(), 400) << folder;
    }
    EXPECT_EQ(prompts.messages, std::vector<int>(3, core::msgCardUploadFailed));
}

}  // namespace
