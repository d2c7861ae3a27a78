// Text at the edges of the Win32 program: the session's UTF-8 and the catalogue's CP932 bytes
// to and from the UTF-16 the system's wide functions take.
#pragma once

#include <string>
#include <string_view>

namespace app {

std::wstring wide(std::string_view utf8);
std::string utf8(std::wstring_view text);
// Catalogue bytes for display; undecodable bytes show as U+FFFD.
std::wstring wideFromCp932(std::string_view cp932);

// A resource string of this program; empty when it is missing.
std::wstring loadString(int id);

}  // namespace app
