// CVKRandomApp, the application: sets up Qt, runs the main window modally and ends the
// process with it.
#pragma once

#include <QApplication>
#include <QStringList>

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

// Look and identity every window of the program shares: version, icon, font, Qt's own
// Japanese texts. The GUI tests apply it too, so their windows look like the program's.
void setUpApplication(QApplication& application);

// Options of the command line: --settings FILE puts another settings file in place of the
// one beside the executable (for tests and the demo); --help and --version print and end the
// process. Any other argument is ignored.
core::EditorOptions parseOptions(const QStringList& arguments);

}  // namespace app
