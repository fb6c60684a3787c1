#include "gui/login/LoginProfile.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSignalSpy>
#include <QWebEngineView>

#include "LoginFixture.h"
#include "core/net/URLSource2.h"
#include "gui/login/CDlgWebOpen.h"

namespace albumora::test {
namespace {

std::string Page(std::string_view script) {
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>登录</title><script>" +
           std::string(script) + "</script></head><body>已登录</body></html>";
}

class LoginProfileTest : public LoginTest {
protected:
    // Opens the modeless login window at `path` of the server and waits until the page is there.
    gui::CDlgWebOpen& OpenAndLoad(std::string_view path) {
        gui::LoginMenu& login = m_login != nullptr ? *m_login : StartMenu();
        login.openLoginWindow(QString::fromStdString(server().url(path)));
        gui::CDlgWebOpen* window = login.modelessWindow();
        EXPECT_NE(window, nullptr);
        QSignalSpy loaded(window->browser(), &QWebEngineView::loadFinished);
        EXPECT_TRUE(loaded.wait(static_cast<int>(kBrowserWait.count())));
        EXPECT_EQ(loaded.value(0).value(0).toBool(), true);
        return *window;
    }

    void CloseLoginWindow() {
        QPointer<gui::CDlgWebOpen> window = m_login->modelessWindow();
        ASSERT_NE(window, nullptr);
        window->close();
        // The window deletes itself on close, later, from the event loop; the test has none running.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(window.isNull());
    }
};

TEST_F(LoginProfileTest, CookiesOfTheLoginReachLaterRequestsAndTheCookieFile) {
    server().Route("/login", Response{.body = Page("document.cookie = 'js=2; path=/; max-age=3600';"),
                                      .setCookies = {"hdr=1; Path=/; HttpOnly"}});
    server().Route("/albums", Response{.body = "list"});

    OpenAndLoad("/login");
    QSignalSpy copied(&m_login->profile(), &gui::LoginProfile::jarChanged);
    ASSERT_TRUE(WaitUntil(
        copied, [&] { return HasCookie(*m_cookies, "hdr", "1") && HasCookie(*m_cookies, "js", "2"); }));
    CloseLoginWindow();

    ST_URLREQUEST request(FromUtf8(server().url("/albums")));
    request.cookieStore = m_cookies.get();
    CURLSource response;
    ASSERT_TRUE(FetchUrl(request, response, 0));
    const auto asked = server().requestsFor("/albums");
    ASSERT_EQ(asked.size(), 1u);
    const std::string sent = asked[0].Header("Cookie");
    EXPECT_NE(sent.find("hdr=1"), std::string::npos) << sent;
    EXPECT_NE(sent.find("js=2"), std::string::npos) << sent;

    const CookieStore reloaded(m_settings.file("cookies.txt"));
    EXPECT_TRUE(HasCookie(reloaded, "hdr", "1"));
    EXPECT_TRUE(HasCookie(reloaded, "js", "2"));
    for (const Cookie& cookie : reloaded.List()) {
        EXPECT_EQ(cookie.domain, "127.0.0.1");
        EXPECT_EQ(cookie.httpOnly, cookie.name == "hdr") << cookie.name;
        EXPECT_EQ(cookie.expires == 0, cookie.name == "hdr") << cookie.name;
    }
}

TEST_F(LoginProfileTest, TheBrowserStartsWithTheLastRunsCookiesAsAPlainChrome) {
    WriteFile(m_settings.file("cookies.txt"),
              "127.0.0.1\tFALSE\t/\tFALSE\t0\tsession\tkept\n"
              "#HttpOnly_127.0.0.1\tFALSE\t/\tFALSE\t4102444800\tlasting\tyes\n");
    server().Route("/home", Response{.body = Page("")});

    OpenAndLoad("/home");

    const auto asked = server().requestsFor("/home");
    ASSERT_FALSE(asked.empty());
    const std::string sent = asked[0].Header("Cookie");
    EXPECT_NE(sent.find("session=kept"), std::string::npos) << sent;
    EXPECT_NE(sent.find("lasting=yes"), std::string::npos) << sent;
    // Some login pages turn away browsers they do not know.
    const std::string agent = asked[0].Header("User-Agent");
    EXPECT_EQ(agent.find("QtWebEngine"), std::string::npos) << agent;
    EXPECT_NE(agent.find("Chrome/"), std::string::npos) << agent;
    EXPECT_TRUE(asked[0].Header("Accept-Language").starts_with("zh-CN"));
    EXPECT_EQ(m_cookies->List().size(), 2u);
}

TEST_F(LoginProfileTest, ACookieThePageDeletesLeavesTheJarAndTheFile) {
    WriteFile(m_settings.file("cookies.txt"),
              "127.0.0.1\tFALSE\t/\tFALSE\t0\tgone\t1\n"
              "127.0.0.1\tFALSE\t/\tFALSE\t0\tstays\t1\n");
    server().Route("/logout", Response{.body = Page("document.cookie = 'gone=; path=/; max-age=0';")});

    OpenAndLoad("/logout");
    QSignalSpy copied(&m_login->profile(), &gui::LoginProfile::jarChanged);
    ASSERT_TRUE(WaitUntil(copied, [&] { return !HasCookie(*m_cookies, "gone"); }));

    const CookieStore reloaded(m_settings.file("cookies.txt"));
    EXPECT_FALSE(HasCookie(reloaded, "gone"));
    EXPECT_TRUE(HasCookie(reloaded, "stays", "1"));
}

}  // namespace
}  // namespace albumora::test
