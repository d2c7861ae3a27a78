// The same tricky settings files read through the system's profile functions and through the
// portable INI module, every difference listed against tests/data/profile/differences.txt. A
// change on either side (a mended reading, a different Wine) shows up as a changed table.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sstream>

#include "platform/encoding.h"
#include "platform/file_io.h"
#include "platform/ini_file.h"

namespace {

struct Case {
    const char* name;
    std::string_view content;
};

// Each file answers the same keys of section S; the bytes are what users' files may hold.
constexpr Case cases[] = {
    {"duplicates", "[S]\r\nK=first\r\nK=second\r\n[S]\r\nJ=second section\r\n"},
    {"case", "[s]\r\nk=lower\r\n"},
    {"quotes", "[S]\r\nK=\"quoted\"\r\nJ='single'\r\nQ=\"mixed'\r\nM=in\"side\"\r\n"},
    {"blanks", "  [ S ]  \r\n  K  =  spaced value  \r\n\tJ\t=\ttab\t\r\nE=\r\n"},
    {"comments", "[S]\r\n;K=commented\r\n#J=hash\r\nQ=v ; not a comment\r\n"},
    {"before-section", "K=orphan\r\n[S]\r\nJ=j\r\n"},
    {"bom", "\xEF\xBB\xBF[S]\r\nK=bom\r\n"},
    {"cr-only", "[S]\rK=cr\rJ=j\r"},
    {"lf", "[S]\nK=lf\nJ=j\n"},
    {"integers", "[S]\r\nK= -12abc\r\nJ=4294967297\r\nQ=0x10\r\nM=abc\r\nE=\r\n"},
    {"section-trailer", "[S] trailer\r\nK=after\r\n"},
    {"no-equals", "[S]\r\nK\r\nJ=j\r\n"},
    {"cp932", "[S]\r\nK=C:\\\x83\x5C\x83\x74\x83\x67\r\n"},
};
constexpr const char* keys[] = {"K", "J", "Q", "M", "E", "X"};

std::string shown(const std::string& text) {
    std::ostringstream out;
    for (const unsigned char c : text) {
        if (c < 0x20 || c == '|')
            out << "\\x" << std::hex << int{c} << std::dec;
        else
            out << c;
    }
    return out.str();
}

}  // namespace

TEST(ProfileDifferential, SystemAndPortableReadingsDifferOnlyAsListed) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("vkrandom-profile-" + std::to_string(std::random_device{}()) + ".ini");
    const std::u8string name = path.u8string();
    const std::string file(name.begin(), name.end());
    std::ostringstream table;
    for (const Case& c : cases) {
        const std::vector<std::uint8_t> bytes(c.content.begin(), c.content.end());
        ASSERT_EQ(platform::replaceFileContent(file, bytes).status, platform::ReplaceResult::ok);
        for (const char* key : keys) {
            const std::string system = platform::readProfileString("S", key, "def", file);
            // The file holds CP932; the system side hands values over as UTF-8.
            const std::string ours = platform::cp932ToUtf8Lossy(
                platform::profileStringValue(c.content, "S", key, "def"));
            if (system != ours)
                table << c.name << " | " << key << " | string | " << shown(system) << " | "
                      << shown(ours) << '\n';
            const int systemInt = platform::readProfileInt("S", key, 7, file);
            const int oursInt = platform::profileIntValue(c.content, "S", key, 7);
            if (systemInt != oursInt)
                table << c.name << " | " << key << " | integer | " << systemInt << " | " << oursInt
                      << '\n';
        }
    }
    std::filesystem::remove(path);
    std::cout << "file | key | read | system | ours\n" << table.str();
    const auto expected = platform::readWholeFile(std::string(VKRANDOM_SOURCE_DIR) +
                                                  "/tests/data/profile/differences.txt");
    ASSERT_TRUE(expected);
    EXPECT_EQ(table.str(), *expected);
}
