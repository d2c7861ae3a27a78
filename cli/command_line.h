// The command line of vkrandom-cli: what the user asked for, checked before the session starts,
// so that a mistyped command never takes the instance lock or asks a question.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "cli/terminal_prompts.h"

namespace cli {

struct Invocation {
    enum class Kind { run, help, version };
    Kind kind = Kind::run;
    std::string settingsPath;  // empty: the GUI's location rule
    std::string lockPath;      // empty: the per-user lock
    bool demo = false;         // --demo: the user's copy of the packaged demo
    std::deque<std::string> chosenFiles;
    std::string command;
    std::string name;             // NAME of show, get, set, exec
    int choice = 0;               // CHOICE of set
    bool settingsDialog = false;  // settings with options: run the dialog
    SettingsAnswer settingsAnswer;
};

struct ParseResult {
    Invocation invocation;
    std::string error;  // non-empty: a usage error
};

// The usage error, when there is one, in the user's language.
ParseResult parseCommandLine(const std::vector<std::string>& args);

}  // namespace cli
