// Message boxes, open-file questions and the settings dialog on a terminal. Everything the user
// would see goes to stderr; the answers a user would give come from the command line.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "core/prompts.h"

namespace cli {

// What to do in the settings dialog when the session opens it.
struct SettingsAnswer {
    std::optional<int> programType;  // radio to check, else keep what the dialog shows
    std::optional<int> connectType;
    std::optional<std::string> cardHost;
    bool chooseFolder = false;  // press the data-folder button, then Cancel; else OK
    bool noFolder = false;      // press 「指定解除」, then Cancel
};

class TerminalPrompts : public core::Prompts {
  public:
    TerminalPrompts(std::ostream& err, std::deque<std::string> chosenFiles)
        : err_(err), chosenFiles_(std::move(chosenFiles)) {}

    void showMessage(int id, const std::string& text) override;
    // The user asked for the change by the command: the question is shown and answered Yes.
    bool askYesNo(int id, const std::string& text) override;
    std::optional<std::string> askOpenFile(const core::OpenFileQuestion& question) override;
    bool runSettingsDialog(core::CRandomEditor& editor) override;
    void reportFileError(const std::string& text) override;

    void setSettingsAnswer(const SettingsAnswer& answer) { settingsAnswer_ = answer; }

    // What was shown so far, for the commands to judge their outcome.
    const std::vector<int>& messages() const { return messages_; }
    bool wasShown(int id, std::size_t since = 0) const;
    int cancelledDialogs() const { return cancelledDialogs_; }
    int fileErrors() const { return fileErrors_; }
    std::optional<bool> folderChosen() const { return folderChosen_; }

  private:
    std::ostream& err_;
    std::deque<std::string> chosenFiles_;
    SettingsAnswer settingsAnswer_;
    std::vector<int> messages_;
    int cancelledDialogs_ = 0;
    int fileErrors_ = 0;
    std::optional<bool> folderChosen_;
};

}  // namespace cli
