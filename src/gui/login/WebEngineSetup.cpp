#include "gui/login/WebEngineSetup.h"

#include <unistd.h>

#include <QCoreApplication>

namespace albumora::gui {

bool WebEngineSandboxAllowed(unsigned effectiveUserId) {
    return effectiveUserId != 0;
}

QByteArray WithWindowLanguage(const QByteArray& chromiumFlags) {
    if (chromiumFlags.contains("--lang=")) {
        return chromiumFlags;
    }
    // The browser's error pages and dialogs speak the window's language, not the system's.
    return chromiumFlags.isEmpty() ? QByteArray("--lang=zh-CN") : chromiumFlags + " --lang=zh-CN";
}

void PrepareWebEngine() {
    // The browser's compositor shares the widgets' GL contexts; Qt reads this only before the
    // application object exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (!WebEngineSandboxAllowed(::geteuid()) && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", WithWindowLanguage(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS")));
}

}  // namespace albumora::gui
