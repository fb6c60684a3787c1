#include "gui/AccessKeyButton.h"

#include <QKeyEvent>
#include <QShortcutEvent>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace albumora::gui {

AccessKeyButton::AccessKeyButton(const QString& text, char16_t key, QWidget* parent)
    : QPushButton(text, parent), m_key(QChar(key).toUpper()) {
    m_shortcut = grabShortcut(QKeySequence(Qt::ALT | static_cast<Qt::Key>(m_key.unicode())));
}

QString AccessKeyButton::ShownText() const {
    return QStringLiteral("%1(&%2)").arg(text(), m_key);
}

QSize AccessKeyButton::sizeHint() const {
    ensurePolished();
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text = ShownText();
    const QSize textSize = fontMetrics().size(Qt::TextShowMnemonic, option.text);
    option.rect.setSize(textSize);
    return style()->sizeFromContents(QStyle::CT_PushButton, &option, textSize, this);
}

QSize AccessKeyButton::minimumSizeHint() const {
    return sizeHint();
}

bool AccessKeyButton::event(QEvent* event) {
    if (event->type() == QEvent::Shortcut &&
        static_cast<QShortcutEvent*>(event)->shortcutId() == m_shortcut) {
        if (isEnabled()) {
            animateClick();
        }
        return true;
    }
    return QPushButton::event(event);
}

void AccessKeyButton::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        animateClick();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void AccessKeyButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text = ShownText();
    painter.drawControl(QStyle::CE_PushButton, option);
}

}  // namespace albumora::gui
