// Program-file I/O: in-place patches that never grow a file, reads past the end, and write
// failures reported with their cause (/dev/full fails every write, even for root).
#include "platform/file_io.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <numeric>

using namespace platform;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

class FileIo : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/vkrandom-io-XXXXXX";
        dir_ = ::mkdtemp(pattern);
        path_ = dir_ + "/PROG.XML";
    }
    void TearDown() override { fs::remove_all(dir_); }
    void put(const Bytes& data) {
        std::ofstream(path_, std::ios::binary)
            .write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    }
    Bytes get() const { return readPrefix(path_, 1 << 20).value_or(Bytes{}); }
    std::string dir_, path_;
};

Bytes sequence(std::size_t size) {
    Bytes data(size);
    std::iota(data.begin(), data.end(), std::uint8_t{0});
    return data;
}

}  // namespace

TEST_F(FileIo, ReadsStopAtTheEnd) {
    Bytes content = sequence(100);
    put(content);
    EXPECT_EQ(readAt(path_, 90, 30), Bytes(content.begin() + 90, content.end()));
    EXPECT_EQ(readAt(path_, 200, 30), Bytes{});
    EXPECT_EQ(readPrefix(path_, 3), (Bytes{0, 1, 2}));
    EXPECT_EQ(readAt(dir_ + "/missing", 0, 4), std::nullopt);
}

TEST_F(FileIo, PatchNeverExtendsTheFile) {
    put(sequence(100));
    Bytes slot(30, 0xEE);
    std::size_t written = 99;
    ASSERT_TRUE(patchInPlace(path_, 10, slot, UINT64_MAX, &written));
    EXPECT_EQ(written, 30u);
    Bytes expected = sequence(100);
    std::fill(expected.begin() + 10, expected.begin() + 40, 0xEE);
    EXPECT_EQ(get(), expected);

    ASSERT_TRUE(patchInPlace(path_, 90, slot, UINT64_MAX, &written));  // runs past the end
    EXPECT_EQ(written, 10u);
    std::fill(expected.begin() + 90, expected.end(), 0xEE);
    EXPECT_EQ(get(), expected);

    EXPECT_FALSE(patchInPlace(path_, 100, slot, UINT64_MAX, &written));  // wholly beyond
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(get(), expected);
    EXPECT_FALSE(patchInPlace(dir_ + "/missing", 0, slot, UINT64_MAX, &written));
    EXPECT_FALSE(fs::exists(dir_ + "/missing"));
}

TEST_F(FileIo, PatchRespectsTheLimitOnALargeFile) {
    put(sequence(200000));
    Bytes slot(30, 0xAB);
    std::size_t written = 0;
    ASSERT_TRUE(patchInPlace(path_, 199990, slot, 200000, &written));
    EXPECT_EQ(written, 10u);
    ASSERT_TRUE(patchInPlace(path_, 65530, slot, 65536, &written));
    EXPECT_EQ(written, 6u);
    EXPECT_FALSE(patchInPlace(path_, 65536, slot, 65536, &written));
    Bytes expected = sequence(200000);
    std::fill(expected.begin() + 199990, expected.end(), 0xAB);
    std::fill(expected.begin() + 65530, expected.begin() + 65536, 0xAB);
    EXPECT_EQ(get(), expected);
}

TEST_F(FileIo, CopyIsCompleteOrFails) {
    put(sequence(150000));
    std::string copy = dir_ + "/COPY.XML";
    std::ofstream(copy) << std::string(300000, 'z');  // longer target is truncated
    ASSERT_TRUE(copyFileDurably(path_, copy));
    EXPECT_EQ(readPrefix(copy, 1 << 20), sequence(150000));
    EXPECT_FALSE(copyFileDurably(path_, "/dev/full"));
    EXPECT_FALSE(copyFileDurably(dir_ + "/missing", copy));
    EXPECT_FALSE(copyFileDurably(path_, dir_ + "/no/such/dir"));
}

TEST_F(FileIo, ReplaceReportsWhatFailed) {
    Bytes data = sequence(64);
    EXPECT_EQ(replaceFileContent(path_, data).status, ReplaceResult::ok);
    EXPECT_EQ(get(), data);
    ReplaceResult shorter = replaceFileContent(path_, Bytes{1, 2});
    EXPECT_EQ(shorter.status, ReplaceResult::ok);
    EXPECT_EQ(get(), (Bytes{1, 2}));

    ReplaceResult full = replaceFileContent("/dev/full", data);
    EXPECT_EQ(full.status, ReplaceResult::writeFailed);
    EXPECT_EQ(full.error, ENOSPC);
    EXPECT_EQ(fileErrorCauseOf(full.error), FileErrorCause::diskFull);
    ReplaceResult noDir = replaceFileContent(dir_ + "/no/such/file", data);
    EXPECT_EQ(noDir.status, ReplaceResult::openFailed);
    EXPECT_EQ(noDir.error, ENOENT);
    EXPECT_EQ(fileErrorCauseOf(noDir.error), FileErrorCause::generic);
    EXPECT_EQ(fileErrorCauseOf(EROFS), FileErrorCause::accessDenied);
    EXPECT_EQ(fileErrorCauseOf(EIO), FileErrorCause::hardwareIo);
}
