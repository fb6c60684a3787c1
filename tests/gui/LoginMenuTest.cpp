#include "gui/login/LoginMenu.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QTimer>

#include "LoginFixture.h"
#include "gui/login/CDlgWebOpen.h"

namespace albumora::test {
namespace {

class LoginMenuTest : public LoginTest {
protected:
    gui::LoginMenu& StartMenuIn(QMenu& menu) {
        gui::LoginMenu& login = StartMenu();
        login.fillMenu(&menu);
        return login;
    }

    int OpenLoginWindows() const {
        return static_cast<int>(m_mainWindow->findChildren<gui::CDlgWebOpen*>().size());
    }

    QMenu m_menu;
};

TEST_F(LoginMenuTest, QqZoneOpensTheNumbersPageOnlyForQqZoneAlbums) {
    gui::LoginMenu& login = StartMenuIn(m_menu);
    m_addressText = QStringLiteral(" 12345 ");
    login.action(gui::kCmdLoginQqZone)->trigger();
    ASSERT_NE(login.modelessWindow(), nullptr);
    EXPECT_EQ(login.modelessWindow()->addressEdit()->text(),
              QStringLiteral("https://user.qzone.qq.com/12345"));

    m_albumKind = 1;
    login.action(gui::kCmdLoginQqZone)->trigger();
    EXPECT_EQ(login.modelessWindow()->addressEdit()->text(), QStringLiteral("https://user.qzone.qq.com/"));
}

TEST_F(LoginMenuTest, ASecondLoginReplacesTheOpenModelessWindow) {
    gui::LoginMenu& login = StartMenuIn(m_menu);
    ASSERT_TRUE(login.loginWindowModeless());
    EXPECT_TRUE(login.action(gui::kCmdLoginWindowModeless)->isChecked());

    login.action(gui::kCmdLoginBaidu)->trigger();
    const QPointer<gui::CDlgWebOpen> first = login.modelessWindow();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());

    login.action(gui::kCmdLoginCustom)->trigger();
    EXPECT_TRUE(first.isNull());
    ASSERT_NE(login.modelessWindow(), nullptr);
    EXPECT_TRUE(login.modelessWindow()->isVisible());
    EXPECT_EQ(OpenLoginWindows(), 1);
}

TEST_F(LoginMenuTest, UncheckedModeOpensAModalWindowAfterClosingTheModelessOne) {
    gui::LoginMenu& login = StartMenuIn(m_menu);
    login.openLoginWindow(QString());
    const QPointer<gui::CDlgWebOpen> modeless = login.modelessWindow();
    ASSERT_NE(modeless, nullptr);

    login.action(gui::kCmdLoginWindowModeless)->trigger();
    EXPECT_FALSE(login.loginWindowModeless());
    EXPECT_FALSE(login.action(gui::kCmdLoginWindowModeless)->isChecked());

    bool sawModal = false;
    QTimer::singleShot(0, m_mainWindow.get(), [&] {
        auto* modal = qobject_cast<gui::CDlgWebOpen*>(QApplication::activeModalWidget());
        sawModal = modal != nullptr && modeless.isNull() &&
                   modal->addressEdit()->text() == "https://passport.hupu.com/pc/login";
        if (modal != nullptr) {
            modal->close();
        }
    });
    login.action(gui::kCmdLoginHupu)->trigger();  // returns when the modal window has closed
    EXPECT_TRUE(sawModal);
    EXPECT_EQ(login.modelessWindow(), nullptr);
    EXPECT_EQ(OpenLoginWindows(), 0);
}

TEST_F(LoginMenuTest, TheServedSitesComeFirst) {
    StartMenuIn(m_menu);
    QStringList entries;
    for (QAction* action : m_menu.actions()) {
        if (!action->isSeparator()) {
            entries << action->text();
        }
    }
    ASSERT_GE(entries.size(), 3);
    EXPECT_TRUE(entries[1].startsWith(QStringLiteral("花瓣"))) << entries[1].toStdString();
    EXPECT_EQ(entries[2], QStringLiteral("堆糖"));
}

}  // namespace
}  // namespace albumora::test
