// CVKRandomApp, the application: sets up Qt, runs the main window modally and ends the
// process with it.
#pragma once

#include <QApplication>
#include <QStringList>
#include <optional>

#include "core/random_editor.h"

namespace app {

class CVKRandomApp {
  public:
    CVKRandomApp(int& argc, char** argv);
    // Runs the main window until it closes; the process's exit status.
    int run();
    QApplication& application() { return application_; }

  private:
    QApplication application_;
};

// Before the application exists: native file dialogs through the desktop portal when one
// answers on the session bus and Qt's portal theme is installed. Qt takes the portal by itself
// only inside Flatpak or Snap; its portal theme refuses every file dialog when no portal
// answers, so the portal is asked first. A theme the user chose stays.
void preferPortalFileDialogs();

// Look and identity every window of the program shares: version, icon, font, Qt's own
// Japanese texts. The GUI tests apply it too, so their windows look like the program's.
void setUpApplication(QApplication& application);

// Before any application exists: --help and --version print and end the process, so that
// they need no display.
void showInformationIfAsked(int& argc, char** argv);

// Options of the command line: --settings FILE puts another settings file in place of the
// one beside the executable (for tests); --demo opens the user's copy of the packaged demo,
// made on first use; --help and --version print and end the process. Any other argument is
// ignored. nullopt when the demo could not be made (a box said why).
std::optional<core::EditorOptions> parseOptions(const QStringList& arguments);

}  // namespace app
