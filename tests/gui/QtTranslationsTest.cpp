#include "gui/QtTranslations.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace albumora::gui {
namespace {

// The test main installs the translations as the program does; the program's dialogs must not say
// "OK" and "Cancel" beside Chinese texts.
TEST(QtTranslations, MessageBoxButtonsSpeakChinese) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Albumora"), QStringLiteral("是否继续？"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QStringLiteral("取消"));
    EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove(QLatin1Char('&')).left(1), QStringLiteral("是"));
    EXPECT_EQ(box.button(QMessageBox::No)->text().remove(QLatin1Char('&')).left(1), QStringLiteral("否"));
}

}  // namespace
}  // namespace albumora::gui
