// The settings file as users' files and hand edits rely on (tests/data/settings_cases.txt),
// CP932 conversion, and how catalogue names become paths inside the program folder.
#include <gtest/gtest.h>

#include "platform/encoding.h"
#include "platform/file_io.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "support/cases.h"

using namespace platform;
using namespace std::string_literals;
using testing_support::readFile;
using testing_support::writeFile;

TEST(SettingsFile, ReadsAndWritesEveryCaseOfTheTable) {
    testing_support::TempDir dir;
    const std::string path = dir / "VKRandom.ini";
    for (const auto& c : testing_support::readCases("settings_cases.txt")) {
        std::filesystem::remove(path);
        if (c[1] != "-") writeFile(path, c[1]);
        for (std::size_t k = 2; c[0] == "R" && k < c.size(); k += 4) {
            SCOPED_TRACE(c[1] + " " + c[k] + "/" + c[k + 1]);
            EXPECT_EQ(readProfileString(c[k], c[k + 1], "def", path), c[k + 2]);
            EXPECT_EQ(readProfileInt(c[k], c[k + 1], 99, path), std::stoi(c[k + 3]));
        }
        if (c[0] == "W") {
            SCOPED_TRACE(c[1] + " " + c[2] + "/" + c[3]);
            ASSERT_TRUE(writeProfileString(c[2], c[3], c[4], path));
            EXPECT_EQ(readFile(path), c[5]);
        }
    }
    // Defaults lose their trailing blanks and are cut to the callers' 260-byte buffer too.
    EXPECT_EQ(readProfileString("DATA", "NONE", " d  ", path), " d");
    EXPECT_EQ(readProfileString("DATA", "NONE", std::string(300, 'p'), path),
              std::string(259, 'p'));
    // A line break in a value would add lines of its own: refused, the file unchanged.
    const std::string before = readFile(path);
    for (const char* value : {"a\nVERSION=4", "a\rVERSION=4"})
        EXPECT_FALSE(writeProfileString("DATA", "PATH", value, path));
    EXPECT_EQ(readFile(path), before);
    // No temporary file is left beside it; a parent that is a file cannot hold one.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    EXPECT_FALSE(writeProfileString("DATA", "PATH", "c", path + "/VKRandom.ini"));
}

TEST(Encoding, MicrosoftTableTrailBytesAndDamagedInput) {
    // あ; 0x8160, which is U+FF5E in CP932; 表, whose 0x5C trail byte stays in the character.
    for (const auto& [cp932, utf8] : {std::pair{"\x82\xA0", "\xE3\x81\x82"},
                                      {"\x81\x60", "\xEF\xBD\x9E"},
                                      {"\x95\x5C", "\xE8\xA1\xA8"}}) {
        EXPECT_EQ(cp932ToUtf8(cp932), utf8);
        EXPECT_EQ(utf8ToCp932(utf8), cp932);
    }
    EXPECT_EQ(cp932ToUtf8("\xB1"), "\xEF\xBD\xB1");  // half-width katakana
    EXPECT_EQ(cp932ToUtf8("a\x82"), std::nullopt);
    EXPECT_EQ(utf8ToCp932("\xF0\x9F\x98\x80"), std::nullopt);
    EXPECT_EQ(cp932ToUtf8Lossy("\xA0\x82\xA0z"), "\xEF\xBF\xBD\xE3\x81\x82z");
    EXPECT_EQ(cp932Truncate("ab\x82\xA0", 3), "ab");
    EXPECT_EQ(cp932Truncate("\xB1\xB2", 1), "\xB1");
}

TEST(ProgramPath, StaysInsideTheFolderAndKeepsCp932Characters) {
    testing_support::TempDir dir;
    // Absolute, drive, parent, not CP932, and a NUL the system would take for the end.
    for (const std::string& name : {"\\etc\\passwd"s, "/etc/passwd"s, "E:\\A.XML"s,
                                    "ACT\\..\\..\\A.XML"s, ".."s, "A\x82"s, "A.XML\0.BAK"s})
        EXPECT_EQ(resolveProgramPath(dir.path(), name), std::nullopt) << name;
    // 表 is 0x95 0x5C: its trail byte is no separator.
    writeFile(dir / "\xE8\xA1\xA8/\xE3\x81\x82.XML", "x");
    const auto path = resolveProgramPath(dir.path(), "\x95\x5C\\\x82\xA0.XML");
    ASSERT_TRUE(path);
    EXPECT_EQ(platform::readWholeFile(*path), "x");
}
