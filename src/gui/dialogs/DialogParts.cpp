#include "gui/dialogs/DialogParts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace albumora::gui {

void ShowMessageBox(QWidget* parent, const QString& text) {
    // What the dialogs have to say is a problem to act on, never a mere notice.
    QMessageBox::warning(parent, QApplication::applicationDisplayName(), text);
}

QPushButton* NewConfirmButton() {
    auto* button = new QPushButton(QStringLiteral("确 定"));
    button->setObjectName(QStringLiteral("okButton"));
    button->setDefault(true);
    return button;
}

}  // namespace albumora::gui
