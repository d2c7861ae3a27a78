// A terminal program's arguments and output in UTF-8 on every system: Windows hands arguments
// over in UTF-16 and shows console output in the console's own code page otherwise. And the
// language the user reads, for a program that speaks it.
#pragma once

#include <string>
#include <vector>

namespace platform {

// The program's arguments after its name, as UTF-8.
std::vector<std::string> commandLineUtf8(int argc, char** argv);

// Makes UTF-8 written to stdout and stderr show as such, byte for byte (no "\r" added).
void useUtf8Console();

// Whether the user's language is Japanese: on POSIX the first of LC_ALL, LC_MESSAGES and LANG
// that is set and not empty starts with "ja"; on Windows the user's UI language is Japanese.
bool userLanguageIsJapanese();

}  // namespace platform
