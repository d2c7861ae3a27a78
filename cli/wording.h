// What vkrandom-cli says itself, in Japanese for a Japanese user and in English otherwise. The
// commands, the options and the output scripts read (list, status, show's lines, "[ID] TEXT")
// are the same in both languages.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace cli {

enum class Say {
    needsValue,     // %1: option
    unknownOption,  // %1: option
    noCommand,
    unknownCommand,    // %1: command
    takesNoArguments,  // %1: command
    takesOneArgument,  // %1: command
    takesArguments,    // %1: command, %2: count
    badChoice,
    unknownSettingsOption,  // %1: option
    chooseFolderAlone,
    numberRange,  // %1: option, %2, %3: lowest and highest
    tryHelp,
    notListed,          // %1: name
    slotUnreadable,     // %1: name
    choiceRange,        // %1: name, %2: highest choice
    settingsNotStored,  // %1: settings file
};

// The text in the user's language, each %1, %2, %3 replaced by that argument.
std::string say(Say what, std::initializer_list<std::string_view> arguments = {});

// The --help text in the user's language.
std::string_view usageText();

}  // namespace cli
