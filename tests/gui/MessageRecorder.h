#pragma once

#include <QString>
#include <QStringList>

#include "gui/dialogs/DialogParts.h"

namespace albumora::gui::test {

// Stands in for the message box: remembers each text instead of waiting for a click.
struct MessageRecorder {
    QStringList texts;

    MessageFunction Function() {
        return [this](QWidget*, const QString& text) { texts << text; };
    }
};

}  // namespace albumora::gui::test
