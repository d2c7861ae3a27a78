// vkrandom: the desktop program.
#include "app/qt/vkrandom_app.h"

int main(int argc, char** argv) {
    app::showInformationIfAsked(argc, argv);
    app::preferPortalFileDialogs();
    app::CVKRandomApp application(argc, argv);
    return application.run();
}
