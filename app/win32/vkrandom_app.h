// CVKRandomApp, the application: runs the main window modally and ends with it.
#pragma once

namespace app {

class CVKRandomApp {
  public:
    // Runs the main window; false, so the program ends instead of entering a message loop.
    bool initInstance();
};

}  // namespace app
