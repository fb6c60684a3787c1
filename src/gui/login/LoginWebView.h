#pragma once

#include <QWebEngineView>

class QWebEngineProfile;

namespace albumora::gui {

// The login window's browser. Pages that a site opens in a new window (some logins do) open in a
// window of their own on the same profile, so that their cookies reach the jar too; the window
// closes when its page asks to.
class LoginWebView : public QWebEngineView {
    Q_OBJECT
public:
    LoginWebView(QWebEngineProfile* profile, QWidget* parent);

protected:
    QWebEngineView* createWindow(QWebEnginePage::WebWindowType type) override;

private:
    QWebEngineProfile* m_profile;
};

}  // namespace albumora::gui
