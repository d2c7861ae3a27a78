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
};

// UTF-8 text of a message id ("\n" is a line feed); empty for an unknown id.
std::string_view messageText(int id);

// `text` with its %1 replaced by `insert` (the error description of 119); a text without %1
// gets a non-empty `insert` on a line of its own after it (what failed, in detail).
std::string applyInsert(std::string text, std::string_view insert);
// Text of `id` with `insert` applied.
std::string formatMessage(int id, std::string_view insert);

class Prompts;

// What the card client says went wrong, shown as the message users know for it (119, 120,
// 121), with the description.
class CardMessages : public transfer::CardFaultSink {
  public:
    explicit CardMessages(Prompts& prompts) : prompts_(prompts) {}
    void cardFault(transfer::CardFault fault, std::string_view description) override;

  private:
    Prompts& prompts_;
};

// Why an entry cannot be exported or a write was refused: shown with the entry and after 112.
inline constexpr std::string_view reasonFileMissing = "ファイルが見つかりません";
inline constexpr std::string_view reasonOutsideFile = "書き換える場所がファイルの外にあります";
inline constexpr std::string_view reasonNotWholeSlot =
    "この場所はランダムの設定ではありません（カタログがこのプログラムに合っていない可能性があります"
    "）";
inline constexpr std::string_view reasonCardUnread = "カードから読み込めません";
inline constexpr std::string_view reasonBeyondLabels = "選択肢にない値が書かれています";

// Open-file filters: description and pattern.
inline constexpr std::string_view startupFilterDescription = "Vesk起動ﾌﾟﾛｸﾞﾗﾑ";
inline constexpr std::string_view startupFileName = "STARTUP.XML";
inline constexpr std::string_view remoteFilterDescription = "ﾘﾓｰﾄﾌｧｲﾙ";
inline constexpr std::string_view remoteLogName = "REMOTE.LOG";

}  // namespace core
