#pragma once

class QString;
class QWidget;

namespace albumora::gui {

inline constexpr char kProductTitle[] = "Albumora";

// The About box's rich text: title, the application's version (which the application object takes
// from the build's project version) and what the program does.
QString AboutText();

// The modal About box, from the window's menu.
void ShowAboutBox(QWidget* parent);

}  // namespace albumora::gui
