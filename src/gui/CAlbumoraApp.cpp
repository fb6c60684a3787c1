#include "gui/CAlbumoraApp.h"

#include <QElapsedTimer>
#include <QIcon>
#include <QMessageBox>
#include <QPointer>
#include <cstdio>

#include "core/net/CookieStore.h"
#include "core/settings/SettingsFolder.h"
#include "gui/CAlbumoraDlg.h"
#include "gui/QtTranslations.h"
#include "gui/dialogs/CSplashScreenEx.h"
#include "gui/dialogs/StartupSplash.h"

// Resources of a static library stay out of the link unless something names them.
static void InitIconResource() {
    Q_INIT_RESOURCE(appicon);
}

namespace albumora::gui {

namespace {

constexpr const char* kUsage =
    "Usage: albumora [--settings-dir DIR] [ADDRESS]\n"
    "  --settings-dir DIR  keep soft.dat, cookies.txt and the cover cache in DIR\n"
    "  ADDRESS             a Huaban board or Duitang address to put in the address box\n";

}  // namespace

CAlbumoraApp::CAlbumoraApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Albumora"));
    setApplicationDisplayName(QStringLiteral("Albumora"));
    setApplicationVersion(QStringLiteral(ALBUMORA_VERSION));
    // The SVG is drawn by Qt's SVG icon engine at whatever size the window manager asks for.
    InitIconResource();
    setWindowIcon(QIcon(QStringLiteral(":/icons/albumora.svg")));
    // Wayland matches the window to the installed desktop entry (and its icon) by this name.
    setDesktopFileName(QStringLiteral("albumora"));
    InstallQtChineseTranslations(*this);
}

bool CAlbumoraApp::ParseArguments(Arguments& parsed) const {
    const QStringList args = arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--settings-dir") && i + 1 < args.size()) {
            parsed.settingsDir = args[++i].toStdString();
        } else if (!args[i].startsWith(QLatin1Char('-')) && parsed.address.isEmpty()) {
            parsed.address = args[i].trimmed();
        } else {
            return false;
        }
    }
    return true;
}

int CAlbumoraApp::Run() {
    Arguments parsed;
    if (!ParseArguments(parsed)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string settingsFolder = ResolveSettingsFolder(parsed.settingsDir);
    if (settingsFolder.empty()) {
        QMessageBox::critical(nullptr, applicationDisplayName(), QStringLiteral("无法创建设置文件夹。"));
        return 1;
    }
    CookieStore cookies(settingsFolder + "cookies.txt");
    CAlbumoraDlg window(settingsFolder, &cookies);
    if (!parsed.address.isEmpty()) {
        window.SetAddress(parsed.address);
    }
    // The splash covers the start-up step and hands over to the main window when it reports; the
    // window appears only once the splash has closed. Showing a splash window runs the events
    // already posted, the start-up step among them, so the report can come while the splash is
    // still being shown: then the hand-over waits for it.
    QPointer<CSplashScreenEx> splash;
    QElapsedTimer splashShown;
    bool started = false;
    const auto handOver = [&window, &splash, &splashShown] {
        ShowAfterSplash(window, splash, kMinimumSplashMs - static_cast<int>(splashShown.elapsed()));
    };
    connect(&window, &CAlbumoraDlg::startupFinished, &window, [&started, &splash, &handOver] {
        started = true;
        if (splash) {
            handOver();
        }
    });
    splashShown.start();
    splash = ShowStartupSplash(&window);
    if (started) {
        handOver();
    }
    return exec();
}

}  // namespace albumora::gui
