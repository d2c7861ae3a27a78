// VKRandom.exe as the start-up benchmark runs it: the same program, ending once its main
// window has painted.
#include <windows.h>

#include "app/win32/bench/exit_when_shown.h"
#include "app/win32/vkrandom_app.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    bench::exitWhenShown();
    app::CVKRandomApp application;
    application.initInstance();
    return 0;
}
