// The editor session: start-up, the program folder, the catalogue and the settings dialog's
// decisions. Slot access and remote execution live in their own files.
#include "core/random_editor.h"

#include <tuple>

#include "core/messages.h"
#include "platform/ini_file.h"
#include "platform/instance_lock.h"
#include "platform/paths.h"
#include "transfer/card_client.h"

namespace core {

CRandomEditor::CRandomEditor(Prompts& prompts, EditorOptions options)
    : prompts_(prompts, progress_), options_(std::move(options)), backups_(options_.backupDir) {
    settingsPath_ =
        options_.settingsPath.empty() ? platform::defaultSettingsPath() : options_.settingsPath;
    if (!options_.remoteFolderOf) options_.remoteFolderOf = platform::mountPointOf;
    settings_ = readSettings(settingsPath_);
    items_.reserve(static_cast<std::size_t>(settings_.tableCapacity));
}

CRandomEditor::~CRandomEditor() {
    freeCatalogue(true);
}

bool CRandomEditor::startUp(EditorWindow& window) {
    owner_ = &window;
    const auto lockPath =
        options_.lockPath.empty() ? platform::defaultLockPath() : options_.lockPath;
    instanceLock_ = platform::InstanceLock::tryAcquire(lockPath);
    if (!instanceLock_) {
        showMessage(prompts_, msgAlreadyRunning);
        window.requestClose();
        return false;
    }
    if (!usesCard()) {
        const auto startup =
            settings_.programFolder.empty() || settings_.programFolderCut
                ? std::nullopt
                : platform::resolveProgramPath(settings_.programFolder, startupFileName);
        if ((!startup || !platform::fileExists(*startup)) && !chooseProgramFolder())
            showMessage(prompts_, msgUseSettings);
    }
    loadCatalogue();
    fillList(window);
    return true;
}

bool CRandomEditor::chooseProgramFolder() {
    showMessage(prompts_, msgChooseStartup);
    const auto chosen =
        prompts_.askOpenFile({std::string(startupFilterDescription), std::string(startupFileName),
                              "XML", std::string(startupFileName)});
    if (!chosen) return false;
    std::string folder = platform::folderOfChosenFile(*chosen);
    // The settings file keeps 259 bytes of it: a longer folder would come back as another one.
    if (platform::profileValueBytes(folder) > programFolderLimit) return false;
    settings_.programFolder = std::move(folder);
    settingsStoreFailed_ = !writeProgramFolder(settingsPath_, settings_.programFolder);
    settings_.programFolderCut = false;
    return true;
}

void CRandomEditor::clearProgramFolder() {
    settings_.programFolder.clear();
    settings_.programFolderCut = false;
    settingsStoreFailed_ = !writeProgramFolder(settingsPath_, settings_.programFolder);
}

bool CRandomEditor::loadCatalogue() {
    items_.clear();
    const std::string name = catalogueFileName(settings_.programType);
    const std::vector<std::string> folders = options_.catalogueDir.empty()
                                                 ? platform::catalogueFolders()
                                                 : std::vector<std::string>{options_.catalogueDir};
    // The first folder that has the file is the one meant: one it cannot be read from is named,
    // rather than passed over for a catalogue the user did not mean.
    std::string detail;
    for (const std::string& folder : folders) {
        const auto path = platform::joinPath(folder, name);
        if (!platform::fileExists(path)) continue;
        if (readCatalogueFile(path, items_)) return true;
        detail = path + " を読み込めません";
        break;
    }
    if (detail.empty()) {
        detail = name + " が見つかりません（探した場所: ";
        for (std::size_t i = 0; i < folders.size(); ++i) detail += (i ? "、" : "") + folders[i];
        detail += "）";
    }
    items_.clear();
    // The message users know, then where the file was looked for.
    showMessage(prompts_, msgCatalogueReadFailed, detail);
    return false;
}

void CRandomEditor::freeCatalogue(bool releaseTable) {
    items_.clear();
    if (releaseTable) items_.shrink_to_fit();
}

void CRandomEditor::fillList(EditorWindow& window) {
    window.clearList();
    lines_.clear();
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (isListed(items_[i], settings_.programType)) {
            window.appendLine(items_[i].name);
            lines_.push_back(static_cast<int>(i));
        }
}

int CRandomEditor::findEntryByName(std::string_view name) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].name == name) return static_cast<int>(i);
    return -1;
}

