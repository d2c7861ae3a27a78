// The numbered texts the tool shows in message boxes, exactly as users know them.
#pragma once

#include <string>
#include <string_view>

#include "transfer/card_client.h"

namespace core {

enum MessageId : int {
    msgAboutMenu = 101,
    msgCatalogueReadFailed = 102,
    msgAlreadyRunning = 106,
    msgRemoteWriteFailed = 108,
    msgExportFailed = 112,
    msgExportSucceeded = 113,
    msgRemoteLogMissing = 116,
    msgDirectCopyFailed = 117,
    msgCardCommFailed = 119,
    msgCardUnreachable = 120,
    msgCardUploadFailed = 121,
    msgProgramReadFailed = 122,
    msgChooseStartup = 131,
    msgUseSettings = 139,
    // Beyond the original program: all back to random, undo, the card's host.
    msgResetAsk = 150,
    msgResetDone = 151,
    msgResetNothing = 152,
    msgUndoAsk = 153,
    msgUndoDone = 154,
    msgUndoNothing = 155,
    msgCardHostInvalid = 156,
};

// UTF-8 text of a message id ("\n" is a line feed); empty for an unknown id.
std::string_view messageText(int id);

// `text` with its %1 replaced by `insert` (the error description of 119); a text without %1
// gets a non-empty `insert` on a line of its own after it (what failed, in detail), as it gets
// a non-empty `detail` in any case.
std::string applyInsert(std::string text, std::string_view insert, std::string_view detail = {});
// Text of `id` with `insert` and `detail` applied.
std::string formatMessage(int id, std::string_view insert, std::string_view detail = {});

class Prompts;

// What the card client says went wrong, shown as the message users know for it (119, 120,
// 121), with the description.
class CardMessages : public transfer::CardFaultSink {
  public:
    explicit CardMessages(Prompts& prompts) : prompts_(prompts) {}
    void cardFault(transfer::CardFault fault, std::string_view description) override;
    // While quiet, failures are only noted: reading every entry's state shows no box per file.
    void setQuiet(bool quiet) {
        quiet_ = quiet;
        failedQuietly_ = false;
    }
    bool failedQuietly() const { return failedQuietly_; }

  private:
    Prompts& prompts_;
    bool quiet_ = false;
    bool failedQuietly_ = false;
};

// Why an entry cannot be exported or a write was refused: shown with the entry and after 112.
inline constexpr std::string_view reasonFileMissing = "ファイルが見つかりません";
inline constexpr std::string_view reasonOutsideFile = "書き換える場所がファイルの外にあります";
inline constexpr std::string_view reasonNotWholeSlot =
    "この場所はランダムの設定ではありません（カタログがこのプログラムに合っていない可能性があります"
    "）";
inline constexpr std::string_view reasonCardUnread = "カードから読み込めません";
inline constexpr std::string_view reasonTooLargeOnCard =
    "ファイルが大きすぎてカードでは書き換えられません（139,264 バイトまで）";
inline constexpr std::string_view reasonBeyondLabels = "選択肢にない値が書かれています";
inline constexpr std::string_view reasonDuplicate = "同じ名前の項目が前にあります";
inline constexpr std::string_view reasonNameTooLong = "ファイル名が長すぎます";
inline constexpr std::string_view reasonChangedSince = "変更の後に書き換えられています";
inline constexpr std::string_view reasonChangedMeanwhile = "読んだ後にファイルが書き換えられました";
inline constexpr std::string_view randomLabel = "ランダム(標準)";

// Open-file filters: description and pattern.
inline constexpr std::string_view startupFilterDescription = "Vesk起動ﾌﾟﾛｸﾞﾗﾑ";
inline constexpr std::string_view startupFileName = "STARTUP.XML";
inline constexpr std::string_view remoteFilterDescription = "ﾘﾓｰﾄﾌｧｲﾙ";
inline constexpr std::string_view remoteLogName = "REMOTE.LOG";

}  // namespace core
