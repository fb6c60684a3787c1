// Keeps the gui library non-empty until the window's classes arrive.
namespace albumora::gui {
int GuiLibraryAnchor() {
    return 0;
}
}  // namespace albumora::gui
