// The program as it starts, ending once the main window is shown.
#include "app/qt/bench/exit_when_shown.h"
#include "app/qt/vkrandom_app.h"

int main(int argc, char** argv) {
    app::CVKRandomApp application(argc, argv);
    ExitWhenShown probe("app::CVKRandomDlg");
    application.application().installEventFilter(&probe);
    return application.run();
}
