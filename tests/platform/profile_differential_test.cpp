// The same tricky settings files read through the system's profile functions and through the
// portable INI module, every difference listed against tests/data/profile/differences.txt. A
// change on either side (a mended reading, a different Wine) shows up as a changed table.
#include <gtest/gtest.h>

#include <sstream>

#include "platform/encoding.h"
#include "platform/file_io.h"
#include "platform/ini_file.h"
#include "support/cases.h"

namespace {

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
    testing_support::TempDir dir;
    const std::string file = dir / "VKRandom.ini";
    std::ostringstream table;
    for (const auto& c : testing_support::readCases("profile/files.txt")) {
        const std::string& content = c.at(1);
        const std::vector<std::uint8_t> bytes(content.begin(), content.end());
        ASSERT_EQ(platform::replaceFileContent(file, bytes).status, platform::ReplaceResult::ok);
        for (const char* key : keys) {
            const std::string system = platform::readProfileString("S", key, "def", file);
            // The file holds CP932; the system side hands values over as UTF-8.
            const std::string ours =
                platform::cp932ToUtf8Lossy(platform::profileStringValue(content, "S", key, "def"));
            if (system != ours)
                table << c[0] << " | " << key << " | string | " << shown(system) << " | "
                      << shown(ours) << '\n';
            const int systemInt = platform::readProfileInt("S", key, 7, file);
            const int oursInt = platform::profileIntValue(content, "S", key, 7);
            if (systemInt != oursInt)
                table << c[0] << " | " << key << " | integer | " << systemInt << " | " << oursInt
                      << '\n';
        }
    }
    std::cout << "file | key | read | system | ours\n" << table.str();
    const auto expected = platform::readWholeFile(std::string(VKRANDOM_SOURCE_DIR) +
                                                  "/tests/data/profile/differences.txt");
    ASSERT_TRUE(expected);
    EXPECT_EQ(table.str(), *expected);
}
