// vkrandom-cli: the editor session from a terminal, for scripts and machines without a display.
#include <iostream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/wording.h"
#include "core/demo.h"
#include "platform/console.h"
#include "platform/paths.h"

namespace {

int dispatch(cli::Session& session, const cli::Invocation& invocation) {
    const std::string& command = invocation.command;
    if (command == "list") return cli::listCommand(session);
    if (command == "show") return cli::showCommand(session, invocation.name);
    if (command == "get") return cli::getCommand(session, invocation.name);
    if (command == "set") return cli::setCommand(session, invocation.name, invocation.choice);
    if (command == "exec") return cli::execCommand(session, invocation.name);
    if (command == "status") return cli::statusCommand(session);
    if (command == "check") return cli::checkCommand(session);
    if (command == "reset") return cli::resetCommand(session);
    if (command == "undo") return cli::undoCommand(session);
    if (command == "backups") return cli::backupsCommand(session);
    if (invocation.settingsDialog)
        return cli::settingsDialogCommand(session, invocation.settingsAnswer);
    return cli::printSettingsCommand(session);
}

}  // namespace

int main(int argc, char** argv) {
    platform::useUtf8Console();
    const cli::ParseResult parsed = cli::parseCommandLine(platform::commandLineUtf8(argc, argv));
    if (!parsed.error.empty()) {
        std::cerr << "vkrandom-cli: " << parsed.error << '\n'
                  << cli::say(cli::Say::tryHelp) << '\n';
        return cli::exitUsage;
    }
    const cli::Invocation& invocation = parsed.invocation;
    if (invocation.kind == cli::Invocation::Kind::help) {
        std::cout << cli::usageText();
        return cli::exitDone;
    }
    if (invocation.kind == cli::Invocation::Kind::version) {
        std::cout << VKRANDOM_VERSION << '\n';
        return cli::exitDone;
    }

    core::EditorOptions options;
    options.settingsPath = invocation.settingsPath;
    options.lockPath = invocation.lockPath;
    if (invocation.demo) {
        std::string error;
        const auto demo =
            core::prepareDemo(platform::packagedDemoFolder(), platform::userDataFolder(), error);
        if (!demo) {
            std::cerr << "vkrandom-cli: " << error << '\n';
            return cli::exitFailed;
        }
        options.settingsPath = demo->settingsPath;
        options.catalogueDir = demo->folder;
    }
    cli::Session session(options, invocation.chosenFiles, std::cout, std::cerr);
    // Start-up as the window's initialisation runs it; a second instance stops here.
    if (!session.editor.startUp(session.window)) return cli::exitRefused;
    return dispatch(session, invocation);
}
