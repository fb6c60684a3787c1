#pragma once

#include <functional>

class QPushButton;
class QString;
class QWidget;

namespace albumora::gui {

// How a dialog tells the user something: a message box by default, a recorder in tests, so that no
// test waits on a modal box.
using MessageFunction = std::function<void(QWidget* parent, const QString& text)>;

// A modal message box over `parent` with the application's title.
void ShowMessageBox(QWidget* parent, const QString& text);

// The settings dialogs' "确 定" button: the default button, named "okButton".
QPushButton* NewConfirmButton();

}  // namespace albumora::gui
