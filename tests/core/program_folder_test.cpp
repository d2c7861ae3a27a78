// Which folder a session edits when the program folder is too long to keep or missing: never a
// folder cut short, never the system's root.
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "platform/paths.h"
#include "support/session_fixture.h"

namespace {

using namespace testing_support;
using Ids = std::vector<int>;

// The settings file keeps 259 bytes of a folder; here those name another existing folder.
TEST_F(SessionFixture, FolderLongerThanTheSettingsKeepIsNeverUsed) {
    const std::string outer = dir / std::string(258 - dir.path().size(), 'a');
    ASSERT_EQ(outer.size(), 259u);
    writeFile(outer + "/STARTUP.XML", "<x/>");
    writeFile(outer + "/P.XML", random4);
    catalogue("0,P,x,P.XML,4,0,a,\r\n");
    // Written by hand (one chosen in the dialog is not stored, as sessions.txt shows): the
    // question comes, and the shorter folder is never touched.
    settings("[DATA]\r\nPATH=" + outer + "/SUB\r\n");
    start();
    EXPECT_EQ(prompts.messages, (Ids{131, 139}));
    select("P");
    EXPECT_EQ(window.checkedChoice(), -1);
    EXPECT_FALSE(editor->writeChoice(1));
    EXPECT_EQ(readFile(outer + "/P.XML"), random4);
}

// With no program folder a name hangs off the filesystem that holds the working folder, as off
// the current drive's root, except when that filesystem is the system's root.
TEST_F(SessionFixture, NoFolderMeansTheWorkingFilesystemNeverTheSystemRoot) {
    const std::string home = std::filesystem::current_path();
    writeFile(dir / "card/ADDON/REMOTE.LOG", "");
    for (const std::string& place : {dir.path(), std::string("/dev/shm")}) {
        if (!std::filesystem::is_directory(place)) continue;
        const std::string folder = place + "/vkrandom-" + std::to_string(::getpid());
        writeFile(folder + "/P.XML", random4);
        const std::string mount = platform::mountPointOf(folder);
        std::string name = folder.substr(mount.size()) + "/P.XML";
        std::replace(name.begin(), name.end(), '/', '\\');
        catalogue("0,P,x," + name + ",4,0,a,\r\n");
        settings("[REMOTE]\r\nCONNECT_TYPE=1\r\nREMOTE_DIR=" + dir / "card/\r\n");
        std::filesystem::current_path(folder);
        const bool reachable = mount != "/";
        SCOPED_TRACE(mount);
        editor.reset();
        prompts = {};
        start();
        select("P");
        EXPECT_EQ(window.checkedChoice(), reachable ? 0 : -1);
        EXPECT_EQ(editor->executeSelected(), reachable);
        EXPECT_EQ(prompts.messages, reachable ? (Ids{131, 139}) : (Ids{131, 139, 117}));
        EXPECT_EQ(std::filesystem::exists(dir / "card/ADDON/TEMP.VX4"), reachable);
        std::filesystem::current_path(home);
        std::filesystem::remove_all(folder);
        std::filesystem::remove(dir / "card/ADDON/TEMP.VX4");
    }
}

}  // namespace
