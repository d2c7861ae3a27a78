// Runs vkrandom-cli as a child process in a throw-away robot folder: a working folder with the
// catalogue, a program folder, a settings file and a lock file of the test's own.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace cli_tests {

namespace fs = std::filesystem;

struct CliResult {
    int status = -1;  // exit status; -1 when the process did not exit normally
    std::string out;
    std::string err;
};

// The 30 slot bytes of random (4-byte source) and of fixed choice n (1..10).
std::string randomSlot();
std::string constantSlot(int choice);
// UTF-8 text as the catalogue's CP932 bytes.
std::string cp932(const std::string& utf8);

std::string readFile(const fs::path& path);
void writeFile(const fs::path& path, const std::string& bytes);

class CliTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Runs the program in work() with this fixture's settings and lock file.
    CliResult run(const std::vector<std::string>& args) const;
    // Runs it without any option added.
    CliResult runBare(const std::vector<std::string>& args) const;

    // Header line, then each UTF-8 line converted to CP932, CR LF line ends.
    void writeCatalogue(const std::vector<std::string>& lines,
                        const std::string& fileName = "Random.csv") const;
    // A settings file with the program folder set to robot() and the given extra lines.
    void writeSettings(const std::string& text) const { writeFile(settings(), text); }
    void useRobotFolder(int connectType = 0, int programType = 1) const;
    // A program file in robot(): `size` bytes of filler with `slot` at `offset`.
    fs::path writeProgram(const std::string& name, int offset, const std::string& slot,
                          std::size_t size = 200) const;

    const fs::path& root() const { return root_; }
    fs::path work() const { return root_ / "work"; }
    fs::path robot() const { return root_ / "robot"; }
    fs::path settings() const { return root_ / "VKRandom.ini"; }
    fs::path lock() const { return root_ / "VKRandom.lock"; }

  private:
    fs::path root_;
};

}  // namespace cli_tests
