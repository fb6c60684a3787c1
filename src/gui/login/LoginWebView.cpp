#include "gui/login/LoginWebView.h"

#include <QWebEnginePage>
#include <QWebEngineProfile>

namespace albumora::gui {

LoginWebView::LoginWebView(QWebEngineProfile* profile, QWidget* parent)
    : QWebEngineView(parent), m_profile(profile) {
    // The page is a child of the view, so it goes before the profile that outlives every window.
    auto* page = new QWebEnginePage(profile, this);
    setPage(page);
    connect(page, &QWebEnginePage::windowCloseRequested, this, [this] {
        if (isWindow()) {
            close();
        }
    });
}

QWebEngineView* LoginWebView::createWindow(QWebEnginePage::WebWindowType) {
    // A child of this view's window, so that closing the login window takes its pop-ups along.
    auto* popup = new LoginWebView(m_profile, window());
    popup->setWindowFlag(Qt::Window);
    popup->setAttribute(Qt::WA_DeleteOnClose);
    popup->resize(window()->size() * 4 / 5);
    popup->show();
    return popup;
}

}  // namespace albumora::gui
