#pragma once

#include <QString>

#include "core/text/WideText.h"

namespace albumora::gui {

// The core's wide text and Qt's text are both UTF-16: the conversion copies the code units as they are.
inline QString ToQString(WStringView text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

inline WString ToWString(const QString& text) {
    return text.toStdU16String();
}

}  // namespace albumora::gui
