#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>

#include "MainWindowTest.h"
#include "gui/CComboBox2.h"
#include "gui/QtText.h"
#include "support/ScopedEnv.h"

namespace albumora::test {
namespace {

TEST_F(MainWindowTest, TheBusyBarEndsWithARunWhoseLastAlbumCollectsNothing) {
    FakeDuitangUser user;
    user.albums.push_back({"900", "空册", {}});
    ServeDuitangUser(SharedTestServer(), user);
    OpenWindow();
    auto* progress = Control<QProgressBar>("pictureProgress");
    StartList("http://www.duitang.com/album/900/");
    ASSERT_TRUE(WaitForDownloadEnd());
    EXPECT_TRUE(WaitUntil([&] { return !progress->isVisible(); }));
}

TEST_F(MainWindowTest, TheAlbumGroupHasItsTitleBeforeTheFirstList) {
    OpenWindow();
    EXPECT_EQ(Control<QGroupBox>("albumGroup")->title(), QStringLiteral("相册列表"));
}

TEST_F(MainWindowTest, ASiteThatIsNotServedSaysSoInsteadOfListingAnother) {
    ServeDuitangUser(SharedTestServer(), DuitangUser({"一"}));
    OpenWindow();
    auto* sites = Control<QComboBox>("siteSelector");
    EXPECT_TRUE(sites->itemText(1).endsWith(QStringLiteral("（暂不支持）")));
    Control<gui::CComboBox2>("addressBox")->setEditText(QString::fromLatin1(kDuitangUserAddress));
    sites->setCurrentIndex(1);
    Control<QPushButton>("listButton")->click();
    QMessageBox* box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = ShownMessageBox(&window())) != nullptr; }));
    EXPECT_TRUE(box->text().contains(QStringLiteral("暂不支持下载"))) << box->text().toStdString();
    EXPECT_TRUE(SharedTestServer().requests().empty());
    box->close();
}

TEST_F(MainWindowTest, NoMenuHoldsAnItemThatCanNeverBeUsed) {
    OpenWindow();
    for (QAction* menu : window().findChild<QMenuBar*>()->actions()) {
        // The settings menu's options follow the site; the others never change.
        if (menu->text().startsWith(QStringLiteral("设置"))) {
            continue;
        }
        for (QAction* item : menu->menu()->actions()) {
            EXPECT_TRUE(item->isSeparator() || item->isEnabled()) << item->text().toStdString();
        }
    }
}

TEST_F(MainWindowTest, ALongStatusNeverWidensTheWindow) {
    OpenWindow();
    const int width = window().width();
    const int minimum = window().minimumSizeHint().width();
    const QString longText = QStringLiteral("相册“%1”不完整").arg(QString(300, QChar(u'长')));
    window().SetStatusText(StatusLine::Main, gui::ToWString(longText));
    window().SetStatusText(StatusLine::Progress, gui::ToWString(longText));
    auto* line = Control<QLabel>("statusLine1");
    ASSERT_TRUE(WaitUntil([&] { return line->text() == longText; }));
    window().grab();  // paints the lines as a screen would
    EXPECT_EQ(window().width(), width);
    EXPECT_LE(window().minimumSizeHint().width(), minimum);
    EXPECT_EQ(line->toolTip(), longText);
}

TEST_F(MainWindowTest, OpenSaysSoWhenNothingCanOpenTheFolder) {
    // No opener on the search path, as on a machine without a desktop's file manager.
    const ScopedEnv noOpener("PATH", std::string("/nonexistent"));
    OpenWindow();
    Control<QPushButton>("openFolderButton")->click();
    QMessageBox* box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = ShownMessageBox(&window())) != nullptr; }));
    EXPECT_TRUE(box->text().startsWith(QStringLiteral("无法打开文件夹：")));
    box->close();
}

}  // namespace
}  // namespace albumora::test
