// The one failure that leaves a session operation: a write or close error on a file after it
// was opened. The front end's command handling reports it with fileErrorText().
#pragma once

#include <stdexcept>
#include <string>

#include "core/prompts.h"
#include "platform/file_io.h"

namespace core {

class FileError : public std::runtime_error {
  public:
    FileError(std::string path, platform::FileErrorCause cause);
    const std::string& path() const { return path_; }
    platform::FileErrorCause cause() const { return cause_; }

  private:
    std::string path_;
    platform::FileErrorCause cause_;
};

// Japanese text naming the file and the cause.
std::string fileErrorText(const FileError& error);

// Runs a window command; a FileError escaping it is reported through `prompts`.
template <typename F>
void runCommand(Prompts& prompts, F&& command) {
    try {
        command();
    } catch (const FileError& error) {
        prompts.reportFileError(fileErrorText(error));
    }
}

}  // namespace core
