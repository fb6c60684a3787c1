#include "gui/dialogs/DialogParts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace albumora::gui {

void ShowMessageBox(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, QApplication::applicationDisplayName(), text);
}

QPushButton* NewConfirmButton() {
    auto* button = new QPushButton(QStringLiteral("确 定"));
    button->setObjectName(QStringLiteral("okButton"));
    button->setDefault(true);
    return button;
}

}  // namespace albumora::gui
