#include "gui/dialogs/StartupSplash.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

#include "gui/dialogs/CSplashScreenEx.h"

// Resources of a static library stay out of the link unless something names them.
static void InitSplashResource() {
    Q_INIT_RESOURCE(splash);
}

namespace albumora::gui {

QImage StartupSplashPicture() {
    InitSplashResource();
    return QImage(QStringLiteral(":/splash/splash.png"));
}

CSplashScreenEx* ShowStartupSplash(QWidget* owner) {
    auto* splash = new CSplashScreenEx(
        owner,
        QStringLiteral("正在启动，请稍候……\n粘贴花瓣画板或堆糖专辑的地址，列出相册，选中后即可批量下载。"), 0,
        CSplashScreenEx::FadeIn | CSplashScreenEx::FadeOut | CSplashScreenEx::CentreOnScreen);
    splash->setAttribute(Qt::WA_DeleteOnClose);
    QFont font = splash->font();
    font.setPointSize(10);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    splash->SetTextFont(font);
    splash->SetTextColour(Qt::white);
    splash->SetTextFormat(Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap);
    splash->SetTextRect(kSplashTextRect);
    splash->SetBitmap(StartupSplashPicture(), kSplashTransparentColour);
    splash->Show();
    return splash;
}

void ShowAfterSplash(QWidget& window, CSplashScreenEx* splash, int minimumMs) {
    if (splash == nullptr) {
        window.show();
        return;
    }
    QObject::connect(splash, &CSplashScreenEx::Hidden, &window, [&window] { window.show(); });
    QTimer::singleShot(std::max(minimumMs, 0), splash, [splash] { splash->Hide(); });
}

}  // namespace albumora::gui
