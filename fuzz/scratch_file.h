// One scratch file for a whole fuzz run, rewritten for every input, removed at the end.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "fuzz_check.h"

class ScratchFile {
  public:
    explicit ScratchFile(const std::string& name) {
        std::string pattern =
            std::filesystem::temp_directory_path() / ("vkrandom-fuzz-" + name + "-XXXXXX");
        const int fd = ::mkstemp(pattern.data());
        FUZZ_CHECK(fd >= 0);
        ::close(fd);
        path_ = pattern;
    }
    ~ScratchFile() { ::unlink(path_.c_str()); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // Makes the file hold exactly `bytes`; returns its path.
    const std::string& holding(std::string_view bytes) const {
        const int fd = ::open(path_.c_str(), O_WRONLY | O_TRUNC);
        FUZZ_CHECK(fd >= 0);
        FUZZ_CHECK(::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()));
        ::close(fd);
        return path_;
    }

  private:
    std::string path_;
};
