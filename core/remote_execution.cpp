// Direct execution: the robot runs a program placed as ADDON/TEMP.VX4 once the 16-byte command
// record lands in ADDON/REMOTE.LOG, over USB (files on the mounted card) or through the card's
// HTTP interface. Each file reaches the device before the next step starts.
#include <cstdio>
#include <vector>

#include "core/choice_slot.h"
#include "core/file_error.h"
#include "core/messages.h"
#include "core/random_editor.h"
#include "core/slot_access.h"
#include "platform/clock.h"
#include "platform/file_io.h"
#include "platform/paths.h"

namespace core {
namespace {

constexpr std::string_view programCopyName = "ADDON\\TEMP.VX4";
constexpr std::string_view remoteLogPath = "ADDON\\REMOTE.LOG";

void putWord(RemoteLogRecord& r, std::size_t at, std::uint16_t value) {
    r[at] = static_cast<std::uint8_t>(value & 0xFF);
    r[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

// A file of the card's ADDON folder: the remote folder text followed directly by the name.
std::string onCard(const std::string& remoteDir, std::string_view name) {
    return remoteDir + platform::nativeRelativePath(name);
}

OpenFileQuestion remoteLogQuestion(std::string initialName) {
    return {std::string(remoteFilterDescription), std::string(remoteLogName), "LOG",
            std::move(initialName)};
}

}  // namespace

RemoteLogRecord buildRemoteLogRecord(int playerType, int remoteInterval) {
    RemoteLogRecord r{};
    r[0] = playerType == 0 || playerType == 3 ? 0xFE : 0xFF;
    r[1] = 0xFF;
    putWord(r, 2, 904);
    putWord(r, 6, static_cast<std::uint16_t>(remoteInterval / 40));
    putWord(r, 8, 5);
    return r;
}

bool CRandomEditor::executeSelected() {
    if (selectedIndex_ < 0 || selectedIndex_ >= itemCount()) return false;
    if (settings_.connectType != 1 && settings_.connectType != 2) return false;
    const auto path = programPathOf(item(selectedIndex_));
    executed_ = false;
    const bool result = settings_.connectType == 2 ? executeOnCard(path) : executeOverUsb(path);
    if (executed_) {
        const std::tm now = platform::localNow();
        char time[8];
        std::snprintf(time, sizeof time, "%02d:%02d", now.tm_hour, now.tm_min);
        executedAt_ = time;
    }
    if (owner_) showStates(*owner_);
    return result;
}

bool CRandomEditor::executeOnCard(const ProgramPath& programPath) {
    std::vector<std::uint8_t> program;
    if (!programPath.composed.empty() && programPath.composed.front() == '\\') {
        const auto encoded =
            detail::encodedCardPath(std::string_view(programPath.composed).substr(1));
        if (!encoded) {
            showMessage(prompts_, msgProgramReadFailed);
            return false;
        }
        // An error page or a cut file is not a program the robot should run.
        auto file = cardClient().downloadWhole(*encoded, programBufferSize);
        if (!file.bytes) {
            if (!file.refusal.empty()) showMessage(prompts_, msgProgramReadFailed, file.refusal);
            return false;  // else 119 was shown
        }
        program = std::move(*file.bytes);
    } else {
        auto read = programPath.native
                        ? platform::readPrefix(*programPath.native, programBufferSize + 1)
                        : std::nullopt;
        // The robot must never run a program cut short.
        if (!read || read->size() > programBufferSize) {
            showMessage(prompts_, msgProgramReadFailed);
            return false;
        }
        program = std::move(*read);
    }
    if (program.empty()) return false;
    // The record only follows a program the card is known to hold as sent.
    const auto copy = detail::encodedCardPath(programCopyName);
    if (copy && cardClient().uploadVerified(std::string("ADDON"), "TEMP.VX4", program, *copy))
        executed_ = sendRemoteLogToCard();
    return true;
}

bool CRandomEditor::sendRemoteLogToCard() {
    const auto record = buildRemoteLogRecord(settings_.playerType, settings_.remoteInterval);
    return cardClient().uploadFile(std::string("ADDON"), remoteLogPath, record);
}

bool CRandomEditor::executeOverUsb(const ProgramPath& programPath) {
    auto& remoteDir = settings_.remoteDir;
    if (remoteDir.empty() || !platform::fileExists(onCard(remoteDir, remoteLogPath))) {
        const auto chosen =
            prompts_.askOpenFile(remoteLogQuestion(platform::nativeRelativePath(remoteLogPath)));
        if (!chosen) return false;
        remoteDir = options_.remoteFolderOf(*chosen);
    }
    // The card's own files only: a link that leads off the card is never written through.
    const std::string copy = onCard(remoteDir, programCopyName);
    if (!programPath.native || !platform::staysInside(remoteDir, copy) ||
        !platform::copyFileDurably(*programPath.native, copy)) {
        showMessage(prompts_, msgDirectCopyFailed);
        return false;
    }
    executed_ = writeRemoteLog();
    return executed_;
}

bool CRandomEditor::writeRemoteLog() {
    auto& remoteDir = settings_.remoteDir;
    std::string target = onCard(remoteDir, remoteLogPath);
    if (!platform::fileExists(target)) {
        const auto chosen = prompts_.askOpenFile(remoteLogQuestion(std::string(remoteLogName)));
        if (!chosen) return false;
        if (!platform::fileExists(*chosen)) {
            showMessage(prompts_, msgRemoteLogMissing);
            return false;
        }
        remoteDir = options_.remoteFolderOf(*chosen);
        target = *chosen;
    }
    const auto record = buildRemoteLogRecord(settings_.playerType, settings_.remoteInterval);
    const auto result = platform::staysInside(remoteDir, target)
                            ? platform::replaceFileContent(target, record)
                            : platform::ReplaceResult{platform::ReplaceResult::openFailed, 0};
    if (result.status == platform::ReplaceResult::openFailed) {
        showMessage(prompts_, msgRemoteWriteFailed);
        return false;
    }
    if (result.status == platform::ReplaceResult::writeFailed)
        throw FileError(target, platform::fileErrorCauseOf(result.error));
    writeRemoteDir(settingsPath_, remoteDir);
    return true;
}

}  // namespace core
