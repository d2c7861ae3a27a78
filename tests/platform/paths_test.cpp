// Native paths: where the settings file goes, how catalogue names (CP932, '\') find files on a
// case-insensitive card copy, and which mount point stands for a drive root.
#include "platform/paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/temp_dir.h"

using namespace platform;
using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

struct Paths : ::testing::Test {
    testing_support::TempDir dir;
    std::string touch(const std::string& relative) {
        testing_support::writeFile(dir / relative, "x");
        return dir / relative;
    }
};

}  // namespace

TEST_F(Paths, SettingsFileBesideExecutableOrInConfigHome) {
    const std::string config = dir / "config", fallback = config + "/VKRandom/VKRandom.ini";
    EXPECT_EQ(settingsPathFor(dir / "vkrandom", config), dir / "VKRandom.ini");
    EXPECT_EQ(settingsPathFor("/proc/self/exe", config), fallback);  // not writable even for root
    EXPECT_TRUE(fs::is_directory(config + "/VKRandom"));
    EXPECT_EQ(settingsPathFor(dir / "missing/vkrandom", config), fallback);
    EXPECT_EQ(settingsPathFor("", config), fallback);
    EXPECT_EQ(applicationName(), "platform_tests");
}

TEST_F(Paths, ProgramPathMatchesCaseOnlyWhenUnique) {
    const std::string exact = touch("ACT/A.XML");
    EXPECT_EQ(resolveProgramPath(dir.path(), "ACT\\A.XML"), exact);
    EXPECT_EQ(resolveProgramPath(dir.path() + "/", "ACT\\\\A.XML"), exact);  // empty component
    fs::rename(dir / "ACT", dir / "act");
    fs::rename(dir / "act/A.XML", dir / "act/a.xml");
    EXPECT_EQ(resolveProgramPath(dir.path(), "ACT\\A.XML"), dir / "act/a.xml");
    // Missing files still resolve, so the caller's open fails in the usual way.
    EXPECT_EQ(resolveProgramPath(dir.path(), "Act\\NEW.XML"), dir / "act/NEW.XML");
    EXPECT_EQ(resolveProgramPath(dir.path(), "NONE\\A.XML"), dir / "NONE/A.XML");

    touch("act/A.xml");  // a.xml and A.xml: folding no longer picks one, exact names still win
    for (const char* name : {"A.XML", "a.xml", "A.xml"})
        EXPECT_EQ(resolveProgramPath(dir.path(), "act\\"s + name), dir / "act/" + name);
}

TEST_F(Paths, ProgramPathRefusesEscapesAndKeepsCp932Characters) {
    // The last two: not CP932, and a NUL that the system would take for the end of the name.
    for (const std::string& name : {"\\etc\\passwd"s, "/etc/passwd"s, "E:\\A.XML"s,
                                    "ACT\\..\\..\\A.XML"s, "A\x82"s, "A.XML\0.BAK"s})
        EXPECT_EQ(resolveProgramPath(dir.path(), name), std::nullopt) << name;
    // 表 is 0x95 0x5C: its trail byte is no separator.
    const std::string file = touch("\xE8\xA1\xA8/\xE3\x81\x82.XML");
    EXPECT_EQ(resolveProgramPath(dir.path(), "\x95\x5C\\\x82\xA0.xml"), file);
    EXPECT_EQ(resolveProgramPath("", "tmp\\x"), "/tmp/x");
}

TEST_F(Paths, MountPointIsTheFilesystemRoot) {
    EXPECT_EQ(mountPointOf("/proc/self/status"), "/proc/");
    EXPECT_EQ(mountPointOf("/"), "/");
    const std::string file = touch("card/STARTUP.XML"), mount = mountPointOf(file);
    EXPECT_EQ(file.compare(0, mount.size(), mount), 0);
    struct stat fileStat {}, mountStat {};
    ASSERT_EQ(::stat(file.c_str(), &fileStat) | ::stat(mount.c_str(), &mountStat), 0);
    EXPECT_EQ(fileStat.st_dev, mountStat.st_dev);
    EXPECT_EQ(mountPointOf(dir / "card/missing/../STARTUP.XML"), mount);
}
