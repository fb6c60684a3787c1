#pragma once

#include <QByteArray>

namespace albumora::gui {

// Readies the process for the login browser. Call once, before the QApplication is created.
//
// Chromium refuses to start its sandbox for the root user, so the sandbox is switched off for root
// only; everyone else keeps it. A value the user set for QTWEBENGINE_DISABLE_SANDBOX is left alone.
void PrepareWebEngine();

// Whether the browser may keep its sandbox for a process of this effective user.
bool WebEngineSandboxAllowed(unsigned effectiveUserId);

// Chromium's own switches with the window's language added, unless they name one already.
QByteArray WithWindowLanguage(const QByteArray& chromiumFlags);

}  // namespace albumora::gui
