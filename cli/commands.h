// One function per command, each a few calls of the editor session. Decisions stay in the
// session; a command only reads back what the session did to the window and the prompts.
#pragma once

#include <ostream>
#include <string>

#include "cli/terminal_prompts.h"
#include "cli/terminal_window.h"
#include "core/random_editor.h"

namespace cli {

enum ExitCode : int {
    exitDone = 0,
    exitFailed = 1,
    exitUsage = 2,
    exitRefused = 3,
};

// What a command works on: the session, its window and prompts, and the two output streams.
struct Session {
    Session(const core::EditorOptions& options, std::deque<std::string> chosenFiles,
            std::ostream& out, std::ostream& err)
        : prompts(err, std::move(chosenFiles)), editor(prompts, options), out(out), err(err) {}

    TerminalPrompts prompts;
    TerminalWindow window;
    core::CRandomEditor editor;
    std::ostream& out;
    std::ostream& err;
};

// Each returns the process exit status.
int listCommand(Session& session);
int showCommand(Session& session, const std::string& name);
int getCommand(Session& session, const std::string& name);
int setCommand(Session& session, const std::string& name, int choice);
int execCommand(Session& session, const std::string& name);
int statusCommand(Session& session);
int checkCommand(Session& session);
int resetCommand(Session& session);
int undoCommand(Session& session);
int backupsCommand(Session& session);
int printSettingsCommand(Session& session);
int settingsDialogCommand(Session& session, const SettingsAnswer& answer);

}  // namespace cli
