// The numbered texts the tool shows in message boxes, exactly as users know them.
#pragma once

#include <string>
#include <string_view>

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

// Text of `id` with its %1 replaced by `insert`, after trailing bytes below 0x20 were trimmed
// from the insert (the error description of 119).
std::string formatMessage(int id, std::string_view insert);

// Trims trailing bytes below 0x20 and cuts to 259 bytes (on a UTF-8 character boundary).
std::string trimErrorDescription(std::string_view text);

// Open-file filters: description and pattern.
inline constexpr std::string_view startupFilterDescription = "Vesk起動ﾌﾟﾛｸﾞﾗﾑ";
inline constexpr std::string_view startupFileName = "STARTUP.XML";
inline constexpr std::string_view remoteFilterDescription = "ﾘﾓｰﾄﾌｧｲﾙ";
inline constexpr std::string_view remoteLogName = "REMOTE.LOG";

}  // namespace core
