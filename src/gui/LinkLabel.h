#pragma once

#include <QLabel>
#include <QString>

namespace albumora::gui {

// A text that reads as a link while it can be used and as plain grey text while it cannot: a
// disabled QLabel keeps the link's blue and underline, and a click on it does nothing. From the
// keyboard it is one stop of Tab, and Enter or Space follows it, as they press a button.
class LinkLabel final : public QLabel {
public:
    LinkLabel(const QString& text, QWidget* parent);
    void SetLinkText(const QString& text);

protected:
    void changeEvent(QEvent* event) override;
    // A label steps through its links with Tab before it lets the focus go, and follows one with
    // Enter only once Tab has stepped onto it; this label has one link.
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* event) override;
    // The label shows no focus of its own until Tab has stepped onto its link.
    void paintEvent(QPaintEvent* event) override;

private:
    void ShowText();

    QString m_text;
};

}  // namespace albumora::gui
