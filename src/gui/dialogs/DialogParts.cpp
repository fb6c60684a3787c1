#include "gui/dialogs/DialogParts.h"

#include <QMessageBox>
#include <QPushButton>

#include "gui/dialogs/AboutBox.h"

namespace albumora::gui {

void ShowMessageBox(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, QString::fromUtf8(kProductTitle), text);
}

QPushButton* NewConfirmButton() {
    auto* button = new QPushButton(QStringLiteral("确 定"));
    button->setObjectName(QStringLiteral("okButton"));
    button->setDefault(true);
    return button;
}

}  // namespace albumora::gui
