#include "cli/terminal_prompts.h"

#include <algorithm>

#include "core/random_editor.h"

namespace cli {

void TerminalPrompts::showMessage(int id, const std::string& text) {
    messages_.push_back(id);
    err_ << '[' << id << "] " << text << '\n' << std::flush;
}

bool TerminalPrompts::askYesNo(int id, const std::string& text) {
    err_ << '[' << id << "] " << text << " -> yes\n" << std::flush;
    return true;
}

std::optional<std::string> TerminalPrompts::askOpenFile(const core::OpenFileQuestion& question) {
    err_ << "[dialog] " << question.initialName << '\n' << std::flush;
    if (chosenFiles_.empty()) {
        ++cancelledDialogs_;
        return std::nullopt;
    }
    std::string answer = std::move(chosenFiles_.front());
    chosenFiles_.pop_front();
    return answer;
}

// The dialog opens on the session's values, takes the radios the command asked for and ends the
// way a user would: OK stores, the folder button is followed by Cancel.
bool TerminalPrompts::runSettingsDialog(core::CRandomEditor& editor) {
    core::SettingsChoice choice = editor.showSettings();
    if (settingsAnswer_.chooseFolder) {
        folderChosen_ = editor.chooseProgramFolder();
        return false;
    }
    if (settingsAnswer_.noFolder) {
        editor.clearProgramFolder();
        return false;
    }
    if (settingsAnswer_.programType) choice.programType = *settingsAnswer_.programType;
    if (settingsAnswer_.connectType) choice.connectType = *settingsAnswer_.connectType;
    if (settingsAnswer_.cardHost) choice.cardHost = *settingsAnswer_.cardHost;
    return editor.storeSettings(choice);
}

void TerminalPrompts::reportFileError(const std::string& text) {
    ++fileErrors_;
    err_ << "[file-error] " << text << '\n' << std::flush;
}

bool TerminalPrompts::wasShown(int id, std::size_t since) const {
    return std::find(
               messages_.begin() + static_cast<std::ptrdiff_t>(std::min(since, messages_.size())),
               messages_.end(), id) != messages_.end();
}

}  // namespace cli
