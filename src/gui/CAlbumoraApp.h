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
    struct Arguments {
        std::string settingsDir;  // "--settings-dir DIR"; empty when not given
        QString address;          // the one free argument; empty when not given
    };
    // False on an unknown option or a second address.
    bool ParseArguments(Arguments& parsed) const;
};

}  // namespace albumora::gui
