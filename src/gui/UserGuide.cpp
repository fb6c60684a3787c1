#include "gui/UserGuide.h"

#include <QDir>
#include <QFileInfo>

namespace albumora::gui {

QString FindUserGuide(const QString& programFolder) {
    const QString installed =
        QDir::cleanPath(programFolder + QStringLiteral("/../share/doc/albumora/README.md"));
    if (QFileInfo(installed).isFile()) {
        return installed;
    }
    return QStringLiteral(ALBUMORA_USER_GUIDE);
}

}  // namespace albumora::gui
