// A temporary folder for one test, removed with everything in it afterwards, and small file
// helpers for byte-exact comparisons. std::filesystem only, so every system runs it.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace testing_support {

class TempDir {
  public:
    TempDir() {
        std::random_device random;
        do
            path_ = (std::filesystem::temp_directory_path() /
                     ("vkrandom-" + std::to_string(random()) + std::to_string(random())))
                        .string();
        while (!std::filesystem::create_directory(path_));
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// Test data names files in UTF-8, which Windows' narrow file functions would take for ANSI.
inline std::filesystem::path utf8Path(const std::string& path) {
    return std::u8string(path.begin(), path.end());
}

inline void writeFile(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(utf8Path(path).parent_path());
    std::ofstream(utf8Path(path), std::ios::binary) << bytes;
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(utf8Path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace testing_support
