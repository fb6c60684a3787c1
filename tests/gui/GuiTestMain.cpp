// The main of the widget tests: a QApplication on the offscreen platform, made ready for the login
// browser, then every test. The defaults below make the binary run the same by hand, under ctest
// and during test discovery; a value set in the environment wins.
#include <gtest/gtest.h>

#include <cstdlib>

#include <QApplication>

#include "gui/QtTranslations.h"

#include "gui/login/WebEngineSetup.h"

namespace {

// The browser draws in software, talks only to the test server on 127.0.0.1 (every other host
// name fails to resolve) and makes no requests of its own.
constexpr const char* kBrowserFlags =
    "--disable-gpu --disable-gpu-compositing --disable-background-networking --disable-component-update "
    "--disable-sync --disable-domain-reliability --no-pings --no-proxy-server "
    "--host-resolver-rules=\"MAP * ~NOTFOUND, EXCLUDE 127.0.0.1\"";

void SetDefault(const char* name, const char* value) {
    ::setenv(name, value, 0);
}

}  // namespace

// Read by AddressSanitizer alone. The Chromium inside Qt WebEngine, built without it, deletes some
// objects through a base of another size and keeps allocations (its own, udev's, fontconfig's) to
// the end of the process; those reports are the library's, not this code's.
extern "C" __attribute__((visibility("default"), used)) const char* __asan_default_options() {
    return "new_delete_type_mismatch=0";
}

extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
    return "leak:libQt6WebEngineCore.so\nleak:libudev.so\nleak:libfontconfig.so\n";
}

int main(int argc, char** argv) {
    // The machine's proxy settings must not reach the test server.
    for (const char* name :
         {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"}) {
        ::unsetenv(name);
    }
    SetDefault("QT_QPA_PLATFORM", "offscreen");
    SetDefault("QTWEBENGINE_CHROMIUM_FLAGS", kBrowserFlags);
    albumora::gui::PrepareWebEngine();
    // The offscreen platform warns at every opacity step and window shape; the tests check those
    // values on the widget itself.
    static const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (previous != nullptr &&
                !message.startsWith(QLatin1String("This plugin does not support setting window"))) {
                previous(type, context, message);
            }
        });

    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    // As the program does: Qt's own dialog texts in Chinese.
    albumora::gui::InstallQtChineseTranslations(app);
    return RUN_ALL_TESTS();
}
