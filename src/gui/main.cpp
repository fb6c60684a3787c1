#include "gui/CAlbumoraApp.h"
#include "gui/login/WebEngineSetup.h"

int main(int argc, char** argv) {
    // Before the application object: the login browser's engine reads these at start.
    albumora::gui::PrepareWebEngine();
    albumora::gui::CAlbumoraApp app(argc, argv);
    return app.Run();
}
