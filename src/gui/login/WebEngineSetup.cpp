#include "gui/login/WebEngineSetup.h"

#include <unistd.h>

#include <QCoreApplication>

namespace albumora::gui {

bool WebEngineSandboxAllowed(unsigned effectiveUserId) {
    return effectiveUserId != 0;
}

void PrepareWebEngine() {
    // The browser's compositor shares the widgets' GL contexts; Qt reads this only before the
    // application object exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (!WebEngineSandboxAllowed(::geteuid()) && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
}

}  // namespace albumora::gui
