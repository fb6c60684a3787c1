#include "gui/login/LoginAddresses.h"

#include <algorithm>

namespace albumora::gui {

namespace {

constexpr int kQqZoneAlbumKind = 0;

bool IsAsciiNumber(const QString& text) {
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

}  // namespace

QString QqZoneStartAddress(const QString& addressText, int albumKindPosition) {
    const QString number = addressText.trimmed();
    QString address = QString::fromLatin1(kQqZoneUserPage);
    if (albumKindPosition == kQqZoneAlbumKind && IsAsciiNumber(number)) {
        address += number;
    }
    return address;
}

}  // namespace albumora::gui
