#include "gui/LinkLabel.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWindow>

namespace albumora::gui {
namespace {

TEST(LinkLabel, IsALinkOnlyWhileEnabled) {
    LinkLabel link(QStringLiteral("导出"), nullptr);
    EXPECT_EQ(link.text(), QStringLiteral("<a href=\"#\">导出</a>"));
    link.setEnabled(false);
    EXPECT_EQ(link.text(), QStringLiteral("导出"));
    link.setEnabled(true);
    EXPECT_EQ(link.text(), QStringLiteral("<a href=\"#\">导出</a>"));
}

TEST(LinkLabel, IsOneTabStopAndEnterOrSpaceFollowsIt) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* before = new QCheckBox(QStringLiteral("全选"), &window);
    auto* link = new LinkLabel(QStringLiteral("导出"), &window);
    auto* after = new QCheckBox(QStringLiteral("预览图"), &window);
    layout->addWidget(before);
    layout->addWidget(link);
    layout->addWidget(after);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QSignalSpy followed(link, &QLabel::linkActivated);
    before->setFocus();

    QTest::keyClick(window.windowHandle(), Qt::Key_Tab);
    ASSERT_EQ(window.focusWidget(), link);
    QTest::keyClick(window.windowHandle(), Qt::Key_Return);
    EXPECT_EQ(followed.count(), 1);
    QTest::keyClick(window.windowHandle(), Qt::Key_Space);
    EXPECT_EQ(followed.count(), 2);
    QTest::keyClick(window.windowHandle(), Qt::Key_Tab);
    EXPECT_EQ(window.focusWidget(), after);
}

}  // namespace
}  // namespace albumora::gui
