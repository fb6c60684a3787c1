#include "gui/QtTranslations.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileIconProvider>
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

// The file dialogs name a folder's type from the icon provider, which Qt 6 asks under a context
// the Chinese catalogue lacks; the login browser's menus have a catalogue of their own.
TEST(QtTranslations, FileDialogTypesAndLoginBrowserMenusSpeakChinese) {
    EXPECT_EQ(QFileIconProvider().type(QFileInfo(QDir::tempPath())), QStringLiteral("文件夹"));
    EXPECT_EQ(QCoreApplication::translate("RenderViewContextMenuQt", "Back"), QStringLiteral("后退"));
}

}  // namespace
}  // namespace albumora::gui
