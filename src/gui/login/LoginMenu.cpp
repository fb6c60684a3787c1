#include "gui/login/LoginMenu.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

#include "gui/login/CDlgWebOpen.h"
#include "gui/login/LoginAddresses.h"
#include "gui/login/LoginProfile.h"

namespace albumora::gui {

namespace {

struct FixedLogin {
    int commandId;
    const char16_t* text;
    const char* startAddress;
};

// The sites the program serves come first.
constexpr FixedLogin kServedSiteLogins[] = {
    {kCmdLoginHuaban, u"花瓣（登录后才能下载整个画板）", kHuabanLoginPage},
    {kCmdLoginDuitang, u"堆糖", kDuitangLoginPage},
};

// In menu order, after the QQ Zone entry.
constexpr FixedLogin kFixedLogins[] = {
    {kCmdLoginTencentWeibo, u"腾讯微博（登录时勾上下次自动登录）", kTencentWeiboHomePage},
    {kCmdLoginBaidu, u"百度", kBaiduLoginPage},
    {kCmdLoginNetEase, u"网易", kNetEaseLoginPage},
    {kCmdLoginRenren, u"人人", kRenrenHomePage},
    {kCmdLoginYupoo, u"又拍（下载器没弹窗提示你登录，就不要在这里登录）", kYupooLoginPage},
    {kCmdLoginMoko, u"美空", kMokoLoginPage},
    {kCmdLoginSinaWeibo, u"新浪微博（登录时勾上下次自动登录）", kSinaWeiboLoginPage},
    {kCmdLoginTaobao, u"淘宝（强烈建议用小号登录）", kTaobaoLoginPage},
    {kCmdLogin56, u"56", k56LoginPage},
    {kCmdLoginHupu, u"虎扑", kHupuLoginPage},
    {kCmdLoginCustom, u"自定义登录", kCustomLoginStartPage},
};

}  // namespace

LoginMenu::LoginMenu(QWidget* mainWindow, QString settingsFolder, CookieStore& cookies,
                     TextSource addressText, PositionSource albumKindPosition)
    : QObject(mainWindow),
      m_mainWindow(mainWindow),
      m_settingsFolder(std::move(settingsFolder)),
      m_cookies(cookies),
      m_addressText(std::move(addressText)),
      m_albumKindPosition(std::move(albumKindPosition)) {}

LoginMenu::~LoginMenu() {
    // Their browser pages must go before the profile does.
    delete m_modalWindow;
    delete m_modelessWindow;
}

void LoginMenu::fillMenu(QMenu* menu) {
    QAction* modeless = menu->addAction(QStringLiteral("登录方式1（如果登录失败，可勾选该项后再登录）"));
    modeless->setCheckable(true);
    modeless->setChecked(m_loginWindowModeless);
    connect(modeless, &QAction::toggled, this, &LoginMenu::setLoginWindowModeless);
    m_actions[kCmdLoginWindowModeless] = modeless;
    const auto addFixedLogins = [this, menu](const auto& logins) {
        for (const FixedLogin& login : logins) {
            const QString address = QString::fromLatin1(login.startAddress);
            addLogin(menu, login.commandId, QString::fromUtf16(login.text), [address] { return address; });
        }
    };
    menu->addSeparator();
    addFixedLogins(kServedSiteLogins);
    menu->addSeparator();

    addLogin(menu, kCmdLoginQqZone, QStringLiteral("QQ空间/QQ群"),
             [this] { return QqZoneStartAddress(m_addressText(), m_albumKindPosition()); });
    addFixedLogins(kFixedLogins);
}

void LoginMenu::addLogin(QMenu* menu, int commandId, const QString& text,
                         std::function<QString()> startAddress) {
    QAction* action = menu->addAction(text);
    connect(action, &QAction::triggered, this,
            [this, startAddress = std::move(startAddress)] { openLoginWindow(startAddress()); });
    m_actions[commandId] = action;
}

QAction* LoginMenu::action(int commandId) const {
    const auto found = m_actions.find(commandId);
    return found != m_actions.end() ? found->second : nullptr;
}

void LoginMenu::setLoginWindowModeless(bool modeless) {
    m_loginWindowModeless = modeless;
    if (QAction* item = action(kCmdLoginWindowModeless); item != nullptr && item->isChecked() != modeless) {
        item->setChecked(modeless);
    }
}

LoginProfile& LoginMenu::profile() {
    if (!m_profile) {
        m_profile = std::make_unique<LoginProfile>(m_settingsFolder, m_cookies);
    }
    return *m_profile;
}

void LoginMenu::openLoginWindow(const QString& startAddress) {
    if (m_modelessWindow != nullptr) {
        m_modelessWindow->close();
        delete m_modelessWindow;
    }
    if (m_loginWindowModeless) {
        m_modelessWindow = new CDlgWebOpen(profile().profile(), startAddress, m_mainWindow);
        m_modelessWindow->setAttribute(Qt::WA_DeleteOnClose);
        m_modelessWindow->show();
        m_modelessWindow->raise();
        m_modelessWindow->activateWindow();
        return;
    }
    // Owned by the main window all the same, so that it opens centred over it and stays above it.
    QPointer<CDlgWebOpen> window = new CDlgWebOpen(profile().profile(), startAddress, m_mainWindow);
    m_modalWindow = window;
    window->exec();
    // This object may be gone by now, when the main window closed meanwhile.
    delete window;
}

}  // namespace albumora::gui
