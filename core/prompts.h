// How the editor session talks to the user: message boxes, open-file questions, the settings
// dialog and the file-error report. Implemented by each front end and by the tests.
#pragma once

#include <optional>
#include <string>

namespace core {

class CRandomEditor;

struct OpenFileQuestion {
    std::string filterDescription;  // UTF-8, e.g. "Vesk起動ﾌﾟﾛｸﾞﾗﾑ"
    std::string pattern;            // e.g. "STARTUP.XML", matched regardless of letter case
    std::string defaultSuffix;      // e.g. "XML"
    std::string initialName;        // e.g. "STARTUP.XML" or "ADDON/REMOTE.LOG"
};

class Prompts {
  public:
    virtual ~Prompts() = default;
    // A modal box with OK only; `text` is the message's UTF-8 text, inserts already applied.
    virtual void showMessage(int id, const std::string& text) = 0;
    // A question before a change the user asked for: Yes (true) or No.
    virtual bool askYesNo(int id, const std::string& text) = 0;
    // The text of message `id` before its insert: the message table's, unless the front end
    // has texts of its own (VKRandom.exe reads its string table, as Windows programs do).
    virtual std::string messageText(int id);
    // Native path of the chosen file, nullopt when cancelled.
    virtual std::optional<std::string> askOpenFile(const OpenFileQuestion& question) = 0;
    // Runs the settings dialog on `editor` (its showSettings, storeSettings and
    // chooseProgramFolder); true when it ended with OK.
    virtual bool runSettingsDialog(CRandomEditor& editor) = 0;
    // The file-error box (error icon) for a failed write after the file was opened.
    virtual void reportFileError(const std::string& text) = 0;
};

// Shows message `id` through `prompts` (its text from prompts.messageText).
void showMessage(Prompts& prompts, int id);
void showMessage(Prompts& prompts, int id, std::string_view insert, std::string_view detail = {});

}  // namespace core
