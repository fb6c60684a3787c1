#pragma once

#include <functional>
#include <map>
#include <memory>

#include <QObject>
#include <QPointer>
#include <QString>

class QAction;
class QMenu;
class QWidget;

namespace albumora {
class CookieStore;
}

namespace albumora::gui {

class CDlgWebOpen;
class LoginProfile;

// Command numbers of the login menu "登录".
enum LoginCommand : int {
    kCmdLoginWindowModeless = 32796,
    kCmdLoginQqZone = 32781,
    kCmdLoginTencentWeibo = 32782,
    kCmdLoginBaidu = 32789,
    kCmdLoginNetEase = 32790,
    kCmdLoginRenren = 32791,
    kCmdLoginYupoo = 32792,
    kCmdLoginMoko = 32793,
    kCmdLoginSinaWeibo = 32794,
    kCmdLoginTaobao = 32803,
    kCmdLogin56 = 32813,
    kCmdLoginHupu = 32815,
    kCmdLoginCustom = 32795,
    // The two sites the program downloads from, first in the menu.
    kCmdLoginHuaban = 32830,
    kCmdLoginDuitang = 32831,
};

// The login menu and the login windows it opens, for the main window to host:
//
//     m_login = new LoginMenu(this, settingsFolder, cookieStore, addressText, albumKindPosition);
//     m_login->fillMenu(menuBar()->addMenu(QStringLiteral("登录")));
//
// It owns the run-time flag `loginWindowModeless` (set at every start, never saved), the modeless
// login window of the last use and the browser profile, which starts with the first login window.
class LoginMenu : public QObject {
    Q_OBJECT
public:
    using TextSource = std::function<QString()>;
    using PositionSource = std::function<int()>;

    // `mainWindow` owns the modeless window and is this object's parent. `settingsFolder` ends in
    // '/'. `addressText` gives the main window's address box text, `albumKindPosition` the position
    // of its album kind selector (-1 for none); both are read when a login opens. The cookie store
    // must outlive this object.
    LoginMenu(QWidget* mainWindow, QString settingsFolder, CookieStore& cookies, TextSource addressText,
              PositionSource albumKindPosition);
    ~LoginMenu() override;
    LoginMenu(const LoginMenu&) = delete;
    LoginMenu& operator=(const LoginMenu&) = delete;

    // Adds every entry of the login menu to `menu`, in order.
    void fillMenu(QMenu* menu);
    // The entry with this command number; null before fillMenu.
    QAction* action(int commandId) const;

    bool loginWindowModeless() const { return m_loginWindowModeless; }
    void setLoginWindowModeless(bool modeless);

    // Closes a modeless login window of an earlier use, then opens a new one at `startAddress`:
    // modeless and kept by the main window when `loginWindowModeless` is set, else modal (returns
    // when the user has closed it).
    void openLoginWindow(const QString& startAddress);

    // The open modeless login window, or null.
    CDlgWebOpen* modelessWindow() const { return m_modelessWindow; }
    // The browser profile, started on first use.
    LoginProfile& profile();

private:
    void addLogin(QMenu* menu, int commandId, const QString& text, std::function<QString()> startAddress);

    QWidget* m_mainWindow;
    QString m_settingsFolder;
    CookieStore& m_cookies;
    TextSource m_addressText;
    PositionSource m_albumKindPosition;
    bool m_loginWindowModeless = true;
    std::map<int, QAction*> m_actions;
    QPointer<CDlgWebOpen> m_modelessWindow;
    QPointer<CDlgWebOpen> m_modalWindow;
    std::unique_ptr<LoginProfile> m_profile;
};

}  // namespace albumora::gui
