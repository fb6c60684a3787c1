#include "gui/CAlbumoraApp.h"

int main(int argc, char** argv) {
    albumora::gui::CAlbumoraApp app(argc, argv);
    return app.Run();
}
