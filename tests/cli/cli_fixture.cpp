#include "cli_fixture.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/encoding.h"

namespace cli_tests {

std::string randomSlot() {
    return R"(<mem_r size="4" adr="0x0084"/>)";
}

std::string constantSlot(int choice) {
    return "<const data=\"" + std::to_string(choice - 1) + "\"/>\r\n" + std::string(11, ' ');
}

std::string cp932(const std::string& utf8) {
    auto converted = platform::utf8ToCp932(utf8);
    if (!converted) ADD_FAILURE() << "not representable in CP932: " << utf8;
    return converted.value_or("");
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

void CliTest::SetUp() {
    std::string pattern = (fs::temp_directory_path() / "vkrandom-cli-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    fs::create_directories(work());
    writeFile(robot() / "STARTUP.XML", "<startup/>\r\n");
}

void CliTest::TearDown() {
    fs::remove_all(root_);
}

CliResult CliTest::run(const std::vector<std::string>& args) const {
    std::vector<std::string> full{"--settings", settings().string(), "--lock", lock().string()};
    full.insert(full.end(), args.begin(), args.end());
    return runBare(full);
}

// fork and exec with stdout and stderr sent to files, so neither pipe can fill up and block.
CliResult CliTest::runBare(const std::vector<std::string>& args) const {
    const fs::path outPath = root_ / "stdout.txt", errPath = root_ / "stderr.txt";
    std::vector<std::string> argv{VKRANDOM_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cargv;
    for (auto& arg : argv) cargv.push_back(arg.data());
    cargv.push_back(nullptr);

    const pid_t pid = fork();
    if (pid == 0) {
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(126);
        if (chdir(work().c_str()) != 0) _exit(126);
        // Keep the child away from the user's real settings and lock, whatever a test forgets.
        setenv("XDG_RUNTIME_DIR", root_.c_str(), 1);
        setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
        execv(cargv[0], cargv.data());
        _exit(127);
    }
    CliResult result;
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        result.status = WEXITSTATUS(status);
    result.out = readFile(outPath);
    result.err = readFile(errPath);
    return result;
}

void CliTest::writeCatalogue(const std::vector<std::string>& lines,
                             const std::string& fileName) const {
    std::string text = cp932("マスク,名前,コメント,ファイル,種類,位置,選択肢\r\n");
    for (const auto& line : lines) text += cp932(line) + "\r\n";
    writeFile(work() / fileName, text);
}

void CliTest::useRobotFolder(int connectType, int programType) const {
    std::ostringstream text;
    text << "[DATA]\r\nVERSION=" << programType << "\r\nPATH=" << robot().string()
         << "\r\n[REMOTE]\r\nCONNECT_TYPE=" << connectType << "\r\n";
    writeSettings(text.str());
}

fs::path CliTest::writeProgram(const std::string& name, int offset, const std::string& slot,
                               std::size_t size) const {
    std::string bytes(size, 'x');
    bytes.replace(static_cast<std::size_t>(offset), slot.size(), slot);
    writeFile(robot() / name, bytes);
    return robot() / name;
}

}  // namespace cli_tests
