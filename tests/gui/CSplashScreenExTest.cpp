#include "gui/dialogs/CSplashScreenEx.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "gui/dialogs/StartupSplash.h"

namespace albumora::gui {
namespace {

constexpr QRgb kKey = qRgb(212, 120, 120);
constexpr QRgb kInk = qRgb(20, 40, 60);

// A picture from rows of characters: '#' opaque, '.' the transparent colour.
QImage Picture(const QStringList& rows) {
    QImage image(rows.front().size(), rows.size(), QImage::Format_RGB888);
    for (int y = 0; y < rows.size(); ++y) {
        for (int x = 0; x < rows[y].size(); ++x) {
            image.setPixel(x, y, rows[y][x] == '#' ? kInk : kKey);
        }
    }
    return image;
}

// The region's pixels drawn the same way, for readable failures.
QStringList Drawn(const QRegion& region, QSize size) {
    QStringList rows;
    for (int y = 0; y < size.height(); ++y) {
        QString row;
        for (int x = 0; x < size.width(); ++x) {
            row += region.contains(QPoint(x, y)) ? '#' : '.';
        }
        rows << row;
    }
    return rows;
}

TEST(SplashRegion, AllTransparentOrNoPictureIsEmpty) {
    EXPECT_TRUE(RegionFromBitmap(Picture({"....", "...."}), kKey).isEmpty());
    EXPECT_TRUE(RegionFromBitmap(QImage(), kKey).isEmpty());
}

TEST(SplashRegion, RunsFollowTheOpaquePixelsOfEachRow) {
    const QStringList rows{
        ".##..#",  // the last run ends with the row's last pixel
        "######", "#.....", "......", "..##..",
    };
    const QRegion region = RegionFromBitmap(Picture(rows), kKey);
    EXPECT_EQ(Drawn(region, {6, 5}), rows);
    EXPECT_EQ(region.boundingRect(), QRect(0, 0, 6, 5));
    EXPECT_EQ(RegionFromBitmap(Picture({"..#"}), kKey), QRegion(2, 0, 1, 1));
}

TEST(SplashRegion, OnlyTheExactColourIsTransparent) {
    QImage image = Picture({"...."});
    image.setPixel(1, 0, qRgb(212, 120, 121));
    EXPECT_EQ(RegionFromBitmap(image, kKey), QRegion(1, 0, 1, 1));
    // An alpha channel does not make a pixel of the key colour opaque, nor the other way round.
    QImage withAlpha = image.convertToFormat(QImage::Format_ARGB32);
    withAlpha.setPixel(3, 0, qRgba(212, 120, 120, 10));
    EXPECT_EQ(RegionFromBitmap(withAlpha, kKey), QRegion(1, 0, 1, 1));
}

TEST(StartupSplash, PictureIsShapedByItsTransparentColour) {
    const QImage picture = StartupSplashPicture();
    ASSERT_EQ(picture.size(), QSize(300, 167));
    const QRegion shape = RegionFromBitmap(picture, kSplashTransparentColour);
    EXPECT_FALSE(shape.contains(QPoint(0, 0)));
    EXPECT_FALSE(shape.contains(QPoint(299, 166)));
    // The text area is part of the window, so the text is never cut away.
    EXPECT_TRUE(shape.contains(kSplashTextRect));
}

class SplashWindow : public ::testing::Test {
protected:
    static QImage Square() { return Picture({".##.", "####", "####", ".##."}).scaled(40, 40); }
};

TEST_F(SplashWindow, ShowsCentredWithoutTakingTheFocusAndHidesWhenToldOrTimedOut) {
    CSplashScreenEx splash(nullptr, "text", 0, CSplashScreenEx::CentreOnScreen);
    splash.SetBitmap(Square(), kKey);
    QSignalSpy hidden(&splash, &CSplashScreenEx::Hidden);
    splash.Show();
    EXPECT_TRUE(splash.isVisible());
    EXPECT_TRUE(splash.testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(splash.size(), QSize(40, 40));
    EXPECT_FALSE(splash.mask().isEmpty());
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((splash.geometry().center() - area.center()).manhattanLength(), 1);

    splash.Hide();
    EXPECT_FALSE(splash.isVisible());
    EXPECT_EQ(hidden.count(), 1);

    CSplashScreenEx timed(nullptr, "", 50, 0);
    QSignalSpy timedOut(&timed, &CSplashScreenEx::Hidden);
    timed.Show();
    EXPECT_TRUE(timedOut.wait(5000));
    EXPECT_FALSE(timed.isVisible());
}

TEST_F(SplashWindow, FadesInAndOut) {
    CSplashScreenEx splash(nullptr, "", 0, CSplashScreenEx::FadeIn | CSplashScreenEx::FadeOut);
    splash.SetBitmap(Square(), kKey);
    QSignalSpy hidden(&splash, &CSplashScreenEx::Hidden);
    splash.Show();
    EXPECT_LT(splash.windowOpacity(), 1.0);
    QTRY_COMPARE_WITH_TIMEOUT(splash.windowOpacity(), 1.0, 5000);

    splash.Hide();
    EXPECT_TRUE(splash.isVisible());  // still fading
    EXPECT_TRUE(hidden.wait(5000));
    EXPECT_FALSE(splash.isVisible());
}

TEST_F(SplashWindow, EscapeEndsTheProgramWithCodeZero) {
    CSplashScreenEx splash(nullptr, "", 0, 0);
    splash.SetBitmap(Square(), kKey);
    QList<int> exits;
    splash.SetExitFunction([&](int code) { exits << code; });
    splash.Show();
    QTest::keyClick(&splash, Qt::Key_A);
    EXPECT_TRUE(exits.isEmpty());
    EXPECT_TRUE(splash.isVisible());
    QTest::keyClick(&splash, Qt::Key_Escape);
    EXPECT_EQ(exits, QList<int>{0});
}

TEST_F(SplashWindow, InputHidesOnlyWithItsStyle) {
    CSplashScreenEx plain(nullptr, "", 0, 0);
    plain.SetBitmap(Square(), kKey);
    plain.Show();
    QTest::mouseClick(&plain, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_TRUE(plain.isVisible());

    CSplashScreenEx splash(nullptr, "", 0, CSplashScreenEx::HideOnInput);
    splash.SetBitmap(Square(), kKey);
    splash.Show();
    QTest::mouseClick(&splash, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_FALSE(splash.isVisible());
}

TEST(StartupSplash, TheWindowAppearsOnlyAfterTheSplashHasClosed) {
    QWidget window;
    QPointer<CSplashScreenEx> splash = ShowStartupSplash(nullptr);
    ShowAfterSplash(window, splash, 300);
    EXPECT_FALSE(window.isVisible());
    QTest::qWait(100);
    EXPECT_TRUE(splash->isVisible());
    EXPECT_FALSE(window.isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(splash.isNull(), 5000);
    EXPECT_TRUE(window.isVisible());
}

TEST(StartupSplash, DeletesItselfOnceHidden) {
    QPointer<CSplashScreenEx> splash = ShowStartupSplash(nullptr);
    ASSERT_FALSE(splash.isNull());
    EXPECT_TRUE(splash->isVisible());
    EXPECT_EQ(splash->size(), QSize(300, 167));
    splash->Hide();
    QTRY_VERIFY_WITH_TIMEOUT(splash.isNull(), 5000);
}

}  // namespace
}  // namespace albumora::gui
