// Catalogue file names as paths on this machine: whatever the bytes, the path the system is
// handed (up to its first NUL, as open() reads it) stays inside the program folder.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "platform/paths.h"
#include "scratch_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A small program folder with subfolders, so the case-insensitive lookup has names to match.
    static const ScratchFile folder("paths");
    static const bool made = [] {
        for (const char* file : {"STARTUP.XML", "ACT/A.XML", "Act2/b.xml", "ACT/SUB/C.XML"}) {
            std::filesystem::create_directories(std::filesystem::path(folder.path() + "/" + file).parent_path());
            std::ofstream(folder.path() + "/" + file) << "x";
        }
        return true;
    }();
    (void)made;
    const auto path = platform::resolveProgramPath(folder.path(), std::string_view(reinterpret_cast<const char*>(data), size));
    if (!path) return 0;
    const std::string seen = path->substr(0, path->find('\0'));
    FUZZ_CHECK(seen.starts_with(folder.path() + "/"));
    std::string_view rest = std::string_view(seen).substr(folder.path().size() + 1);
    for (std::size_t slash = 0; slash != std::string_view::npos; rest.remove_prefix(slash + 1)) {
        slash = rest.find('/');
        const auto part = rest.substr(0, slash);
        FUZZ_CHECK(!part.empty() && part != "." && part != "..");
        if (slash == std::string_view::npos) break;
    }
    return 0;
}
