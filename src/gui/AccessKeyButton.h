#pragma once

#include <QChar>
#include <QPushButton>

namespace albumora::gui {

// A push button whose access key stays whatever text the button is given, shown after the text in
// the Chinese way: 获取相册(G), 终止获取(G). The workers' view sets the texts without a key, which
// would drop a key marked in the text. Enter presses the focused button as Space does, without
// making it the dialog's default button, which Enter in a box would press.
class AccessKeyButton final : public QPushButton {
public:
    AccessKeyButton(const QString& text, char16_t key, QWidget* parent);

    // The text as drawn, the key marked with '&'.
    QString ShownText() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QChar m_key;
    int m_shortcut = 0;
};

}  // namespace albumora::gui
