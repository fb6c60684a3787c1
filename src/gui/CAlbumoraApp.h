#pragma once

#include <QApplication>
#include <string>

namespace albumora::gui {

// The application: reads the command line, finds the settings folder, makes the process's cookie
// store and the main window, and runs the event loop until the window closes.
class CAlbumoraApp final : public QApplication {
    Q_OBJECT

public:
    CAlbumoraApp(int& argc, char** argv);

    // The process's exit code.
    int Run();

private:
    // The folder of "--settings-dir DIR"; empty when not given. False on an unknown argument.
    bool ParseArguments(std::string& settingsDir) const;
};

}  // namespace albumora::gui
