#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "GateClock.h"
#include "core/net/CookieStore.h"
#include "gui/CAlbumoraDlg.h"
#include "support/FakeSites.h"
#include "support/ScopedEnv.h"
#include "support/TempFolder.h"

class QMessageBox;
class QWidget;

namespace albumora::test {

// The real main window against the fake sites, reached through http_proxy with the sites' real
// addresses; the clock never sleeps unless a test holds it.
class MainWindowTest : public ::testing::Test {
protected:
    static constexpr const char* kDuitangUserAddress = "http://www.duitang.com/people/?user_id=7788";

    void SetUp() override;
    void TearDown() override;

    // Makes and shows the window and waits for its start-up step. Downloads do not open a file
    // browser, and go to the save folder unless `pointAtSaveFolder` is false.
    gui::CAlbumoraDlg& OpenWindow(bool pointAtSaveFolder = true);
    gui::CAlbumoraDlg& window() { return *m_window; }
    void CloseWindow();
    // Closes the window as the user does, the clock left as it is.
    void CloseWindowNow() { m_window.reset(); }

    template <typename T>
    T* Control(const char* name) const {
        T* control = m_window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }

    // Puts the address into the box as a paste would, and presses the list button.
    void StartList(const std::string& address);
    // Lists the address and waits until the fetch has ended.
    void List(const std::string& address);
    bool WaitForListEnd();
    bool WaitForDownloadEnd();
    // The last status line of a download run, whatever its outcome.
    static bool IsRunEndText(const QString& text);

    // A user with albums of one picture each, named as given.
    static FakeDuitangUser DuitangUser(const std::vector<std::string>& albumNames);
    // A user whose 30 albums fill more than one list page, so that a fetch can be caught between
    // pages.
    static FakeDuitangUser ThirtyAlbums();

    // The texts of one grid column, data rows only.
    QStringList Column(int column) const;
    // The data values behind the data rows.
    std::vector<int> Positions() const;
    std::vector<std::string> SavedFiles(const std::string& folder) const {
        return ListFolder(save.path() + folder);
    }

    GateClock clock;
    CookieStore cookies;
    TempFolder settings;
    TempFolder save;

private:
    std::optional<ScopedEnv> m_proxy;
    std::unique_ptr<gui::CAlbumoraDlg> m_window;
};

// Waits for `done`, serving the window's events meanwhile.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 15000);

// The message box `window` shows; none while it shows none.
QMessageBox* ShownMessageBox(QWidget* window);

}  // namespace albumora::test
