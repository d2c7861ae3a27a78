// The Qt face of the session's prompts: warning boxes with OK only, the open-file dialog, the
// settings dialog and the error box of a failed file write. Every dialog goes through a
// DialogRunner, so the GUI tests can answer them.
#pragma once

#include <QString>

#include "core/prompts.h"

class QWidget;

namespace app {

class DialogRunner;

class QtPrompts : public core::Prompts {
  public:
    QtPrompts(QWidget* window, DialogRunner& runner) : window_(window), runner_(runner) {}

    void showMessage(int id, const std::string& text) override;
    bool askYesNo(int id, const std::string& text) override;
    std::optional<std::string> askOpenFile(const core::OpenFileQuestion& question) override;
    bool runSettingsDialog(core::CRandomEditor& editor) override;
    void reportFileError(const std::string& text) override;

  private:
    QWidget* owner() const;
    void box(int icon, int id, const std::string& text);

    QWidget* window_;
    DialogRunner& runner_;
};

// The caption of every box: the executable's name without its extension.
QString boxCaption();

// Filter of the open-file dialog: the description and the pattern, the pattern made to match
// regardless of letter case, as FAT cards show names in either case ("[Ss][Tt]...").
QString fileDialogFilter(const core::OpenFileQuestion& question);

}  // namespace app
