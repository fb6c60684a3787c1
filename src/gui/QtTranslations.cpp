#include "gui/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace albumora::gui {

bool InstallQtChineseTranslations(QCoreApplication& application) {
    auto* translator = new QTranslator(&application);
    // qtbase holds the texts of QMessageBox, QFileDialog and the standard buttons.
    if (!translator->load(QStringLiteral("qtbase_zh_CN"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace albumora::gui
