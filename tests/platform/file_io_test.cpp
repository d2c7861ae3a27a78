// Whole-file copies and replacements, and write failures reported with their cause (/dev/full
// fails every write, even for root). Slot patches and reads are exercised through the session.
#include "platform/file_io.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <numeric>

#include "support/temp_dir.h"

using namespace platform;
using Bytes = std::vector<std::uint8_t>;

TEST(FileIo, CopyIsCompleteOrFailsAndReplaceReportsWhatFailed) {
    testing_support::TempDir dir;
    const std::string path = dir / "PROG.XML", copy = dir / "COPY.XML";
    Bytes data(150000);
    std::iota(data.begin(), data.end(), std::uint8_t{0});
    // A replacement creates a missing file; a copy truncates a longer target.
    ASSERT_EQ(replaceFileContent(path, data).status, ReplaceResult::ok);
    testing_support::writeFile(copy, std::string(300000, 'z'));
    ASSERT_TRUE(copyFileDurably(path, copy));
    EXPECT_EQ(readPrefix(copy, 1 << 20), data);
    EXPECT_FALSE(copyFileDurably(path, "/dev/full"));
    EXPECT_FALSE(copyFileDurably(dir / "missing", copy));
    EXPECT_FALSE(copyFileDurably(path, dir / "no/such/dir"));
    EXPECT_EQ(replaceFileContent(path, Bytes{1, 2}).status, ReplaceResult::ok);
    EXPECT_EQ(readPrefix(path, 16), (Bytes{1, 2}));

    const ReplaceResult full = replaceFileContent("/dev/full", data);
    EXPECT_EQ(full.status, ReplaceResult::writeFailed);
    EXPECT_EQ(fileErrorCauseOf(full.error), FileErrorCause::diskFull);
    const ReplaceResult noDir = replaceFileContent(dir / "no/such/file", data);
    EXPECT_EQ(noDir.status, ReplaceResult::openFailed);
    EXPECT_EQ(noDir.error, ENOENT);
    EXPECT_EQ(fileErrorCauseOf(noDir.error), FileErrorCause::notFound);
}
