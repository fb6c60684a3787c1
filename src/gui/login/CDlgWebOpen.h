#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;
class QWebEngineProfile;
class QWebEngineView;

namespace albumora::gui {

// The login window: an address line over an embedded browser in which the user logs in to a site
// and then closes the window. The browser's cookies reach the downloads through its profile.
class CDlgWebOpen : public QDialog {
    Q_OBJECT
public:
    // With a start address the browser goes there at once. Without one the address line shows the
    // clipboard's text and the page stays blank until "打开" is pressed.
    CDlgWebOpen(QWebEngineProfile* profile, const QString& startAddress, QWidget* owner = nullptr);

    QLineEdit* addressEdit() const { return m_address; }
    QPushButton* openButton() const { return m_open; }
    QWebEngineView* browser() const { return m_browser; }

private:
    // "打开": the browser goes to the address line's text.
    void openTypedAddress();

    QLineEdit* m_address;
    QPushButton* m_open;
    QWebEngineView* m_browser;
};

}  // namespace albumora::gui
