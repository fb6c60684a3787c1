#pragma once

#include <QLabel>
#include <QString>

namespace albumora::gui {

// A text that reads as a link while it can be used and as plain grey text while it cannot: a
// disabled QLabel keeps the link's blue and underline, and a click on it does nothing.
class LinkLabel final : public QLabel {
public:
    LinkLabel(const QString& text, QWidget* parent);
    void SetLinkText(const QString& text);

protected:
    void changeEvent(QEvent* event) override;

private:
    void ShowText();

    QString m_text;
};

}  // namespace albumora::gui
