// Catalogue file names, whatever their bytes: as a path on this machine, the path the system is
// handed (up to its first NUL, as open() reads it) stays inside the program folder; as a card
// path, nothing is written past the buffer's capacity, the encoded form is upper-case "%XX"
// triplets of exactly the UTF-8 bytes, and a name that does not fit is refused, never cut.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "fuzz_check.h"
#include "platform/encoding.h"
#include "platform/paths.h"
#include "scratch_file.h"
#include "transfer/card_client.h"

namespace {

void staysInsideTheFolder(const std::string& name) {
    // A small program folder with subfolders, so the case-insensitive lookup has names to match.
    static const ScratchFile folder("paths");
    static const bool made = [] {
        for (const char* file : {"STARTUP.XML", "ACT/A.XML", "Act2/b.xml", "ACT/SUB/C.XML"}) {
            std::filesystem::create_directories(
                std::filesystem::path(folder.path() + "/" + file).parent_path());
            std::ofstream(folder.path() + "/" + file) << "x";
        }
        return true;
    }();
    (void)made;
    const auto path = platform::resolveProgramPath(folder.path(), name);
    if (!path) return;
    const std::string seen = path->substr(0, path->find('\0'));
    FUZZ_CHECK(seen.starts_with(folder.path() + "/"));
    std::string_view rest = std::string_view(seen).substr(folder.path().size() + 1);
    for (std::size_t slash = 0; slash != std::string_view::npos; rest.remove_prefix(slash + 1)) {
        slash = rest.find('/');
        const auto part = rest.substr(0, slash);
        FUZZ_CHECK(!part.empty() && part != "." && part != "..");
        if (slash == std::string_view::npos) break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const auto capacity = input.ConsumeIntegralInRange<std::size_t>(0, 1024);
    const std::string text = input.ConsumeRemainingBytesAsString();
    staysInsideTheFolder(text);
    // What the card may be sent: CP932 text without NUL bytes (a NUL would end the name early).
    const auto utf8 =
        text.find('\0') == std::string::npos ? platform::cp932ToUtf8(text) : std::nullopt;
    std::string encoded;
    if (utf8)
        for (const unsigned char byte : *utf8) {
            char triplet[4];
            std::snprintf(triplet, sizeof triplet, "%%%02X", unsigned{byte});
            encoded += triplet;
        }
    FUZZ_CHECK(transfer::toUtf8(text, nullptr, 0) ==
               (utf8 ? std::optional(utf8->size() + 1) : std::nullopt));
    for (const bool percent : {true, false}) {
        // Exactly `capacity` bytes of their own, so one byte too many is an ASan report.
        auto buffer = std::make_unique<char[]>(capacity);
        const auto result = percent ? transfer::percentEncodePath(text, buffer.get(), capacity)
                                    : transfer::toUtf8(text, buffer.get(), capacity);
        const std::string expected = percent ? encoded : utf8.value_or("");
        if (!result) {
            FUZZ_CHECK(capacity == 0 || buffer[0] == '\0');
            FUZZ_CHECK(!utf8 || expected.size() + 1 > capacity);
            continue;
        }
        FUZZ_CHECK(utf8 && *result == utf8->size() && buffer.get() == expected);
    }
    return 0;
}
