// The file-error box: every cause names the file in words of its own, and the errors the system
// reports reach distinct causes rather than falling back to the unknown one.
#include "core/file_error.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <set>

TEST(FileError, EveryCauseNamesTheFileInItsOwnWords) {
    const std::string path = "/media/ロボット/ADDON/REMOTE.LOG";
    auto text = [&](platform::FileErrorCause cause) {
        return core::fileErrorText(core::FileError(path, cause));
    };
    std::set<std::string> texts;
    for (int i = 0; i < platform::fileErrorCauseCount; ++i) {
        const std::string t = text(static_cast<platform::FileErrorCause>(i));
        EXPECT_NE(t.find(path), std::string::npos) << t;
        EXPECT_EQ(t.find("%1"), std::string::npos) << t;
        texts.insert(t);
    }
    EXPECT_EQ(texts.size(), std::size_t(platform::fileErrorCauseCount));

    // One system error per cause that POSIX can report, plus one it has no cause for.
    const int errors[] = {0,      EINVAL, ENOENT,    ENAMETOOLONG, ENFILE,  EROFS,  EBADF,
                          EMLINK, ESPIPE, ENOMEDIUM, EBUSY,        EDEADLK, EDQUOT, EFBIG};
    std::set<std::string> reported;
    for (int error : errors) reported.insert(text(platform::fileErrorCauseOf(error)));
    EXPECT_EQ(reported.size(), std::size(errors));
}
