// Odd files where the catalogue or the settings file should be: a folder, a FIFO, a device or a
// huge file gives the usual message (102) or the defaults at once, never a crash or a wait.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "support/session_fixture.h"

namespace {

using namespace testing_support;
using Ids = std::vector<int>;

TEST_F(SessionFixture, OddCatalogueOrSettingsFileNeverCrashesOrHangs) {
    const std::string csv = dir / "Random.csv";
    const struct {
        const char* what;
        std::function<void(const std::string&)> make;
        bool settingsToo;  // the settings file is made the same way
    } odd[] = {
        {"folder", [](const std::string& p) { std::filesystem::create_directory(p); }, true},
        {"FIFO", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); }, true},
        {"device", [](const std::string& p) { std::filesystem::create_symlink("/dev/zero", p); },
         true},
        {"64 MiB and a byte",
         [](const std::string& p) {
             writeFile(p, "h\r\n0,A,x,A.XML,4,0,a,\r\n");
             std::filesystem::resize_file(p, (64u << 20) + 1);
         },
         false},
    };
    for (const auto& o : odd) {
        SCOPED_TRACE(o.what);
        editor.reset();
        prompts = {};
        std::filesystem::remove_all(csv);
        std::filesystem::remove_all(ini());
        o.make(csv);
        if (o.settingsToo) o.make(ini());
        start();
        // The settings read as missing: connection type 0 and no folder, so the question first.
        EXPECT_EQ(prompts.messages, (Ids{131, 139, 102}));
        EXPECT_TRUE(window.lines.empty());
        editor->storeSettings({1, 1});
        EXPECT_EQ(editor->settingsStoreFailed(), o.settingsToo);
    }
}

}  // namespace
