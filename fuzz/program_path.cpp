// Catalogue file names as paths on this machine: whatever the bytes, the path the system is
// handed (up to its first NUL, as open() reads it) stays inside the program folder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "platform/paths.h"

namespace {

// A small program folder with subfolders, so the case-insensitive lookup has names to match;
// removed when the run ends.
struct ProgramFolder {
    std::string path;
    ProgramFolder() {
        std::string pattern = std::filesystem::temp_directory_path() / "vkrandom-fuzz-paths-XXXXXX";
        FUZZ_CHECK(::mkdtemp(pattern.data()) != nullptr);
        path = pattern;
        for (const char* dir : {"ACT", "Act2", "ACT/SUB", "\xef\xbd\xb1"})
            std::filesystem::create_directories(path + "/" + dir);
        for (const char* file : {"STARTUP.XML", "ACT/A.XML", "Act2/b.xml", "ACT/SUB/C.XML"})
            std::ofstream(path + "/" + file) << "x";
    }
    ~ProgramFolder() { std::filesystem::remove_all(path); }
};

const std::string& programFolder() {
    static const ProgramFolder folder;
    return folder.path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view name(reinterpret_cast<const char*>(data), size);
    const auto path = platform::resolveProgramPath(programFolder(), name);
    if (!path) return 0;
    const std::string seen = path->substr(0, path->find('\0'));
    FUZZ_CHECK(seen.starts_with(programFolder() + "/"));
    std::string_view rest = std::string_view(seen).substr(programFolder().size() + 1);
    while (true) {
        const auto slash = rest.find('/');
        const auto part = rest.substr(0, slash);
        FUZZ_CHECK(!part.empty() && part != "." && part != "..");
        if (slash == std::string_view::npos) break;
        rest.remove_prefix(slash + 1);
    }
    return 0;
}
