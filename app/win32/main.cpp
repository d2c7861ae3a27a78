// VKRandom.exe: the Windows desktop program.
#include <windows.h>

#include "app/win32/vkrandom_app.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    app::CVKRandomApp application;
    application.initInstance();
    return 0;
}
