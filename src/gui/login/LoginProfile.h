#pragma once

#include <QObject>
#include <QString>

class QNetworkCookie;
class QWebEngineProfile;

namespace albumora {
class CookieStore;
}

namespace albumora::gui {

// The login browser's profile. Its data (local storage, cache) lives in "browser/" under the
// settings folder; its cookies are the process's cookie jar, mirrored both ways: the jar's cookies
// go into the browser when the profile starts, and every cookie the browser stores or drops
// afterwards, whether a response or a script set it, goes into the jar and so into cookies.txt
// and every later request of the workers.
//
// The browser keeps no cookie database of its own: it would not report the cookies it restored
// from it, and a host whose cookies the jar forgot would get them back from there. The jar is the
// one truth.
//
// Pages made with profile() must be deleted before this object.
class LoginProfile : public QObject {
    Q_OBJECT
public:
    // `settingsFolder` ends in '/'; empty keeps the browser's data in memory.
    LoginProfile(const QString& settingsFolder, CookieStore& cookies, QObject* parent = nullptr);
    ~LoginProfile() override;
    LoginProfile(const LoginProfile&) = delete;
    LoginProfile& operator=(const LoginProfile&) = delete;

    QWebEngineProfile* profile() const { return m_profile; }

signals:
    // The jar took over a cookie that the browser stored or dropped.
    void jarChanged();

private:
    void pushJarIntoBrowser();
    void copyAdded(const QNetworkCookie& cookie);
    void copyRemoved(const QNetworkCookie& cookie);

    CookieStore& m_cookies;
    QWebEngineProfile* m_profile = nullptr;
};

}  // namespace albumora::gui
