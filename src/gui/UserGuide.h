#pragma once

#include <QString>

namespace albumora::gui {

// The README to open for "使用说明": the installed copy beside the program's prefix
// (PREFIX/bin/albumora → PREFIX/share/doc/albumora/README.md), so that a package or an install
// into ~/.local finds its own, else the one of the source tree the program was built from.
QString FindUserGuide(const QString& programFolder);

}  // namespace albumora::gui
