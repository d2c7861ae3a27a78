// Recording fakes of the session's window and prompts, shared by the test suites.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/editor_window.h"
#include "core/prompts.h"
#include "core/random_editor.h"

namespace testing_support {

// A window that keeps the state the session gives its controls (none shown, checked or enabled
// until the session says so).
class FakeWindow : public core::EditorWindow {
  public:
    void clearList() override {
        lines.clear();
        notes.clear();
        selected = -1;
    }
    void appendLine(const std::string& text) override {
        lines.push_back(text);
        notes.emplace_back();
    }
    int selectedLine() const override { return selected; }
    std::string selectedLineText() const override {
        return selected >= 0 && selected < static_cast<int>(lines.size()) ? lines[selected] : "";
    }
    void setControlText(int id, const std::string& text) override { texts[id] = text; }
    void setChecked(int id, bool value) override { checked[id] = value; }
    void setShown(int id, bool value) override { shown[id] = value; }
    void setEnabled(int id, bool value) override { enabled[id] = value; }
    void requestClose() override { ++closeRequests; }
    bool showsStates() const override { return statesShown; }
    void setLineNote(int line, const std::string& text) override { notes.at(line) = text; }
    void setStatus(const std::string& text) override { status = text; }

    void select(int line) { selected = line; }
    bool isChecked(int id) const { return checked.count(id) && checked.at(id); }
    bool isShown(int id) const { return shown.count(id) && shown.at(id); }
    bool isEnabled(int id) const { return enabled.count(id) && enabled.at(id); }
    std::string text(int id) const { return texts.count(id) ? texts.at(id) : ""; }
    // Index of the checked choice radio, -1 when none.
    int checkedChoice() const {
        for (int j = 0; j <= core::maxShownChoices; ++j)
            if (isChecked(core::idRadioRandom + j)) return j;
        return -1;
    }

    std::vector<std::string> lines;
    int selected = -1;
    std::map<int, std::string> texts;
    std::map<int, bool> checked, shown, enabled;
    int closeRequests = 0;
    bool statesShown = false;        // a desktop window's, with every state beside its line
    std::vector<std::string> notes;  // those states (UTF-8)
    std::string status;
};

// Prompts that record every message and answer file questions from a queue.
class FakePrompts : public core::Prompts {
  public:
    void showMessage(int id, const std::string& text) override {
        messages.push_back(id);
        messageTexts.push_back(text);
    }
    bool askYesNo(int id, const std::string& text) override {
        showMessage(id, text);
        if (duringQuestion) std::exchange(duringQuestion, nullptr)();
        return yes;
    }
    std::optional<std::string> askOpenFile(const core::OpenFileQuestion& question) override {
        questions.push_back(question);
        if (answers.empty()) return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool runSettingsDialog(core::CRandomEditor& editor) override {
        shownSettings = editor.showSettings();
        if (folderInDialog) editor.chooseProgramFolder();  // the folder button, then Cancel
        if (!settingsAnswer || folderInDialog) return false;
        editor.storeSettings(*settingsAnswer);
        return true;
    }
    void reportFileError(const std::string& text) override { fileErrors.push_back(text); }

    std::vector<int> messages;
    std::vector<std::string> messageTexts;
    std::vector<core::OpenFileQuestion> questions;
    std::deque<std::optional<std::string>> answers;      // nullopt: cancel
    std::optional<core::SettingsChoice> settingsAnswer;  // nullopt: Cancel
    core::SettingsChoice shownSettings;
    std::vector<std::string> fileErrors;
    bool yes = true;                       // the answer to every question
    std::function<void()> duringQuestion;  // what happens while the next question is open
    bool folderInDialog = false;           // the settings dialog chooses a folder and is cancelled
};

}  // namespace testing_support
