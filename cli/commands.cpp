#include "cli/commands.h"

#include <optional>

#include "cli/wording.h"
#include "core/file_error.h"
#include "core/messages.h"
#include "platform/encoding.h"

namespace cli {
namespace {

std::string toTerminal(const std::string& cp932) {
    return platform::cp932ToUtf8Lossy(cp932);
}

// Selects the list line of that name as a click would; false (reported) when none is listed.
bool selectByName(Session& session, const std::string& utf8Name) {
    std::optional<std::string> cp932 = platform::utf8ToCp932(utf8Name);
    int line = cp932 ? session.window.findLine(*cp932) : -1;
    if (line < 0) {
        session.err << "vkrandom-cli: " << say(Say::notListed, {utf8Name}) << '\n';
        return false;
    }
    session.window.selectLine(line);
    session.editor.selectEntry(session.window);
    return true;
}

}  // namespace

// A catalogue that could not be read lists nothing; a script must not take that for an empty one.
int listCommand(Session& session) {
    for (const std::string& line : session.window.lines()) session.out << toTerminal(line) << '\n';
    return session.prompts.wasShown(core::msgCatalogueReadFailed) ? exitFailed : exitDone;
}

int showCommand(Session& session, const std::string& name) {
    if (!selectByName(session, name)) return exitFailed;
    const TerminalWindow& window = session.window;
    session.out << "file: " << toTerminal(window.text(core::idFileNameText)) << '\n';
    session.out << "choice: " << window.checkedChoice() << '\n';
    for (int j = 0; j < window.shownChoiceCount(); ++j) {
        int radio = core::idRadioRandom + j;
        session.out << (window.isChecked(radio) ? "[x] " : "[ ] ") << j << ' '
                    << (j == 0 ? std::string(core::randomLabel) : toTerminal(window.text(radio)))
                    << '\n';
    }
    return exitDone;
}

int getCommand(Session& session, const std::string& name) {
    if (!selectByName(session, name)) return exitFailed;
    session.out << session.window.checkedChoice() << '\n';
    return exitDone;
}

int setCommand(Session& session, const std::string& name, int choice) {
    if (!selectByName(session, name)) return exitFailed;
    TerminalWindow& window = session.window;
    if (!window.isEnabled(core::idExportButton)) {
        session.err << "vkrandom-cli: "
                    << say(Say::slotUnreadable, {name, window.note(window.selectedLine())}) << '\n';
        return exitFailed;
    }
    if (choice >= window.shownChoiceCount()) {
        session.err << "vkrandom-cli: "
                    << say(Say::choiceRange, {name, std::to_string(window.shownChoiceCount() - 1)})
                    << '\n';
        return exitFailed;
    }
    window.clickChoice(choice);
    std::size_t before = session.prompts.messages().size();
    session.editor.exportChoice(window.checkedChoice());
    return session.prompts.wasShown(core::msgExportSucceeded, before) ? exitDone : exitFailed;
}

// Every message execution shows is a failure; success is silent. Execution that does nothing
// (no remote connection chosen, no program selected) is a failure too.
int execCommand(Session& session, const std::string& name) {
    TerminalPrompts& prompts = session.prompts;
    std::size_t messagesBefore = prompts.messages().size();
    int cancelledBefore = prompts.cancelledDialogs();
    if (!selectByName(session, name)) return exitFailed;
    bool executed = false;
    core::runCommand(prompts, [&] { executed = session.editor.executeSelected(); });
    bool failed = !executed || prompts.messages().size() > messagesBefore ||
                  prompts.fileErrors() > 0 || prompts.cancelledDialogs() > cancelledBefore;
    return failed ? exitFailed : exitDone;
}

// The state of every listed entry, in list order: what the window shows beside each name.
int statusCommand(Session& session) {
    const auto states = session.editor.readStates();
    const auto& lines = session.editor.lines();
    for (std::size_t line = 0; line < states.size(); ++line)
        session.out << toTerminal(session.editor.item(lines[line]).name) << '\t'
                    << states[line].choice << '\t'
                    << session.editor.stateText(lines[line], states[line]) << '\n';
    return session.prompts.wasShown(core::msgCatalogueReadFailed) ? exitFailed : exitDone;
}

int checkCommand(Session& session) {
    const auto reasons = session.editor.checkCatalogue();
    const auto& lines = session.editor.lines();
    bool fits = !session.prompts.wasShown(core::msgCatalogueReadFailed);
    for (std::size_t line = 0; line < reasons.size(); ++line) {
        session.out << toTerminal(session.editor.item(lines[line]).name) << '\t'
                    << (reasons[line].empty() ? "ok" : reasons[line]) << '\n';
        fits = fits && reasons[line].empty();
    }
    return fits ? exitDone : exitFailed;
}

int resetCommand(Session& session) {
    return session.editor.resetAll() ? exitDone : exitFailed;
}

int undoCommand(Session& session) {
    return session.editor.undoLastChange() ? exitDone : exitFailed;
}

// Every backup kept, oldest first: its folder, where its files came from, and each file.
int backupsCommand(Session& session) {
    for (const auto& backup : session.editor.backups()) {
        session.out << backup.folder << '\t' << (backup.origin.card ? "card " : "folder ")
                    << backup.origin.where << '\n';
        for (const auto& file : backup.files) session.out << '\t' << file << '\n';
    }
    return exitDone;
}

int printSettingsCommand(Session& session) {
    const core::CRandomEditor& editor = session.editor;
    session.out << "program type: " << editor.programType() << '\n'
                << "connection type: " << editor.connectType() << '\n'
                << "program folder: " << editor.programFolder() << '\n'
                << "card host: " << editor.cardHost() << '\n';
    return exitDone;
}

int settingsDialogCommand(Session& session, const SettingsAnswer& answer) {
    session.prompts.setSettingsAnswer(answer);
    session.editor.applySettings(session.window);
    // A card address that is none: the dialog stays open, nothing is stored.
    if (session.prompts.wasShown(core::msgCardHostInvalid)) return exitFailed;
    if (session.editor.settingsStoreFailed()) {
        session.err << "vkrandom-cli: "
                    << say(Say::settingsNotStored, {session.editor.settingsPath()}) << '\n';
        return exitFailed;
    }
    if (answer.chooseFolder)
        return session.prompts.folderChosen().value_or(false) ? exitDone : exitFailed;
    return exitDone;
}

}  // namespace cli
