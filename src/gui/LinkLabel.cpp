#include "gui/LinkLabel.h"

#include <QEvent>

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

void LinkLabel::ShowText() {
    // Without the anchor the label takes the palette's disabled text colour like any other.
    setText(isEnabled() ? QStringLiteral("<a href=\"#\">%1</a>").arg(m_text) : m_text);
}

}  // namespace albumora::gui
