#include "gui/login/LoginProfile.h"

#include <algorithm>

#include <QDateTime>
#include <QNetworkCookie>
#include <QRegularExpression>
#include <QTimeZone>
#include <QUrl>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

#include "core/net/CookieStore.h"

namespace albumora::gui {

namespace {

constexpr const char* kProfileName = "AlbumoraLogin";
constexpr const char* kProfileFolder = "browser/";

Cookie ToJarCookie(const QNetworkCookie& browserCookie) {
    Cookie cookie;
    cookie.name = browserCookie.name().toStdString();
    cookie.value = browserCookie.value().toStdString();
    // The browser writes a cookie for the host alone without a leading dot and one for the host
    // and its subdomains with it, as the cookie file does.
    cookie.domain = browserCookie.domain().toStdString();
    cookie.path = browserCookie.path().isEmpty() ? std::string("/") : browserCookie.path().toStdString();
    if (!browserCookie.isSessionCookie()) {
        // 0 would turn it into a session cookie; an expiry that far back never reaches here anyway.
        cookie.expires = std::max<std::int64_t>(1, browserCookie.expirationDate().toSecsSinceEpoch());
    }
    cookie.secure = browserCookie.isSecure();
    cookie.httpOnly = browserCookie.isHttpOnly();
    return cookie;
}

struct BrowserCookie {
    QNetworkCookie cookie;
    QUrl origin;
};

BrowserCookie ToBrowserCookie(const Cookie& jarCookie) {
    BrowserCookie result;
    QNetworkCookie& cookie = result.cookie;
    cookie.setName(QByteArray::fromStdString(jarCookie.name));
    cookie.setValue(QByteArray::fromStdString(jarCookie.value));
    const bool subdomains = jarCookie.domain.starts_with('.');
    // A domain attribute would widen a host's own cookie to its subdomains; without one the origin
    // alone names the host.
    if (subdomains) {
        cookie.setDomain(QString::fromStdString(jarCookie.domain));
    }
    cookie.setPath(QString::fromStdString(jarCookie.path.empty() ? std::string("/") : jarCookie.path));
    if (jarCookie.expires != 0) {
        cookie.setExpirationDate(QDateTime::fromSecsSinceEpoch(jarCookie.expires, QTimeZone::utc()));
    }
    cookie.setSecure(jarCookie.secure);
    cookie.setHttpOnly(jarCookie.httpOnly);

    result.origin.setScheme(jarCookie.secure ? QStringLiteral("https") : QStringLiteral("http"));
    result.origin.setHost(QString::fromStdString(subdomains ? jarCookie.domain.substr(1) : jarCookie.domain));
    result.origin.setPath(cookie.path());
    return result;
}

}  // namespace

LoginProfile::LoginProfile(const QString& settingsFolder, CookieStore& cookies, QObject* parent)
    : QObject(parent), m_cookies(cookies) {
    if (settingsFolder.isEmpty()) {
        // Without a settings folder the browser's data stays in memory rather than in the working
        // directory.
        m_profile = new QWebEngineProfile();
    } else {
        m_profile = new QWebEngineProfile(QString::fromLatin1(kProfileName));
        const QString folder = settingsFolder + QString::fromLatin1(kProfileFolder);
        m_profile->setPersistentStoragePath(folder + QStringLiteral("storage"));
        m_profile->setCachePath(folder + QStringLiteral("cache"));
    }
    m_profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    // Some login pages turn away browsers they do not know; without its toolkit's token the
    // browser reads as the Chrome it is built on.
    QString userAgent = m_profile->httpUserAgent();
    userAgent.remove(QRegularExpression(QStringLiteral(" QtWebEngine/\\S+")));
    m_profile->setHttpUserAgent(userAgent);
    m_profile->setHttpAcceptLanguage(QStringLiteral("zh-CN,zh;q=0.9"));

    QWebEngineCookieStore* browserCookies = m_profile->cookieStore();
    connect(browserCookies, &QWebEngineCookieStore::cookieAdded, this, &LoginProfile::copyAdded);
    connect(browserCookies, &QWebEngineCookieStore::cookieRemoved, this, &LoginProfile::copyRemoved);
    pushJarIntoBrowser();
}

LoginProfile::~LoginProfile() {
    delete m_profile;
}

void LoginProfile::pushJarIntoBrowser() {
    QWebEngineCookieStore* browserCookies = m_profile->cookieStore();
    for (const Cookie& cookie : m_cookies.List()) {
        const BrowserCookie browserCookie = ToBrowserCookie(cookie);
        browserCookies->setCookie(browserCookie.cookie, browserCookie.origin);
    }
}

void LoginProfile::copyAdded(const QNetworkCookie& browserCookie) {
    const Cookie cookie = ToJarCookie(browserCookie);
    if (!IsStorableCookie(cookie)) {
        return;
    }
    // The cookies pushed in at start come back through here; writing them again would rewrite the
    // file once for each.
    const auto jar = m_cookies.List();
    if (std::find(jar.begin(), jar.end(), cookie) != jar.end()) {
        return;
    }
    if (m_cookies.Set(cookie)) {
        emit jarChanged();
    }
}

void LoginProfile::copyRemoved(const QNetworkCookie& browserCookie) {
    const Cookie cookie = ToJarCookie(browserCookie);
    if (m_cookies.Remove(cookie.name, cookie.domain, cookie.path)) {
        emit jarChanged();
    }
}

}  // namespace albumora::gui
