#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QSignalSpy>
#include <QWidget>

#include "core/net/CookieStore.h"
#include "gui/login/LoginMenu.h"
#include "support/TempFolder.h"
#include "support/TestWebServer.h"

namespace albumora::test {

// Long enough for a browser that starts cold on a busy machine; the waits end as soon as the
// awaited signal comes.
inline constexpr std::chrono::milliseconds kBrowserWait{30000};

// Waits for the spied signal until `done` holds or the time is up; returns `done()`.
template <typename Predicate>
bool WaitUntil(QSignalSpy& spy, Predicate done, std::chrono::milliseconds timeout = kBrowserWait) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        spy.wait(static_cast<int>(left.count()));
    }
    return true;
}

// Whether the jar holds a cookie of that name (and value, when given).
inline bool HasCookie(const CookieStore& store, std::string_view name,
                      std::optional<std::string_view> value = {}) {
    const auto jar = store.List();
    return std::any_of(jar.begin(), jar.end(), [&](const Cookie& cookie) {
        return cookie.name == name && (!value || cookie.value == *value);
    });
}

// A fresh folder that lasts until the process ends: the browser writes its profile data on threads
// of its own until the application object is gone, so earlier removal would leave strays behind.
inline TempFolder& FolderKeptUntilExit() {
    static std::vector<std::unique_ptr<TempFolder>> folders;
    return *folders.emplace_back(std::make_unique<TempFolder>());
}

// A stand-in main window with the login menu of a fresh settings folder, and the local server.
class LoginTest : public ::testing::Test {
protected:
    void SetUp() override {
        server().ClearRoutes();
        server().ClearRequests();
    }

    static TestWebServer& server() { return SharedTestServer(); }

    // The jar of cookies.txt in the settings folder, and the menu over it; once per test, after any
    // cookies.txt the test writes first.
    gui::LoginMenu& StartMenu() {
        m_cookies = std::make_unique<CookieStore>(m_settings.file("cookies.txt"));
        m_mainWindow = std::make_unique<QWidget>();
        m_mainWindow->setGeometry(50, 50, 700, 500);
        m_mainWindow->show();
        m_login = new gui::LoginMenu(
            m_mainWindow.get(), QString::fromStdString(m_settings.path()), *m_cookies,
            [this] { return m_addressText; }, [this] { return m_albumKind; });
        return *m_login;
    }

    QString m_addressText;
    int m_albumKind = 0;
    TempFolder& m_settings = FolderKeptUntilExit();
    std::unique_ptr<CookieStore> m_cookies;
    // Destroyed first: it takes the menu, the login windows and the browser profile along.
    std::unique_ptr<QWidget> m_mainWindow;
    gui::LoginMenu* m_login = nullptr;
};

}  // namespace albumora::test
