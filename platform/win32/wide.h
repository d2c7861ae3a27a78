// UTF-8 <-> UTF-16 for the wide Win32 calls, and the one owner of a Win32 handle: for the
// Windows parts of every layer (the system code here, the WinInet transport, the front end).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace platform::win32 {

// Text between a code page and UTF-16; empty on an invalid sequence (`ok` tells it apart from an
// empty text).
std::wstring toWide(std::string_view text, UINT codePage = CP_UTF8, bool* ok = nullptr);
std::string fromWide(std::wstring_view text, UINT codePage = CP_UTF8, bool* ok = nullptr);

// Owns a file or mutex handle; close() reports the result, the destructor only cleans up.
class Handle {
  public:
    explicit Handle(HANDLE handle) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    ~Handle() {
        if (handle_) ::CloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != nullptr; }
    bool close() {
        HANDLE handle = handle_;
        handle_ = nullptr;
        return handle != nullptr && ::CloseHandle(handle) != 0;
    }

  private:
    HANDLE handle_;
};

}  // namespace platform::win32
