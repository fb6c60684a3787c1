#include "gui/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace albumora::gui {

namespace {

// Qt 6 asks for the file type names of its file dialog ("Folder", "Drive", "%1 File", …) under
// QAbstractFileIconProvider, but the Chinese catalogue still holds them under QFileDialog, where
// Qt 5 asked; without this the dialog's type column stays English.
class FileTypeNames final : public QTranslator {
public:
    FileTypeNames(const QTranslator& catalogue, QObject* parent)
        : QTranslator(parent), m_catalogue(catalogue) {}

    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override {
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0) {
            return {};
        }
        return m_catalogue.translate("QFileDialog", sourceText, disambiguation, n);
    }

    bool isEmpty() const override { return false; }

private:
    const QTranslator& m_catalogue;
};

QTranslator* LoadCatalogue(QCoreApplication& application, const QString& name) {
    auto* translator = new QTranslator(&application);
    if (!translator->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}

}  // namespace

bool InstallQtChineseTranslations(QCoreApplication& application) {
    // The login browser's menus and pages; it is optional, as the rest works without it.
    LoadCatalogue(application, QStringLiteral("qtwebengine_zh_CN"));
    // qtbase holds the texts of QMessageBox, QFileDialog and the standard buttons.
    const QTranslator* base = LoadCatalogue(application, QStringLiteral("qtbase_zh_CN"));
    if (base == nullptr) {
        return false;
    }
    return QCoreApplication::installTranslator(new FileTypeNames(*base, &application));
}

}  // namespace albumora::gui
