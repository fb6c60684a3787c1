// The main window driven from the keyboard. Every key goes to the window, as a real keyboard's does:
// Qt hands it to the focus widget, which may pass it on without the event filters of the widget it
// passes it to.
#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include "MainWindowTest.h"
#include "gui/AccessKeyButton.h"
#include "gui/CComboBox2.h"
#include "gui/grid/CMyGridCtrl.h"
#include "support/TestWebServer.h"

namespace albumora::test {
namespace {

constexpr const char* kFirstListPage = "/album/list/1/24/";

void Press(QWidget& window, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QTest::keyClick(window.windowHandle(), key, modifiers);
}

std::size_t ListsFetched() {
    return SharedTestServer().requestsFor(kFirstListPage).size();
}

TEST_F(MainWindowTest, EnterInTheAddressBoxFetchesTheAlbums) {
    ServeDuitangUser(SharedTestServer(), DuitangUser({"一", "二"}));
    OpenWindow();
    auto* address = Control<gui::CComboBox2>("addressBox");
    address->setEditText(QString::fromLatin1(kDuitangUserAddress));
    address->setFocus();

    Press(window(), Qt::Key_Return);
    ASSERT_TRUE(WaitUntil([&] { return window().workflow().albums.size() == 2; }));
    ASSERT_TRUE(WaitForListEnd());
    Press(window(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(WaitUntil([&] { return ListsFetched() == 2; }));
    ASSERT_TRUE(WaitForListEnd());
}

TEST_F(MainWindowTest, TabLeavesTheGridBothWaysAndKeepsItsSelection) {
    ServeDuitangUser(SharedTestServer(), DuitangUser({"一", "二", "三"}));
    OpenWindow();
    List(kDuitangUserAddress);
    gui::CMyGridCtrl* grid = window().grid();
    auto* selectAll = Control<QCheckBox>("selectAllBox");
    grid->setFocus();
    Press(window(), Qt::Key_A, Qt::ControlModifier);
    ASSERT_TRUE(selectAll->isChecked());

    Press(window(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(window().focusWidget(), Control<QPushButton>("downloadButton"));
    Press(window(), Qt::Key_Tab);
    EXPECT_EQ(window().focusWidget(), grid);
    Press(window(), Qt::Key_Tab);
    EXPECT_EQ(window().focusWidget(), selectAll);
    EXPECT_EQ(grid->ChosenAlbums(3), (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(selectAll->isChecked());
}

TEST_F(MainWindowTest, AButtonIsPressedByTheAccessKeyItShowsWhateverItsText) {
    ServeDuitangUser(SharedTestServer(), DuitangUser({"一", "二"}));
    OpenWindow();
    auto* address = Control<gui::CComboBox2>("addressBox");
    address->setEditText(QString::fromLatin1(kDuitangUserAddress));
    address->setFocus();
    auto* button = dynamic_cast<gui::AccessKeyButton*>(Control<QPushButton>("listButton"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->ShownText(), QStringLiteral("获取相册(&G)"));

    Press(window(), Qt::Key_G, Qt::AltModifier);
    ASSERT_TRUE(WaitUntil([&] { return ListsFetched() == 1; }));
    ASSERT_TRUE(WaitForListEnd());
    // The view has set the text back, without the key.
    EXPECT_EQ(button->ShownText(), QStringLiteral("获取相册(&G)"));
    Press(window(), Qt::Key_G, Qt::AltModifier);
    EXPECT_TRUE(WaitUntil([&] { return ListsFetched() == 2; }));
    ASSERT_TRUE(WaitForListEnd());
}

TEST_F(MainWindowTest, TheCheckBoxesAreTickedByTheirAccessKeys) {
    ServeDuitangUser(SharedTestServer(), DuitangUser({"一", "二"}));
    OpenWindow();
    List(kDuitangUserAddress);
    Control<gui::CComboBox2>("addressBox")->setFocus();

    Press(window(), Qt::Key_A, Qt::AltModifier);
    EXPECT_TRUE(WaitUntil([&] { return window().grid()->ChosenAlbums(2).size() == 2; }));
    Press(window(), Qt::Key_V, Qt::AltModifier);
    EXPECT_TRUE(WaitUntil([&] { return window().grid()->thumbnailView(); }));
}

TEST_F(MainWindowTest, AFocusedButtonIsPressedByEnter) {
    ServeDuitangUser(SharedTestServer(), DuitangUser({"一", "二"}));
    OpenWindow();
    Control<gui::CComboBox2>("addressBox")->setEditText(QString::fromLatin1(kDuitangUserAddress));
    Control<QPushButton>("listButton")->setFocus();

    Press(window(), Qt::Key_Return);
    ASSERT_TRUE(WaitUntil([&] { return ListsFetched() == 1; }));
    ASSERT_TRUE(WaitForListEnd());
}

}  // namespace
}  // namespace albumora::test
