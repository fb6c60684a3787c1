#pragma once

#include <QRect>
#include <QRgb>

class QImage;
class QWidget;

namespace albumora::gui {

class CSplashScreenEx;

// The start-up picture, 300 x 167, and the colour of its pixels that are not part of the window.
inline constexpr QRgb kSplashTransparentColour = qRgb(212, 120, 120);
// The text's place on the picture (inclusive corners 30,50 and 290,159).
inline constexpr QRect kSplashTextRect{30, 50, 261, 110};

QImage StartupSplashPicture();

// Creates and shows the start-up splash over `owner`: faded in and out, centred on the screen, no
// time-out. The main window calls Hide() on it when its start-up step reports; the splash then
// deletes itself, so keep it in a QPointer.
CSplashScreenEx* ShowStartupSplash(QWidget* owner);

// The splash is read for at least this long, however fast the start-up step is.
inline constexpr int kMinimumSplashMs = 1200;

// Ends the splash once it has been up for `minimumMs` (counted from this call), and shows `window`
// only when the splash has faded out and closed; at once without a splash.
void ShowAfterSplash(QWidget& window, CSplashScreenEx* splash, int minimumMs);

}  // namespace albumora::gui
