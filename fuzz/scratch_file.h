// One scratch file for a whole fuzz run, rewritten for every input, removed at the end.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

#include "fuzz_check.h"

class ScratchFile {
  public:
    explicit ScratchFile(const std::string& name)
        : path_((std::filesystem::temp_directory_path() /
                 ("vkrandom-fuzz-" + name + "-" + std::to_string(std::random_device()())))
                    .string()) {}
    ~ScratchFile() { std::filesystem::remove_all(path_); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::string& path() const { return path_; }
    // Makes the file hold exactly `bytes`; returns its path.
    const std::string& holding(std::string_view bytes) const {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        FUZZ_CHECK(out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())).flush());
        return path_;
    }

  private:
    std::string path_;
};