void CRandomEditor::applySettings(EditorWindow& window) {
    const auto target = [this] {
        return std::tuple(usesCard(), usesCard() ? settings_.cardHost : settings_.programFolder);
    };
    const auto before = std::tuple(target(), settings_.connectType);
    const bool confirmed = prompts_.runSettingsDialog(*this);
    if (confirmed && programTypeChanged_) {
        freeCatalogue(false);
        loadCatalogue();
        fillList(window);
        for (int id = idRadioRandom; id <= idRadioLast; ++id) {
            window.setChecked(id, false);
            if (id != idRadioRandom) window.setShown(id, false);
        }
        window.setEnabled(idExportButton, false);
        window.setEnabled(idExecuteButton, false);
        selectedIndex_ = -1;
    } else if (std::get<0>(before) != target() && selectedIndex_ >= 0) {
        // Another folder or card: the choice on show is read again from there, so the window
        // never offers to export what another folder held.
        selectEntry(window);
    }
    if (before == std::tuple(target(), settings_.connectType) && !programTypeChanged_) return;
    executed_ = false;
    showStates(window);
}

SettingsChoice CRandomEditor::showSettings() const {
    const int type = settings_.programType;
    const int connect = settings_.connectType;
    return {type >= 2 && type <= 4 ? type : 1, connect == 1 || connect == 2 ? connect : 0,
            settings_.cardHostSetting};
}

bool CRandomEditor::storeSettings(SettingsChoice choice) {
    // A host the card could not be reached by is refused before anything is stored.
    const std::string typed = choice.cardHost.value_or(settings_.cardHostSetting);
    const auto first = typed.find_first_not_of(" \t");
    const std::string host = first == std::string::npos
                                 ? std::string()
                                 : typed.substr(first, typed.find_last_not_of(" \t") - first + 1);
    // A host stored by hand is left as it is: only one the user types is checked.
    if (host != settings_.cardHostSetting && !host.empty() && !transfer::isCardHost(host)) {
        showMessage(prompts_, msgCardHostInvalid);
        return false;
    }
    const int type = choice.programType >= 2 && choice.programType <= 4 ? choice.programType : 1;
    programTypeChanged_ = type != settings_.programType;
    settingsStoreFailed_ = false;
    if (programTypeChanged_) {
        settings_.programType = type;
        settingsStoreFailed_ = !writeProgramType(settingsPath_, type);
    }
    settings_.connectType =
        choice.connectType == 1 || choice.connectType == 2 ? choice.connectType : 0;
    if (!writeConnectType(settingsPath_, settings_.connectType)) settingsStoreFailed_ = true;
    if (host != settings_.cardHostSetting) {
        settings_.cardHostSetting = host;
        settings_.cardHost = host.empty() ? defaultCardHost : host;
        card_.reset();  // the next exchange goes to the new host
        if (!writeCardHost(settingsPath_, host)) settingsStoreFailed_ = true;
    }
    if (owner_)
        owner_->setEnabled(idExecuteButton, settings_.connectType != 0 && selectedIndex_ != -1);
    return true;  // the dialog closes either way; settingsStoreFailed() tells what happened
}

transfer::CardClient& CRandomEditor::cardClient() {
    if (!card_) {
        card_ = std::make_unique<transfer::CardClient>(cardMessages_, settings_.cardHost);
        card_->setProgressHook([this](std::uint64_t done, std::uint64_t expected) {
            progress_.update(done, expected);
        });
    }
    return *card_;
}

void CRandomEditor::GuardedPrompts::showMessage(int id, const std::string& text) {
    progress_.finish();
    prompts_.showMessage(id, text);
}

bool CRandomEditor::GuardedPrompts::askYesNo(int id, const std::string& text) {
    progress_.finish();
    return prompts_.askYesNo(id, text);
}

std::optional<std::string> CRandomEditor::GuardedPrompts::askOpenFile(
    const OpenFileQuestion& question) {
    progress_.finish();
    return prompts_.askOpenFile(question);
}

bool CRandomEditor::GuardedPrompts::runSettingsDialog(CRandomEditor& editor) {
    progress_.finish();
    return prompts_.runSettingsDialog(editor);
}

void CRandomEditor::GuardedPrompts::reportFileError(const std::string& text) {
    progress_.finish();
    prompts_.reportFileError(text);
}

bool CRandomEditor::usesCard() const {
    return settings_.connectType == 2 && settings_.programFolder.empty();
}

ProgramPath CRandomEditor::programPathOf(const RandomItem& item) const {
    return programPathOf(item.fileName);
}

ProgramPath CRandomEditor::programPathOf(const std::string& fileName) const {
    ProgramPath path{settings_.programFolder + "\\" + fileName, std::nullopt};
    if (settings_.programFolderCut) return path;
    std::string folder = settings_.programFolder;
    // No folder: the leading separator names the root of the current drive, never the system's.
    if (folder.empty()) {
        const auto root = platform::currentDriveRoot();
        if (!root) return path;
        folder = *root;
    }
    if (!folder.empty()) path.native = platform::resolveProgramPath(folder, fileName);
    return path;
}

}  // namespace core
