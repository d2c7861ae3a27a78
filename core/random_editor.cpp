// The editor session: start-up, the program folder, the catalogue and the settings dialog's
// decisions. Slot access and remote execution live in their own files.
#include "core/random_editor.h"

#include "core/messages.h"
#include "platform/instance_lock.h"
#include "platform/paths.h"
#include "transfer/card_client.h"

namespace core {

CRandomEditor::CRandomEditor(Prompts& prompts, EditorOptions options)
    : prompts_(prompts), options_(std::move(options)) {
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
    if (folder.size() > programFolderLimit) return false;
    settings_.programFolder = std::move(folder);
    settingsStoreFailed_ = !writeProgramFolder(settingsPath_, settings_.programFolder);
    settings_.programFolderCut = false;
    return true;
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
    prompts_.showMessage(msgCatalogueReadFailed,
                         std::string(messageText(msgCatalogueReadFailed)) + "\n" + detail);
    return false;
}

void CRandomEditor::freeCatalogue(bool releaseTable) {
    items_.clear();
    if (releaseTable) items_.shrink_to_fit();
}

void CRandomEditor::fillList(EditorWindow& window) {
    window.clearList();
    for (const auto& item : items_)
        if (isListed(item, settings_.programType)) window.appendLine(item.name);
}

int CRandomEditor::findEntryByName(std::string_view name) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].name == name) return static_cast<int>(i);
    return -1;
}

void CRandomEditor::applySettings(EditorWindow& window) {
    if (!prompts_.runSettingsDialog(*this) || !programTypeChanged_) return;
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
}

SettingsChoice CRandomEditor::showSettings() const {
    const int type = settings_.programType;
    const int connect = settings_.connectType;
    return {type >= 2 && type <= 4 ? type : 1, connect == 1 || connect == 2 ? connect : 0};
}

bool CRandomEditor::storeSettings(SettingsChoice choice) {
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
    if (owner_)
        owner_->setEnabled(idExecuteButton, settings_.connectType != 0 && selectedIndex_ != -1);
    return true;  // the dialog closes either way; settingsStoreFailed() tells what happened
}

transfer::CardClient& CRandomEditor::cardClient() {
    if (!card_) card_ = std::make_unique<transfer::CardClient>(prompts_, settings_.cardHost);
    return *card_;
}

bool CRandomEditor::usesCard() const {
    return settings_.connectType == 2 && settings_.programFolder.empty();
}

ProgramPath CRandomEditor::programPathOf(const RandomItem& item) const {
    ProgramPath path{settings_.programFolder + "\\" + item.fileName, std::nullopt};
    if (settings_.programFolderCut) return path;
    std::string folder = settings_.programFolder;
    // No folder: the leading separator names the root of the current drive, never the system's.
    if (folder.empty()) {
        const auto root = platform::currentDriveRoot();
        if (!root) return path;
        folder = *root;
    }
    if (!folder.empty()) path.native = platform::resolveProgramPath(folder, item.fileName);
    return path;
}

}  // namespace core
