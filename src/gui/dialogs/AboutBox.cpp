#include "gui/dialogs/AboutBox.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QString>

namespace albumora::gui {

QString AboutText() {
    const QString version = QCoreApplication::applicationVersion();
    return QStringLiteral("<h3>%1</h3>").arg(QString::fromUtf8(kProductTitle)) +
           (version.isEmpty() ? QString() : QStringLiteral("<p>版本 %1</p>").arg(version)) +
           QStringLiteral(
               "<p>批量下载花瓣画板和堆糖专辑里的全部图片：粘贴地址，列出相册，"
               "选中要下载的相册，每个相册的图片存入一个文件夹，并按你设定的规则命名。</p>");
}

void ShowAboutBox(QWidget* parent) {
    QMessageBox::about(parent, QStringLiteral("关于 %1").arg(QString::fromUtf8(kProductTitle)), AboutText());
}

}  // namespace albumora::gui
