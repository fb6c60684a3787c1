#pragma once

#include <functional>

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QRegion>
#include <QTimer>
#include <QWidget>

class QPropertyAnimation;

namespace albumora::gui {

// The shape of a picture: one rectangle one pixel high for each run of pixels that are not of the
// transparent colour (alpha is not looked at). A picture of nothing but that colour, or no picture,
// gives the empty region.
QRegion RegionFromBitmap(const QImage& bitmap, QRgb transparentColour);

// A borderless splash window shaped by its picture, with a text drawn over it. It never takes the
// focus when shown; Escape typed into it ends the program.
class CSplashScreenEx : public QWidget {
    Q_OBJECT

public:
    enum Style : unsigned {
        FadeIn = 0x01,      // 500 ms
        FadeOut = 0x02,     // 200 ms
        DropShadow = 0x04,  // left to the window manager; kept for the style word's sake
        CentreOnScreen = 0x08,
        CentreOnOwner = 0x10,
        HideOnInput = 0x20,  // any mouse button or key hides it
    };
    static constexpr int kFadeInMs = 500;
    static constexpr int kFadeOutMs = 200;

    // `timeoutMs` 0: shown until Hide().
    explicit CSplashScreenEx(QWidget* owner = nullptr, const QString& text = {}, int timeoutMs = 2000,
                             unsigned style = 0);

    // Sizes the window to the picture and shapes it.
    void SetBitmap(const QImage& bitmap, QRgb transparentColour);
    void SetText(const QString& text);
    void SetTextRect(const QRect& rect);
    void SetTextColour(const QColor& colour);
    // Qt::AlignmentFlag and Qt::TextFlag bits.
    void SetTextFormat(int flags);
    void SetTextFont(const QFont& font);
    // What Escape calls with exit code 0; by default it ends the application's event loop.
    void SetExitFunction(std::function<void(int)> exitFunction) { m_exit = std::move(exitFunction); }

    QString text() const { return m_text; }
    unsigned style() const { return m_style; }

public slots:
    // Places the window by its centring style and shows it without activating it, fading in when the
    // style says so; starts the time-out.
    void Show();
    // Fades out when the style says so, then closes the window (which deletes it when it was made
    // with Qt::WA_DeleteOnClose) and reports Hidden().
    void Hide();

signals:
    void Hidden();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void PlaceWindow();
    void FinishHiding();

    QWidget* m_owner;
    QPixmap m_bitmap;
    QString m_text;
    QRect m_textRect;
    QColor m_textColour = Qt::black;
    int m_textFormat = Qt::AlignCenter | Qt::TextWordWrap;
    QFont m_font;
    int m_timeoutMs;
    unsigned m_style;
    QTimer m_timeout;
    QPropertyAnimation* m_fade;
    bool m_hiding = false;
    std::function<void(int)> m_exit;
};

}  // namespace albumora::gui
