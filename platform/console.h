// A terminal program's arguments and output in UTF-8 on every system: Windows hands arguments
// over in UTF-16 and shows console output in the console's own code page otherwise.
#pragma once

#include <string>
#include <vector>

namespace platform {

// The program's arguments after its name, as UTF-8.
std::vector<std::string> commandLineUtf8(int argc, char** argv);

// Makes UTF-8 written to stdout and stderr show as such, byte for byte (no "\r" added).
void useUtf8Console();

}  // namespace platform
