#include "gui/CAlbumoraApp.h"

#include <QMessageBox>
#include <QPointer>
#include <cstdio>

#include "core/net/CookieStore.h"
#include "core/settings/SettingsFolder.h"
#include "gui/CAlbumoraDlg.h"
#include "gui/dialogs/CSplashScreenEx.h"
#include "gui/dialogs/StartupSplash.h"

namespace albumora::gui {

namespace {

constexpr const char* kUsage = "Usage: albumora [--settings-dir DIR]\n";

}  // namespace

CAlbumoraApp::CAlbumoraApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Albumora"));
    setApplicationDisplayName(QStringLiteral("Albumora"));
    setApplicationVersion(QStringLiteral(ALBUMORA_VERSION));
}

bool CAlbumoraApp::ParseArguments(std::string& settingsDir) const {
    const QStringList args = arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--settings-dir") && i + 1 < args.size()) {
            settingsDir = args[++i].toStdString();
        } else {
            return false;
        }
    }
    return true;
}

int CAlbumoraApp::Run() {
    std::string settingsDir;
    if (!ParseArguments(settingsDir)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string settingsFolder = ResolveSettingsFolder(settingsDir);
    if (settingsFolder.empty()) {
        QMessageBox::critical(nullptr, applicationDisplayName(), QStringLiteral("无法创建设置文件夹。"));
        return 1;
    }
    CookieStore cookies(settingsFolder + "cookies.txt");
    CAlbumoraDlg window(settingsFolder, &cookies);
    // The splash covers the start-up step and hands over to the main window when it reports.
    QPointer<CSplashScreenEx> splash = ShowStartupSplash(&window);
    connect(&window, &CAlbumoraDlg::startupFinished, &window, [&window, splash] {
        if (splash) {
            splash->Hide();
        }
        window.show();
    });
    return exec();
}

}  // namespace albumora::gui
