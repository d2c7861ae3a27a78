// Native paths: where the settings file goes, how catalogue names (CP932, '\') find files on a
// case-insensitive card copy, and which mount point stands for a drive root.
#include "platform/paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

using namespace platform;
namespace fs = std::filesystem;

namespace {

class Paths : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/vkrandom-paths-XXXXXX";
        dir_ = ::mkdtemp(pattern);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string touch(const std::string& relative) {
        fs::path path = fs::path(dir_) / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "x";
        return path.string();
    }
    std::string dir_;
};

}  // namespace

TEST_F(Paths, SettingsFileBesideExecutableOrInConfigHome) {
    std::string config = dir_ + "/config";
    EXPECT_EQ(settingsPathFor(dir_ + "/vkrandom", config), dir_ + "/VKRandom.ini");
    // /proc/self is not writable even for root.
    EXPECT_EQ(settingsPathFor("/proc/self/exe", config), config + "/VKRandom/VKRandom.ini");
    EXPECT_TRUE(fs::is_directory(config + "/VKRandom"));
    EXPECT_EQ(settingsPathFor(dir_ + "/missing/vkrandom", config),
              config + "/VKRandom/VKRandom.ini");
    EXPECT_EQ(settingsPathFor("", config), config + "/VKRandom/VKRandom.ini");
    EXPECT_EQ(applicationName(), "platform_tests");
}

TEST_F(Paths, ProgramPathMatchesCaseOnlyWhenUnique) {
    std::string exact = touch("ACT/A.XML");
    EXPECT_EQ(resolveProgramPath(dir_, "ACT\\A.XML"), exact);
    EXPECT_EQ(resolveProgramPath(dir_ + "/", "ACT\\\\A.XML"), exact);  // empty component
    fs::rename(dir_ + "/ACT", dir_ + "/act");
    fs::rename(dir_ + "/act/A.XML", dir_ + "/act/a.xml");
    EXPECT_EQ(resolveProgramPath(dir_, "ACT\\A.XML"), dir_ + "/act/a.xml");
    // Missing files still resolve, so the caller's open fails in the usual way.
    EXPECT_EQ(resolveProgramPath(dir_, "Act\\NEW.XML"), dir_ + "/act/NEW.XML");
    EXPECT_EQ(resolveProgramPath(dir_, "NONE\\A.XML"), dir_ + "/NONE/A.XML");

    touch("act/A.xml");  // a.xml and A.xml: folding no longer picks one, exact names still win
    EXPECT_EQ(resolveProgramPath(dir_, "act\\A.XML"), dir_ + "/act/A.XML");
    EXPECT_EQ(resolveProgramPath(dir_, "act\\a.xml"), dir_ + "/act/a.xml");
    EXPECT_EQ(resolveProgramPath(dir_, "act\\A.xml"), dir_ + "/act/A.xml");
}

TEST_F(Paths, ProgramPathRefusesEscapesAndKeepsCp932Characters) {
    EXPECT_EQ(resolveProgramPath(dir_, "\\etc\\passwd"), std::nullopt);
    EXPECT_EQ(resolveProgramPath(dir_, "/etc/passwd"), std::nullopt);
    EXPECT_EQ(resolveProgramPath(dir_, "E:\\A.XML"), std::nullopt);
    EXPECT_EQ(resolveProgramPath(dir_, "ACT\\..\\..\\A.XML"), std::nullopt);
    EXPECT_EQ(resolveProgramPath(dir_, "A\x82"), std::nullopt);  // not CP932
    // 表 is 0x95 0x5C: its trail byte is no separator.
    std::string file = touch("\xE8\xA1\xA8/\xE3\x81\x82.XML");
    EXPECT_EQ(resolveProgramPath(dir_, "\x95\x5C\\\x82\xA0.xml"), file);
    EXPECT_EQ(resolveProgramPath("", "tmp\\x"), "/tmp/x");
}

TEST_F(Paths, MountPointIsTheFilesystemRoot) {
    EXPECT_EQ(mountPointOf("/proc/self/status"), "/proc/");
    EXPECT_EQ(mountPointOf("/"), "/");
    std::string file = touch("card/STARTUP.XML");
    std::string mount = mountPointOf(file);
    ASSERT_FALSE(mount.empty());
    EXPECT_EQ(mount.back(), '/');
    EXPECT_EQ(file.compare(0, mount.size(), mount), 0);
    struct stat fileStat {
    }, mountStat{};
    ASSERT_EQ(::stat(file.c_str(), &fileStat), 0);
    ASSERT_EQ(::stat(mount.c_str(), &mountStat), 0);
    EXPECT_EQ(fileStat.st_dev, mountStat.st_dev);
    EXPECT_EQ(mountPointOf(dir_ + "/card/missing/../STARTUP.XML"), mount);
}
