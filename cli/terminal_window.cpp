#include "cli/terminal_window.h"

#include <algorithm>

namespace cli {

// The state a freshly created main window has: only the random choice on show, Export and
// Execute disabled.
TerminalWindow::TerminalWindow() {
    shown_[core::idRadioRandom] = true;
    enabled_[core::idExportButton] = false;
    enabled_[core::idExecuteButton] = false;
}

void TerminalWindow::clearList() {
    lines_.clear();
    selected_ = -1;
}

void TerminalWindow::appendLine(const std::string& cp932Text) {
    lines_.push_back(cp932Text);
}

std::string TerminalWindow::selectedLineText() const {
    if (selected_ < 0 || selected_ >= static_cast<int>(lines_.size())) return {};
    return lines_[static_cast<std::size_t>(selected_)];
}

int TerminalWindow::findLine(const std::string& cp932Text) const {
    auto found = std::find(lines_.begin(), lines_.end(), cp932Text);
    return found == lines_.end() ? -1 : static_cast<int>(found - lines_.begin());
}

void TerminalWindow::clickChoice(int j) {
    for (int k = 0; k <= core::maxShownChoices; ++k) checked_[core::idRadioRandom + k] = k == j;
}

std::string TerminalWindow::note(int line) const {
    auto found = notes_.find(line);
    return found == notes_.end() ? std::string() : found->second;
}

std::string TerminalWindow::text(int id) const {
    auto found = texts_.find(id);
    return found == texts_.end() ? std::string() : found->second;
}

int TerminalWindow::checkedChoice() const {
    for (int j = 0; j <= core::maxShownChoices; ++j)
        if (isChecked(core::idRadioRandom + j)) return j;
    return -1;
}

int TerminalWindow::shownChoiceCount() const {
    int count = 1;
    while (count <= core::maxShownChoices && isShown(core::idRadioRandom + count)) ++count;
    return count;
}

bool TerminalWindow::valueOf(const std::map<int, bool>& states, int id) {
    auto found = states.find(id);
    return found != states.end() && found->second;
}

}  // namespace cli
