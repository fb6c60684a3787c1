// Listing and downloading through the main window's buttons.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include "MainWindowTest.h"
#include "ModalAnswerer.h"
#include "core/text/WideText.h"
#include "gui/CComboBox2.h"
#include "gui/grid/CMyGridCtrl.h"
#include "gui/grid/GridModel.h"
#include "support/TestWebServer.h"

namespace albumora::test {
namespace {

TEST_F(MainWindowTest, PastedHuabanBoardListsOneAlbumAndDownloadsItWithoutAFurtherClick) {
    FakeHuabanBoard board;
    board.pins = MakePins(300, 3);
    ServeHuabanBoard(SharedTestServer(), board);
    QGuiApplication::clipboard()->setText(QStringLiteral("  http://huaban.com/boards/1001/\n"));

    OpenWindow();
    auto* address = Control<gui::CComboBox2>("addressBox");
    EXPECT_EQ(address->currentText(), QStringLiteral("http://huaban.com/boards/1001/"));
    Control<QPushButton>("listButton")->click();

    ASSERT_TRUE(WaitForDownloadEnd());
    EXPECT_EQ(Column(1), QStringList{QStringLiteral("猫咪 & 狗")});
    EXPECT_EQ(SavedFiles("alice/猫咪 & 狗/"),
              (std::vector<std::string>{"pic.kvx", "图298.jpg", "图299.jpg", "图300.jpg"}));
    EXPECT_EQ(Control<QGroupBox>("albumGroup")->title(), QStringLiteral("相册列表(共1个)"));
    EXPECT_TRUE(Control<QPushButton>("downloadButton")->isEnabled());
    EXPECT_TRUE(Control<QPushButton>("listButton")->isEnabled());
    EXPECT_TRUE(WaitUntil([&] {
        return address->HistoryItems() == QStringList{QStringLiteral("http://huaban.com/boards/1001/")};
    }));
}

TEST_F(MainWindowTest, ProgressBarCountsTheAlbumsPicturesAndKeepsItsFailuresInView) {
    FakeHuabanBoard board;
    board.pins = MakePins(400, 4);
    ServeHuabanBoard(SharedTestServer(), board);
    SharedTestServer().Route(kFakeHuabanPictureHost, "/key398", Response{.status = 404});

    OpenWindow();
    auto* progress = Control<QProgressBar>("pictureProgress");
    EXPECT_FALSE(progress->isVisible());
    StartList("http://huaban.com/boards/1001/");
    ASSERT_TRUE(WaitForDownloadEnd());
    ASSERT_TRUE(WaitUntil([&] { return progress->value() == 4; }));
    EXPECT_TRUE(progress->isVisible());
    EXPECT_EQ(progress->maximum(), 4);
    EXPECT_EQ(progress->text(), QStringLiteral("已保存3，失败1，共4"));

    // The next fetch starts from a clean slate.
    SharedTestServer().ClearRoutes();
    List("http://huaban.com/boards/1001/");
    // The list worker hides the bar after it has marked itself idle.
    EXPECT_TRUE(WaitUntil([&] { return !progress->isVisible(); }));
}

TEST_F(MainWindowTest, EachAlbumShowsHowItsRunEndedAndTheFailedAddressesCanBeCopied) {
    ServeDuitangUser(SharedTestServer(), DuitangUser({"好", "坏", "停", "后"}));
    SharedTestServer().Route(kFakeDuitangPictureHost, "/uploads/item/p501_1.jpg", Response{.status = 404});
    // Still on its way when the stop comes.
    SharedTestServer().Route(
        kFakeDuitangPictureHost, "/uploads/item/p502_1.jpg",
        Response{.body = PictureBytes(PictureKind::Jpeg, 100), .headerDelay = std::chrono::seconds(5)});
    OpenWindow();
    List(kDuitangUserAddress);
    gui::CMyGridCtrl* grid = window().grid();
    const auto state = [&](int position) {
        return grid->model()->index(position, 1).data(gui::GridModel::kStateRole).toString();
    };
    Control<QCheckBox>("selectAllBox")->click();
    Control<QPushButton>("downloadButton")->click();
    ASSERT_TRUE(WaitUntil([&] {
        return state(2) == QStringLiteral("0/1") &&
               !SharedTestServer().requestsFor("/uploads/item/p502_1.jpg").empty();
    }));
    EXPECT_EQ(state(3), QStringLiteral("等待"));
    Control<QPushButton>("downloadButton")->click();
    ASSERT_TRUE(WaitForDownloadEnd());

    EXPECT_EQ(state(0), QStringLiteral("完成"));
    EXPECT_EQ(state(1), QStringLiteral("1张失败"));
    EXPECT_EQ(state(2), QStringLiteral("已终止"));
    EXPECT_EQ(state(3), QStringLiteral("已终止"));
    // The states are not part of the table's text, so the export stays as it was.
    EXPECT_EQ(grid->GetItemText(1, 1), QStringLiteral("好"));

    auto* failedLink = Control<QLabel>("failedPicturesLink");
    ASSERT_TRUE(WaitUntil([&] { return failedLink->isVisible(); }));
    QString shown;
    ModalAnswerer answers({[&](QWidget* dialog) {
        shown = dialog->findChild<QPlainTextEdit*>("failedPictureAddresses")->toPlainText();
        dialog->findChild<QPushButton*>("copyFailedPictures")->click();
        qobject_cast<QDialog*>(dialog)->reject();
    }});
    emit failedLink->linkActivated(QStringLiteral("#"));
    EXPECT_EQ(answers.answered(), 1);
    // By album, with why; the picture cut off by the stop is not done, which is no failure.
    EXPECT_EQ(shown.toStdString(),
              "相册“坏”：\nhttp://c-ssl.duitang.com/uploads/item/p501_1.jpg    （服务器回答 HTTP 404）");
    // The copy is the addresses alone, as a download manager takes them.
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(),
              "http://c-ssl.duitang.com/uploads/item/p501_1.jpg");
}

TEST_F(MainWindowTest, DuitangRowsFillWhileTheFetchRunsAndTheCountsFollow) {
    ServeDuitangUser(SharedTestServer(), ThirtyAlbums());
    OpenWindow();
    // The pause before the second list page.
    clock.HoldAtPause(2);
    StartList(kDuitangUserAddress);

    ASSERT_TRUE(WaitUntil([&] { return clock.holding() && Column(1).size() == 24; }));
    EXPECT_EQ(window().workflow().listState(), ListState::Fetching);
    EXPECT_EQ(Control<QPushButton>("listButton")->text(), QStringLiteral("终止获取"));
    EXPECT_EQ(Control<QLabel>("statusLine1")->text(), QStringLiteral("正在获取相册列表，请稍等..."));
    EXPECT_EQ(Control<QGroupBox>("albumGroup")->title(), QStringLiteral("相册列表"));
    EXPECT_FALSE(Control<QPushButton>("downloadButton")->isEnabled());
    EXPECT_EQ(Column(0).front(), QStringLiteral("0001"));
    EXPECT_EQ(Column(0).back(), QStringLiteral("0024"));

    clock.Release();
    ASSERT_TRUE(WaitForListEnd());
    EXPECT_EQ(Column(1).size(), 30);
    EXPECT_EQ(Control<QGroupBox>("albumGroup")->title(), QStringLiteral("相册列表(共30个)"));
    EXPECT_EQ(Control<QLabel>("statusLine1")->text(), QStringLiteral("获取相册列表完成，共30个"));
    EXPECT_TRUE(Control<QPushButton>("downloadButton")->isEnabled());
    // A user's albums are listed, not downloaded.
    EXPECT_TRUE(SharedTestServer().requestsFor("/album/500/masn/p/1/24/").empty());
}

TEST_F(MainWindowTest, SecondListClickStopsTheFetchAndKeepsTheAlbumsFound) {
    ServeDuitangUser(SharedTestServer(), ThirtyAlbums());
    OpenWindow();
    clock.HoldAtPause(2);
    StartList(kDuitangUserAddress);
    // The window has taken the worker's start too, as a user who sees the button change has.
    ASSERT_TRUE(WaitUntil([&] {
        return clock.holding() && Control<QPushButton>("listButton")->text() == QStringLiteral("终止获取");
    }));

    Control<QPushButton>("listButton")->click();
    EXPECT_EQ(window().workflow().listState(), ListState::StopRequested);
    // The button keeps its text until the worker has ended.
    EXPECT_EQ(Control<QPushButton>("listButton")->text(), QStringLiteral("终止获取"));
    clock.Release();
    ASSERT_TRUE(WaitForListEnd());

    const auto found = static_cast<int>(window().workflow().albums.size());
    EXPECT_GE(found, 24);
    EXPECT_LT(found, 30);
    EXPECT_EQ(Column(1).size(), found);
    EXPECT_EQ(Control<QLabel>("statusLine1")->text(),
              QStringLiteral("获取相册列表已终止，已获取%1个").arg(found));
    EXPECT_EQ(Control<QGroupBox>("albumGroup")->title(), QStringLiteral("相册列表(共%1个)").arg(found));
    EXPECT_TRUE(Control<QPushButton>("downloadButton")->isEnabled());
    EXPECT_TRUE(
        WaitUntil([&] { return Control<gui::CComboBox2>("addressBox")->HistoryItems().size() == 1; }));
}

TEST_F(MainWindowTest, ClosingDuringAPauseDoesNotWaitItOut) {
    ServeDuitangUser(SharedTestServer(), ThirtyAlbums());
    OpenWindow();
    clock.HoldAtPause(2);
    StartList(kDuitangUserAddress);
    ASSERT_TRUE(WaitUntil([&] { return clock.holding(); }));
    const auto closing = std::chrono::steady_clock::now();
    CloseWindowNow();
    EXPECT_LT(std::chrono::steady_clock::now() - closing, std::chrono::seconds(1));
}

TEST_F(MainWindowTest, DownloadButtonStaysDisabledAfterAnEmptyFetch) {
    ServeDuitangUser(SharedTestServer(), DuitangUser({}));
    OpenWindow();
    List(kDuitangUserAddress);
    EXPECT_TRUE(Column(1).isEmpty());
    EXPECT_FALSE(Control<QPushButton>("downloadButton")->isEnabled());
    EXPECT_EQ(Control<QGroupBox>("albumGroup")->title(), QStringLiteral("相册列表(共0个)"));
    EXPECT_TRUE(Control<gui::CComboBox2>("addressBox")->HistoryItems().isEmpty());
}

TEST_F(MainWindowTest, HundredCharacterNameIsShownAndSavedCutTo80) {
    const std::string longName = "长名" + std::string(98, 'a');
    ServeDuitangUser(SharedTestServer(), DuitangUser({longName}));
    OpenWindow();
    List(kDuitangUserAddress);

    // The list says the name goes on; the folder takes the 80 characters alone.
    const std::string cut = QString::fromStdString(longName).left(80).toStdString();
    EXPECT_EQ(Column(1).value(0).toStdString(), cut + "…");
    EXPECT_EQ(window().workflow().albums.AlbumAt(0)->name.size(), 80u);

    Control<QCheckBox>("selectAllBox")->click();
    Control<QPushButton>("downloadButton")->click();
    ASSERT_TRUE(WaitForDownloadEnd());
    EXPECT_EQ(SavedFiles("堆糖_7788/"), std::vector<std::string>{cut});
    EXPECT_EQ(SavedFiles("堆糖_7788/" + cut + "/"), (std::vector<std::string>{"pic.kvx", "说明1.jpg"}));
}

TEST_F(MainWindowTest, DownloadWithNothingChosenSaysSo) {
    ServeDuitangUser(SharedTestServer(), DuitangUser({"一", "二"}));
    OpenWindow();
    List(kDuitangUserAddress);
    Control<QPushButton>("downloadButton")->click();
    // Nothing started, so nothing is called unfinished.
    ASSERT_TRUE(WaitUntil([&] {
        return window().workflow().downloadState() == DownloadState::Idle &&
               Control<QLabel>("statusLine1")->text() == QStringLiteral("请先在相册列表中选择要下载的相册。");
    }));
    QMessageBox* message = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        message = window().findChild<QMessageBox*>();
        return message != nullptr && message->isVisible();
    }));
    EXPECT_EQ(message->text(), QStringLiteral("请先在相册列表中选择要下载的相册。"));
    EXPECT_EQ(message->icon(), QMessageBox::Warning);
    EXPECT_GE(message->width(), 320);
    EXPECT_TRUE(SavedFiles("堆糖_7788/").empty());
}

}  // namespace
}  // namespace albumora::test
