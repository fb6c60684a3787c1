#include "MainWindowTest.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "core/settings/SettingsEditing.h"
#include "core/sites/SiteRecognition.h"
#include "gui/CComboBox2.h"
#include "gui/grid/CMyGridCtrl.h"
#include "support/TestWebServer.h"

namespace albumora::test {

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    return QTest::qWaitFor(done, timeoutMs);
}

QMessageBox* ShownMessageBox(QWidget* window) {
    for (QMessageBox* box : window->findChildren<QMessageBox*>()) {
        if (box->isVisible()) {
            return box;
        }
    }
    return nullptr;
}

void MainWindowTest::SetUp() {
    SharedTestServer().ClearRoutes();
    SharedTestServer().ClearRequests();
    m_proxy.emplace("http_proxy", SharedTestServer().proxyUrl());
    QGuiApplication::clipboard()->clear();
}

void MainWindowTest::TearDown() {
    clock.Release();
    CloseWindow();
    m_proxy.reset();
}

gui::CAlbumoraDlg& MainWindowTest::OpenWindow(bool pointAtSaveFolder) {
    m_window = std::make_unique<gui::CAlbumoraDlg>(settings.path(), &cookies, clock);
    m_window->workflow().EditSettings([](PersistentSettings& s) {
        SetOption(s.namingRecords[kSiteCodeHuabanDuitang], OPT_OPEN_FOLDER_WHEN_DONE, false);
    });
    m_window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    EXPECT_TRUE(WaitUntil([this] { return m_window->isReady(); }));
    if (pointAtSaveFolder) {
        Control<gui::CComboBox2>("saveFolderBox")->setEditText(QString::fromStdString(save.path()));
    }
    return *m_window;
}

void MainWindowTest::CloseWindow() {
    clock.Release();
    m_window.reset();
}

void MainWindowTest::StartList(const std::string& address) {
    Control<gui::CComboBox2>("addressBox")->setEditText(QString::fromStdString(address));
    Control<QPushButton>("listButton")->click();
}

void MainWindowTest::List(const std::string& address) {
    StartList(address);
    ASSERT_TRUE(WaitForListEnd());
}

bool MainWindowTest::WaitForListEnd() {
    auto* button = Control<QPushButton>("listButton");
    const bool ended = WaitUntil([&] {
        return !m_window->workflow().WorkersRunning() &&
               m_window->workflow().listState() == ListState::Idle &&
               button->text() == QStringLiteral("获取相册");
    });
    // A worker that ends before the window has taken any of its calls leaves the button as it was:
    // what it queued (rows, status, the controls of its end) is taken now, in order.
    QCoreApplication::processEvents();
    return ended && button->text() == QStringLiteral("获取相册");
}

bool MainWindowTest::IsRunEndText(const QString& text) {
    return text.startsWith(QStringLiteral("下载完毕")) || text.startsWith(QStringLiteral("下载未完成")) ||
           text.startsWith(QStringLiteral("下载已终止"));
}

bool MainWindowTest::WaitForDownloadEnd() {
    auto* button = Control<QPushButton>("downloadButton");
    return WaitUntil([&] {
        return m_window->workflow().downloadState() == DownloadState::Idle &&
               button->text() == QStringLiteral("下载") &&
               IsRunEndText(Control<QLabel>("statusLine1")->text());
    });
}

FakeDuitangUser MainWindowTest::ThirtyAlbums() {
    std::vector<std::string> names;
    for (int i = 0; i < 30; ++i) {
        names.push_back("专辑" + std::to_string(i));
    }
    return DuitangUser(names);
}

FakeDuitangUser MainWindowTest::DuitangUser(const std::vector<std::string>& albumNames) {
    FakeDuitangUser user;
    for (size_t i = 0; i < albumNames.size(); ++i) {
        const std::string id = std::to_string(500 + i);
        user.albums.push_back({id, albumNames[i], MakeDuitangPictures(id, 1)});
    }
    return user;
}

QStringList MainWindowTest::Column(int column) const {
    const gui::CMyGridCtrl* grid = m_window->grid();
    QStringList texts;
    for (int row = grid->GetFixedRowCount(); row < grid->GetRowCount(); ++row) {
        texts.push_back(grid->GetItemText(row, column));
    }
    return texts;
}

std::vector<int> MainWindowTest::Positions() const {
    const gui::CMyGridCtrl* grid = m_window->grid();
    std::vector<int> positions;
    for (int row = grid->GetFixedRowCount(); row < grid->GetRowCount(); ++row) {
        positions.push_back(grid->GetItemData(row, 0));
    }
    return positions;
}

}  // namespace albumora::test
