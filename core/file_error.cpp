// The file-error report: which file failed and why, in the words the user reads.
#include "core/file_error.h"

namespace core {
namespace {

std::string_view causeText(platform::FileErrorCause cause) {
    switch (cause) {
        case platform::FileErrorCause::diskFull:
            return "ディスクがいっぱいです。";
        case platform::FileErrorCause::accessDenied:
            return "アクセスが拒否されました。";
        case platform::FileErrorCause::hardwareIo:
            return "ハードウェアの入出力エラーが発生しました。";
        case platform::FileErrorCause::generic:
            break;
    }
    return "原因不明のエラーが発生しました。";
}

}  // namespace

FileError::FileError(std::string path, platform::FileErrorCause cause)
    : std::runtime_error("file write failed: " + path), path_(std::move(path)), cause_(cause) {}

std::string fileErrorText(const FileError& error) {
    return "ファイル " + error.path() + " に書き込めませんでした。" + std::string(causeText(error.cause()));
}

}  // namespace core
