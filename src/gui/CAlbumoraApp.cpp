#include "gui/CAlbumoraApp.h"

#include <QMessageBox>
#include <cstdio>

#include "core/net/CookieStore.h"
#include "core/settings/SettingsFolder.h"
#include "gui/CAlbumoraDlg.h"

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
    // The splash window, when there is one, ends here and hands over to the main window.
    connect(&window, &CAlbumoraDlg::startupFinished, &window, &QWidget::show);
    return exec();
}

}  // namespace albumora::gui
