#include "gui/CComboBox2.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QCompleter>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

namespace albumora::gui {
namespace {

class CComboBox2Test : public ::testing::Test {
protected:
    void SetUp() override {
        box.AddHistoryItem(QStringLiteral("/home/ann/Photos/Cats"));
        box.AddHistoryItem(QStringLiteral("/srv/Dogs"));
        box.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
        box.lineEdit()->setFocus();
    }
    void Type(const QString& text) { QTest::keyClicks(box.lineEdit(), text); }

    CComboBox2 box;
};

TEST_F(CComboBox2Test, TypingOpensTheLowerCaseEntriesThatContainTheText) {
    Type(QStringLiteral("cat"));
    EXPECT_TRUE(box.FilteredListVisible());
    EXPECT_EQ(box.FilteredItems(), QStringList{QStringLiteral("/home/ann/Photos/Cats")});
    EXPECT_EQ(box.currentText(), QStringLiteral("cat"));
    EXPECT_EQ(box.lineEdit()->cursorPosition(), 3);
    // The box's own list is not touched by the filtering.
    EXPECT_EQ(box.HistoryItems().size(), 2);
}

TEST_F(CComboBox2Test, TheCaretStaysWhereTheTypingWas) {
    Type(QStringLiteral("/srv"));
    box.lineEdit()->setCursorPosition(1);
    QTest::keyClick(box.lineEdit(), Qt::Key_S);
    EXPECT_EQ(box.currentText(), QStringLiteral("/ssrv"));
    EXPECT_EQ(box.lineEdit()->cursorPosition(), 2);
    EXPECT_FALSE(box.FilteredListVisible());
}

TEST_F(CComboBox2Test, NoMatchOrAnEmptyTextClosesTheList) {
    Type(QStringLiteral("/"));
    EXPECT_TRUE(box.FilteredListVisible());
    EXPECT_EQ(box.FilteredItems().size(), 2);
    Type(QStringLiteral("zzz"));
    EXPECT_FALSE(box.FilteredListVisible());

    box.lineEdit()->clear();
    Type(QStringLiteral("s"));
    EXPECT_TRUE(box.FilteredListVisible());
    QTest::keyClick(box.lineEdit(), Qt::Key_Backspace);
    EXPECT_FALSE(box.FilteredListVisible());
}

TEST_F(CComboBox2Test, EntriesAreCutBeforeTheMarker) {
    box.AddHistoryItem(QStringLiteral("http://Site/a kvx?!oxff hidden"));
    Type(QStringLiteral("site"));
    EXPECT_EQ(box.FilteredItems(), QStringList{QStringLiteral("http://Site/a ")});
}

TEST_F(CComboBox2Test, TheArrowOpensTheWholeHistoryInItsStoredCase) {
    Type(QStringLiteral("cat"));
    box.showPopup();
    EXPECT_FALSE(box.FilteredListVisible());
    ASSERT_EQ(box.count(), 2);
    EXPECT_EQ(box.itemText(0), QStringLiteral("/home/ann/Photos/Cats"));
    EXPECT_EQ(box.itemText(1), QStringLiteral("/srv/Dogs"));
    EXPECT_EQ(box.currentText(), QStringLiteral("cat"));
    box.hidePopup();
}

TEST_F(CComboBox2Test, TheOwnerHearsEveryEditAndEveryPick) {
    QSignalSpy edits(&box, &CComboBox2::editChanged);
    QSignalSpy picks(&box, &CComboBox2::entryPicked);
    Type(QStringLiteral("do"));
    EXPECT_EQ(edits.count(), 2);
    EXPECT_EQ(edits.last().at(0).toString(), QStringLiteral("do"));

    QAbstractItemView* list = box.findChild<QCompleter*>()->popup();
    ASSERT_TRUE(list->isVisible());
    list->setCurrentIndex(list->model()->index(0, 0));
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_EQ(picks.count(), 1);
    // The folder as it was remembered: "/srv/dogs" would be another folder.
    EXPECT_EQ(picks.last().at(0).toString(), QStringLiteral("/srv/Dogs"));
    EXPECT_EQ(box.currentText(), QStringLiteral("/srv/Dogs"));
}

TEST_F(CComboBox2Test, EnterIsToldUnlessItPicksAnEntryFromTheList) {
    QSignalSpy enters(&box, &CComboBox2::enterPressed);
    QSignalSpy picks(&box, &CComboBox2::entryPicked);
    // To the window, as a keyboard sends them.
    QWindow* window = box.windowHandle();
    QTest::keyClick(window, Qt::Key_D);
    QTest::keyClick(window, Qt::Key_O);
    ASSERT_TRUE(box.FilteredListVisible());
    QTest::keyClick(window, Qt::Key_Down);
    QTest::keyClick(window, Qt::Key_Return);
    EXPECT_EQ(picks.count(), 1);
    EXPECT_EQ(enters.count(), 0);

    QTest::keyClick(window, Qt::Key_Return);
    EXPECT_EQ(enters.count(), 1);
    EXPECT_EQ(box.currentText(), QStringLiteral("/srv/Dogs"));
}

}  // namespace
}  // namespace albumora::gui
