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

#include "core/backups.h"
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

// Radios checked when the settings dialog opens, and taken when it is confirmed; beyond them the
// card's host as the user typed it (empty: the card's own name; none: kept as it is).
struct SettingsChoice {
    int programType = 1;  // 1..4
    int connectType = 0;  // 0..2
    std::optional<std::string> cardHost = std::nullopt;
};

// What one entry's slot holds now, as the window shows it beside the entry's name.
struct EntryState {
    int choice = -1;     // as the window checks it: -1 none, 0 random, 1..n the fixed choice
    bool fits = false;   // a whole slot with a choice the entry offers: it may be exported
    std::string reason;  // why it does not fit (Japanese); empty when it fits
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
    std::string catalogueDir;  // empty: the folders of platform::catalogueFolders(), in turn
    // Folder of the robot's card that holds a chosen file: the mount point of its filesystem.
    // Tests put a folder of their own in its place.
    std::function<std::string(const std::string&)> remoteFolderOf;
    std::string backupDir;  // empty: "backup" in platform::userDataFolder()
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
    // No program folder any more: with FlashAir the programs are then read on the card.
    void clearProgramFolder();

    bool loadCatalogue();
    void freeCatalogue(bool releaseTable);
    void fillList(EditorWindow& window);
    int findEntryByName(std::string_view name) const;

    int readChoice(int index);
    // What the entry's slot holds, read as readChoice reads it.
    EntryState readState(int index);
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
    // Where the program files would be read and written with these settings, for the dialog.
    std::string sourceText(const SettingsChoice& choice) const;

    // Beyond the original tool. The state of every listed line, read as cheaply as it can be:
    // one read of 31 bytes per entry locally, one download per program file on the card.
    std::vector<EntryState> readStates();
    // The states beside the lines and the status line, on windows that show them.
    void showStates(EditorWindow& window);
    // What an entry shows beside its name: the fixed choice's label, random, or the reason.
    std::string stateText(int index, const EntryState& state) const;
    // Where the window works now: the program folder, or the card's host.
    std::string statusText() const;
    // Every listed place that holds a fixed choice set to random, all slots of a file in one
    // write, after the user confirmed; the outcome in one message. True when every such place
    // is random now.
    bool resetAll();
    // The slots the last change (Export, reset) wrote restored to what they held, where they
    // still hold what it wrote. True when every one of them was restored.
    bool undoLastChange();
    std::vector<BackupListing> backups() const { return backups_.list(); }
    // Per listed line: empty when the entry fits its program, else why not.
    std::vector<std::string> checkCatalogue();
    const std::vector<int>& lines() const { return lines_; }

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
        bool askYesNo(int id, const std::string& text) override;
        std::string messageText(int id) override { return prompts_.messageText(id); }
        std::optional<std::string> askOpenFile(const OpenFileQuestion& question) override;
        bool runSettingsDialog(CRandomEditor& editor) override;
        void reportFileError(const std::string& text) override;

      private:
        Prompts& prompts_;
        TransferProgress& progress_;
    };

    // One slot of a change: what it is to hold, given what it holds (nullopt: leave it; a reason
    // when it is refused).
    struct SlotTarget {
        int index;  // the catalogue entry, or -1 (a slot of a change recorded earlier)
        std::int32_t offset;
        std::string entryName;
    };
    using SlotDecider = std::function<std::optional<SlotBytes>(
        const SlotTarget&, std::span<const std::uint8_t> slot, std::string& refusal)>;
    // A program file read whole with the slots a change plans for it, then written in one go.
    struct PreparedFile {
        std::string fileName;
        std::vector<std::uint8_t> read, changed;  // as read, and with the planned slots
        bool known = false;                       // `read` is what the file holds now
        bool exchangeFailed = false;              // the card was not reached (119 shown)
        std::string encodedPath;                  // on the card
        std::optional<std::string> localPath;
        std::optional<std::pair<std::optional<std::string>, std::string>> cardTarget;
        std::vector<SlotRecord> planned;
        std::vector<std::pair<std::string, std::string>> refused;  // entry name (CP932), reason
    };
    PreparedFile prepareFile(const std::string& fileName, const std::vector<SlotTarget>& targets,
                             const SlotDecider& decide);
    // `afterQuestion`: the user was asked in between, so a card file is read again first.
    bool commitFile(PreparedFile& file, bool afterQuestion = false);
    void finishChange(const std::vector<SlotRecord>& written);
    void prepareNext(std::vector<PreparedFile>& files, const std::string& fileName,
                     const std::vector<SlotTarget>& targets, const SlotDecider& decide);
    std::vector<SlotRecord> commitAll(std::vector<PreparedFile>& files,
                                      std::vector<std::pair<std::string, std::string>>& refused,
                                      bool* failed = nullptr);
    ChangeOrigin origin() const;
    // The listed lines, grouped by the program file their entries name.
    std::vector<std::pair<std::string, std::vector<int>>> linesByFile() const;
    std::vector<EntryState> readFileStates(const std::string& fileName,
                                           const std::vector<int>& indices);
    void showStatesOfFile(const PreparedFile& file);
    bool isDuplicate(int index) const { return findEntryByName(item(index).name) != index; }

    bool usesCard() const;
    ProgramPath programPathOf(const RandomItem& item) const;
    ProgramPath programPathOf(const std::string& fileName) const;
    std::string fileKey(const std::string& fileName) const;
    EntryState judge(const RandomItem& item, std::span<const std::uint8_t> window) const;
    // The same, in the bytes of the file from its start (as many as were read).
    EntryState judgeInFile(const RandomItem& item, std::span<const std::uint8_t> file) const;

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
    std::vector<int> lines_;    // the entry of each list line
    PreparedFile lastWritten_;  // the file of the last export
    BackupStore backups_;
    bool executed_ = false;   // the last executeSelected placed program and record
    std::string executedAt_;  // its local time, "12:03"
    CardMessages cardMessages_{prompts_};
    std::unique_ptr<transfer::CardClient> card_;
};

}  // namespace core
