// The editor session: holds the settings, the catalogue and the selection behind the main window,
// and carries out every user action. Front ends only forward to it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/catalogue.h"
#include "core/editor_window.h"
#include "core/file_error.h"
#include "core/messages.h"
#include "core/progress.h"
#include "core/prompts.h"
#include "core/settings_store.h"
#include "transfer/card_client.h"

namespace platform {
class InstanceLock;
}

namespace core {

using RemoteLogRecord = std::array<std::uint8_t, 16>;
RemoteLogRecord buildRemoteLogRecord(int playerType, int remoteInterval);

// Radios checked when the settings dialog opens, and taken when it is confirmed.
struct SettingsChoice {
    int programType = 1;  // 1..4
    int connectType = 0;  // 0..2
};

// A program file as the session addresses it: the composed text (program folder, a backslash, the
// catalogue's file name) and, when the file is local, its native path.
struct ProgramPath {
    std::string composed;
    std::optional<std::string> native;
};

struct EditorOptions {
    std::string settingsPath;  // empty: platform::defaultSettingsPath()
    std::string lockPath;      // empty: platform::defaultLockPath()
    std::string catalogueDir = ".";
    // Folder of the robot's card that holds a chosen file: the mount point of its filesystem.
    // Tests put a folder of their own in its place.
    std::function<std::string(const std::string&)> remoteFolderOf;
};

class CRandomEditor {
  public:
    CRandomEditor(Prompts& prompts, EditorOptions options = {});
    ~CRandomEditor();
    CRandomEditor(const CRandomEditor&) = delete;
    CRandomEditor& operator=(const CRandomEditor&) = delete;

    // Start-up: single-instance check, program-folder check, catalogue load, list fill.
    // False when another instance runs (message 106 shown, close requested).
    bool startUp(EditorWindow& window);
    // Runs one command of the window: a file error escaping it is reported, and the progress
    // box of its card transfers is gone when it returns.
    template <typename F>
    void run(F&& command) {
        runCommand(prompts_, std::forward<F>(command));
        progress_.finish();
    }
    // Where the progress of card transfers is drawn; none: not shown.
    void setProgressView(ProgressView* view) { progress_.attach(view); }
    // A card transfer is under way: the window must not close meanwhile.
    bool busy() const { return progress_.running(); }
    TransferProgress& transferProgress() { return progress_; }
    bool chooseProgramFolder();

    bool loadCatalogue();
    void freeCatalogue(bool releaseTable);
    void fillList(EditorWindow& window);
    int findEntryByName(std::string_view name) const;

    int readChoice(int index);
    bool writeChoice(int choice);
    void selectEntry(EditorWindow& window);
    void exportChoice(int choice);

    bool executeSelected();
    bool executeOnCard(const ProgramPath& programPath);
    bool sendRemoteLogToCard();
    bool executeOverUsb(const ProgramPath& programPath);
    bool writeRemoteLog();

    void applySettings(EditorWindow& window);
    SettingsChoice showSettings() const;
    bool storeSettings(SettingsChoice choice);

    // Read access for front ends and tests.
    const std::string& settingsPath() const { return settingsPath_; }
    int playerType() const { return settings_.playerType; }
    int connectType() const { return settings_.connectType; }
    int programType() const { return settings_.programType; }
    const std::string& programFolder() const { return settings_.programFolder; }
    const std::string& remoteDir() const { return settings_.remoteDir; }
    int remoteInterval() const { return settings_.remoteInterval; }
    const std::string& cardHost() const { return settings_.cardHost; }
    int itemCount() const { return static_cast<int>(items_.size()); }
    const RandomItem& item(int index) const { return items_[static_cast<std::size_t>(index)]; }
    int selectedIndex() const { return selectedIndex_; }
    bool programTypeChanged() const { return programTypeChanged_; }
    // True when the last settings dialog or folder choice could not write the settings file.
    bool settingsStoreFailed() const { return settingsStoreFailed_; }
    Prompts& prompts() { return prompts_; }
    transfer::CardClient& cardClient();

  private:
    // The front end's prompts, with the progress box closed before each box or dialog.
    class GuardedPrompts : public Prompts {
      public:
        GuardedPrompts(Prompts& prompts, TransferProgress& progress)
            : prompts_(prompts), progress_(progress) {}
        void showMessage(int id, const std::string& text) override;
        std::string messageText(int id) override { return prompts_.messageText(id); }
        std::optional<std::string> askOpenFile(const OpenFileQuestion& question) override;
        bool runSettingsDialog(CRandomEditor& editor) override;
        void reportFileError(const std::string& text) override;

      private:
        Prompts& prompts_;
        TransferProgress& progress_;
    };

    bool usesCard() const;
    ProgramPath programPathOf(const RandomItem& item) const;
    int readChoiceFromCard(const RandomItem& item);
    bool writeChoiceToCard(const RandomItem& item, int choice);
    bool refuseWrite(std::string reason);

    TransferProgress progress_;
    GuardedPrompts prompts_;
    EditorOptions options_;
    std::string settingsPath_;
    Settings settings_;
    std::vector<RandomItem> items_;
    int selectedIndex_ = -1;
    EditorWindow* owner_ = nullptr;
    std::unique_ptr<platform::InstanceLock> instanceLock_;
    bool programTypeChanged_ = false;
    bool settingsStoreFailed_ = false;
    std::string writeRefusal_;  // why the last writeChoice failed, when it knows
    CardMessages cardMessages_{prompts_};
    std::unique_ptr<transfer::CardClient> card_;
};

}  // namespace core
