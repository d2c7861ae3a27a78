// The file-error report: which file failed and why, in the words the user reads. The texts are
// the same on both systems; each names the file where %1 stands.
#include "core/file_error.h"

#include <array>

namespace core {
namespace {

using platform::FileErrorCause;

// Indexed by FileErrorCause.
constexpr std::array<std::string_view, platform::fileErrorCauseCount> causeTexts{
    "%1 に書き込めませんでした。",
    "%1 の処理中に原因不明のエラーが発生しました。",
    "%1 が見つかりませんでした。",
    "%1 の名前またはフォルダーの指定が正しくありません。",
    "%1 を開けませんでした。開いているファイルが多すぎます。",
    "%1 へのアクセスが拒否されました。",
    "%1 を操作できませんでした。ファイルの識別子が無効です。",
    "%1 は現在のフォルダーのため削除できません。",
    "%1 を作成できませんでした。フォルダーがいっぱいです。",
    "%1 の読み書きの位置を移動できませんでした。",
    "%1 へのアクセス中にハードウェアの入出力エラーが発生しました。",
    "%1 は他のプログラムが使用中のため、アクセスできません。",
    "%1 の一部が他のプログラムによってロックされています。",
    "%1 に書き込めませんでした。ディスクがいっぱいです。",
    "%1 の終わりを越えて読み書きしようとしました。",
};

}  // namespace

FileError::FileError(std::string path, FileErrorCause cause)
    : std::runtime_error("file write failed: " + path), path_(std::move(path)), cause_(cause) {}

std::string fileErrorText(const FileError& error) {
    const auto index = static_cast<std::size_t>(error.cause());
    std::string text(causeTexts[index < causeTexts.size() ? index : 1]);
    text.replace(text.find("%1"), 2, error.path());
    return text;
}

}  // namespace core
