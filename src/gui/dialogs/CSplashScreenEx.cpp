#include "gui/dialogs/CSplashScreenEx.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScreen>

namespace albumora::gui {

QRegion RegionFromBitmap(const QImage& bitmap, QRgb transparentColour) {
    QRegion region;
    if (bitmap.isNull()) {
        return region;
    }
    const QImage pixels = bitmap.convertToFormat(QImage::Format_RGB32);
    const QRgb transparent = transparentColour | 0xFF000000u;
    const int width = pixels.width();
    // Which row comes first does not change the union; top-down keeps the bands in Qt's order.
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        int runStart = -1;
        for (int x = 0; x < width; ++x) {
            const bool opaque = (line[x] | 0xFF000000u) != transparent;
            if (opaque && runStart < 0) {
                runStart = x;
            } else if (!opaque && runStart >= 0) {
                region += QRect(runStart, y, x - runStart, 1);
                runStart = -1;
            }
        }
        if (runStart >= 0) {
            region += QRect(runStart, y, width - runStart, 1);
        }
    }
    return region;
}

CSplashScreenEx::CSplashScreenEx(QWidget* owner, const QString& text, int timeoutMs, unsigned style)
    : QWidget(owner, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_owner(owner),
      m_text(text),
      m_font(QGuiApplication::font()),
      m_timeoutMs(timeoutMs),
      m_style(style),
      m_fade(new QPropertyAnimation(this, "windowOpacity", this)),
      m_exit([](int code) { QCoreApplication::exit(code); }) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setCursor(Qt::ArrowCursor);
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, &CSplashScreenEx::Hide);
}

void CSplashScreenEx::SetBitmap(const QImage& bitmap, QRgb transparentColour) {
    m_bitmap = QPixmap::fromImage(bitmap);
    setFixedSize(bitmap.size());
    PlaceWindow();
    const QRegion shape = RegionFromBitmap(bitmap, transparentColour);
    if (shape.isEmpty()) {
        clearMask();
    } else {
        setMask(shape);
    }
}

void CSplashScreenEx::SetText(const QString& text) {
    m_text = text;
    update();
}

void CSplashScreenEx::SetTextRect(const QRect& rect) {
    m_textRect = rect;
    update();
}

void CSplashScreenEx::SetTextColour(const QColor& colour) {
    m_textColour = colour;
    update();
}

void CSplashScreenEx::SetTextFormat(int flags) {
    m_textFormat = flags;
    update();
}

void CSplashScreenEx::SetTextFont(const QFont& font) {
    m_font = font;
    update();
}

void CSplashScreenEx::PlaceWindow() {
    QRect area;
    if ((m_style & CentreOnScreen) != 0) {
        const QScreen* current = m_owner != nullptr ? m_owner->screen() : QGuiApplication::primaryScreen();
        if (current != nullptr) {
            area = current->availableGeometry();
        }
    } else if ((m_style & CentreOnOwner) != 0 && m_owner != nullptr) {
        area = m_owner->window()->frameGeometry();
    }
    if (area.isValid()) {
        move(area.center() - rect().center());
    }
}

void CSplashScreenEx::Show() {
    m_hiding = false;
    PlaceWindow();
    m_fade->stop();
    disconnect(m_fade, &QPropertyAnimation::finished, this, &CSplashScreenEx::FinishHiding);
    if ((m_style & FadeIn) != 0) {
        setWindowOpacity(0.0);
        show();
        // Painted before the fade starts, so that no unpainted (black) frame is ever shown.
        repaint();
        m_fade->setDuration(kFadeInMs);
        m_fade->setStartValue(0.0);
        m_fade->setEndValue(1.0);
        m_fade->start();
    } else {
        setWindowOpacity(1.0);
        show();
    }
    if (m_timeoutMs > 0) {
        m_timeout.start(m_timeoutMs);
    }
}

void CSplashScreenEx::Hide() {
    if (m_hiding) {
        return;
    }
    m_hiding = true;
    m_timeout.stop();
    m_fade->stop();
    if ((m_style & FadeOut) != 0 && isVisible()) {
        m_fade->setDuration(kFadeOutMs);
        m_fade->setStartValue(windowOpacity());
        m_fade->setEndValue(0.0);
        connect(m_fade, &QPropertyAnimation::finished, this, &CSplashScreenEx::FinishHiding,
                Qt::SingleShotConnection);
        m_fade->start();
    } else {
        FinishHiding();
    }
}

void CSplashScreenEx::FinishHiding() {
    emit Hidden();
    close();
}

void CSplashScreenEx::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_bitmap);
    if (!m_text.isEmpty()) {
        painter.setFont(m_font);
        painter.setPen(m_textColour);
        painter.drawText(m_textRect.isValid() ? m_textRect : rect(), m_textFormat, m_text);
    }
}

void CSplashScreenEx::keyPressEvent(QKeyEvent* event) {
    event->accept();
    if (event->key() == Qt::Key_Escape) {
        m_exit(0);
        return;
    }
    if ((m_style & HideOnInput) != 0) {
        Hide();
    }
}

void CSplashScreenEx::mousePressEvent(QMouseEvent* event) {
    if ((m_style & HideOnInput) != 0) {
        Hide();
    }
    QWidget::mousePressEvent(event);
}

}  // namespace albumora::gui
