#pragma once

class QCoreApplication;

namespace albumora::gui {

// Loads Qt's own Chinese texts (the buttons of message boxes, the file dialogs, the login browser's
// menus) so that the program's dialogs are in one language, whatever the system's locale. False
// when Qt's base translations are not installed; the dialogs then stay in English.
bool InstallQtChineseTranslations(QCoreApplication& application);

}  // namespace albumora::gui
