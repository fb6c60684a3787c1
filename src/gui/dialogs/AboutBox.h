#pragma once

class QString;
class QWidget;

namespace albumora::gui {

inline constexpr char kProductTitle[] = "Albumora";
// Follows the version of project() in the top-level CMakeLists.txt.
inline constexpr char kProductVersion[] = "0.1.0";

// The About box's rich text: title, version and what the program does.
QString AboutText();

// The modal About box, from the window's menu.
void ShowAboutBox(QWidget* parent);

}  // namespace albumora::gui
