#include "gui/LinkLabel.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace albumora::gui {

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(parent), m_text(text.toHtmlEscaped()) {
    setTextFormat(Qt::RichText);
    setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    ShowText();
}

void LinkLabel::SetLinkText(const QString& text) {
    m_text = text.toHtmlEscaped();
    ShowText();
}

void LinkLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        ShowText();
    }
}

bool LinkLabel::focusNextPrevChild(bool next) {
    return QWidget::focusNextPrevChild(next);
}

void LinkLabel::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool press = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
    if (press && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        if (isEnabled()) {
            emit linkActivated(QStringLiteral("#"));
        }
        return;
    }
    QLabel::keyPressEvent(event);
}

void LinkLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (hasFocus()) {
        QPainter painter(this);
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = contentsRect();
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void LinkLabel::ShowText() {
    // Without the anchor the label takes the palette's disabled text colour like any other.
    setText(isEnabled() ? QStringLiteral("<a href=\"#\">%1</a>").arg(m_text) : m_text);
}

}  // namespace albumora::gui
