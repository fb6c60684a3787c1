// The album grid inside the main window: sorting, export, select-all, filter and the thumbnail view.
#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <future>

#include "MainWindowTest.h"
#include "ModalAnswerer.h"
#include "gui/grid/CMyGridCtrl.h"
#include "support/JpegBytes.h"
#include "support/TestWebServer.h"

namespace albumora::test {
namespace {

void ClickHeader(gui::CMyGridCtrl* grid, int column) {
    QHeaderView* header = grid->horizontalHeader();
    const QPoint inside(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, inside);
}

void ClickCell(gui::CMyGridCtrl* grid, int row, int column, Qt::KeyboardModifiers modifiers = {}) {
    const QModelIndex cell = grid->model()->index(row - grid->GetFixedRowCount(), column);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, modifiers, grid->visualRect(cell).center());
}

bool Near(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) < 40 && std::abs(a.green() - b.green()) < 40 &&
           std::abs(a.blue() - b.blue()) < 40;
}

std::string CoverPath(const FakeDuitangAlbum& album) {
    const std::string& file = album.pictures[0].file;
    return "/uploads/item/" + file.substr(0, file.rfind('.')) + ".thumb.224_0.jpg";
}

QPixmap CellCover(gui::CMyGridCtrl* grid, int column) {
    return grid->model()->index(0, column).data(Qt::DecorationRole).value<QPixmap>();
}

TEST_F(MainWindowTest, SortingByNameTwiceReversesAndRenumbers) {
    ServeDuitangUser(SharedTestServer(), DuitangUser({"b专辑", "c专辑", "a专辑"}));
    OpenWindow();
    List(kDuitangUserAddress);
    gui::CMyGridCtrl* grid = window().grid();

    ClickHeader(grid, 1);
    EXPECT_EQ(Column(1), (QStringList{"a专辑", "b专辑", "c专辑"}));
    EXPECT_EQ(Column(0), (QStringList{"0001", "0002", "0003"}));
    EXPECT_EQ(Positions(), (std::vector<int>{2, 0, 1}));

    ClickHeader(grid, 1);
    EXPECT_EQ(Column(1), (QStringList{"c专辑", "b专辑", "a专辑"}));
    EXPECT_EQ(Column(0), (QStringList{"0001", "0002", "0003"}));
    EXPECT_EQ(Positions(), (std::vector<int>{1, 0, 2}));

    // The number column does not sort.
    ClickHeader(grid, 0);
    EXPECT_EQ(Column(1), (QStringList{"c专辑", "b专辑", "a专辑"}));
}

TEST_F(MainWindowTest, RestoreOrderBuildsTheRowsAgainInListOrder) {
    ServeDuitangUser(SharedTestServer(), DuitangUser({"b专辑", "c专辑", "a专辑"}));
    OpenWindow();
    List(kDuitangUserAddress);
    ClickHeader(window().grid(), 1);
    ASSERT_EQ(Column(1), (QStringList{"a专辑", "b专辑", "c专辑"}));

    emit Control<QLabel>("restoreOrderLink")->linkActivated(QStringLiteral("#"));
    EXPECT_EQ(Column(1), (QStringList{"b专辑", "c专辑", "a专辑"}));
    EXPECT_EQ(Column(0), (QStringList{"0001", "0002", "0003"}));

    auto* rating = Control<QLabel>("ratingSortLink");
    emit rating->linkActivated(QStringLiteral("#"));
    EXPECT_TRUE(rating->text().contains(QStringLiteral("好评↑")));
    emit rating->linkActivated(QStringLiteral("#"));
    EXPECT_TRUE(rating->text().contains(QStringLiteral("好评↓")));
    EXPECT_EQ(Column(1).size(), 3);
}

TEST_F(MainWindowTest, ExportWritesTheRowsAsGbkCommaText) {
    ServeDuitangUser(SharedTestServer(), DuitangUser({"a,b", "it's", "猫"}));
    OpenWindow();
    List(kDuitangUserAddress);
    const std::string target = save.file("albums.csv");

    QString suggested;
    ModalAnswerer answers({ModalAnswerer::Accept(), [&](QWidget* dialog) {
                               // Offered in the save folder, with a name.
                               suggested = qobject_cast<QFileDialog*>(dialog)->selectedFiles().value(0);
                               ModalAnswerer::ChooseFile(target)(dialog);
                           }});
    emit Control<QLabel>("exportLink")->linkActivated(QStringLiteral("#"));

    EXPECT_EQ(answers.answered(), 2);
    EXPECT_EQ(suggested.toStdString(), save.file("相册列表.csv"));
    EXPECT_EQ(ReadFile(target).bytes,
              "0001,a','b,   1,,,,\r\n"
              "0002,its,   1,,,,\r\n"
              "0003,\xC3\xA8,   1,,,,\r\n");
}

TEST_F(MainWindowTest, ExportOfAGridWithOnlyItsHeaderWritesNothing) {
    OpenWindow();
    const std::string target = save.file("empty.csv");
    ModalAnswerer answers({ModalAnswerer::Accept(), ModalAnswerer::ChooseFile(target)});
    emit Control<QLabel>("exportLink")->linkActivated(QStringLiteral("#"));
    const FileContent written = ReadFile(target);
    EXPECT_TRUE(written.exists);
    EXPECT_EQ(written.bytes, "");
}

TEST_F(MainWindowTest, SelectAllFollowsASelectionMadeByKeyboardOrMouse) {
    ServeDuitangUser(SharedTestServer(), DuitangUser({"一", "二", "三"}));
    OpenWindow();
    List(kDuitangUserAddress);
    gui::CMyGridCtrl* grid = window().grid();
    auto* selectAll = Control<QCheckBox>("selectAllBox");
    grid->setFocus();
    QTest::keyClick(window().windowHandle(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(grid->ChosenAlbums(3), (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(selectAll->isChecked());
    grid->clearSelection();
    EXPECT_FALSE(selectAll->isChecked());
}

TEST_F(MainWindowTest, SelectAllSelectsEveryAlbumAndClears) {
    ServeDuitangUser(SharedTestServer(), DuitangUser({"一", "二", "三"}));
    OpenWindow();
    List(kDuitangUserAddress);
    gui::CMyGridCtrl* grid = window().grid();
    auto* selectAll = Control<QCheckBox>("selectAllBox");

    selectAll->click();
    EXPECT_TRUE(selectAll->isChecked());
    EXPECT_EQ(grid->ChosenAlbums(3), (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(grid->IsCellSelected(3, 1));

    selectAll->click();
    EXPECT_TRUE(grid->ChosenAlbums(3).empty());
    EXPECT_EQ(grid->GetNextSelectedRow(0), -1);
    EXPECT_EQ(grid->GetFocusRow(), -1);
}

TEST_F(MainWindowTest, FilterShowsOnlyTheMatchingNamesForOneRebuild) {
    ServeDuitangUser(SharedTestServer(), DuitangUser({"猫咪", "小狗", "猫粮"}));
    OpenWindow();
    List(kDuitangUserAddress);

    window().ApplyFilter(QStringLiteral(" 猫 "));
    EXPECT_EQ(Column(1), (QStringList{"猫咪", "猫粮"}));
    EXPECT_EQ(Column(0), (QStringList{"0001", "0002"}));
    EXPECT_EQ(Positions(), (std::vector<int>{0, 2}));
    EXPECT_TRUE(window().filterText().empty());
    // The title says that albums are hidden, and the link shows them all again.
    auto* group = Control<QGroupBox>("albumGroup");
    EXPECT_EQ(group->title(), QStringLiteral("相册列表(共3个) — 筛选“猫”：显示2个"));
    auto* clear = Control<QLabel>("clearFilterLink");
    EXPECT_TRUE(clear->isVisible());

    emit clear->linkActivated(QStringLiteral("#"));
    EXPECT_EQ(Column(1), (QStringList{"猫咪", "小狗", "猫粮"}));
    EXPECT_EQ(group->title(), QStringLiteral("相册列表(共3个)"));
    EXPECT_FALSE(clear->isVisible());
}

TEST_F(MainWindowTest, CoversArriveBesideTheListingInAnyOrderAndLandInTheirCells) {
    FakeDuitangUser user = DuitangUser({"红", "绿", "蓝"});
    ServeDuitangUser(SharedTestServer(), user);
    const QColor colours[] = {Qt::red, Qt::green, Qt::blue};
    // The first cover is held until the listing has ended, so it arrives last.
    std::promise<void> release;
    const std::shared_future<void> released = release.get_future().share();
    for (size_t i = 0; i < 3; ++i) {
        const std::string jpeg = JpegBytes(colours[i]);
        SharedTestServer().Route(kFakeDuitangPictureHost, CoverPath(user.albums[i]),
                                 [=](const RecordedRequest&) {
                                     if (i == 0) {
                                         released.wait_for(std::chrono::seconds(10));
                                     }
                                     return Response{.body = jpeg, .contentType = "image/jpeg"};
                                 });
    }
    OpenWindow();
    Control<QCheckBox>("pictureViewBox")->click();
    ASSERT_TRUE(WaitUntil([&] { return window().viewState() == gui::ViewState::Idle; }));
    gui::CMyGridCtrl* grid = window().grid();

    List(kDuitangUserAddress);
    ASSERT_TRUE(WaitUntil([&] { return !CellCover(grid, 1).isNull() && !CellCover(grid, 2).isNull(); }));
    EXPECT_TRUE(CellCover(grid, 0).isNull());
    release.set_value();
    ASSERT_TRUE(WaitUntil([&] { return !CellCover(grid, 0).isNull(); }));
    for (int column = 0; column < 3; ++column) {
        EXPECT_TRUE(Near(CellCover(grid, column).toImage().pixelColor(56, 60), colours[column])) << column;
    }
}

TEST_F(MainWindowTest, ThumbnailViewShowsCoversAndDownloadsTheChosenCells) {
    FakeDuitangUser user = DuitangUser({"红", "绿", "蓝"});
    ServeDuitangUser(SharedTestServer(), user);
    const QColor colours[] = {Qt::red, Qt::green, Qt::blue};
    std::vector<std::string> coverPaths;
    for (size_t i = 0; i < 3; ++i) {
        coverPaths.push_back(CoverPath(user.albums[i]));
        SharedTestServer().Route(kFakeDuitangPictureHost, coverPaths.back(),
                                 Response{.body = JpegBytes(colours[i]), .contentType = "image/jpeg"});
    }
    OpenWindow();
    List(kDuitangUserAddress);
    gui::CMyGridCtrl* grid = window().grid();
    auto* pictureView = Control<QCheckBox>("pictureViewBox");

    pictureView->click();
    ASSERT_TRUE(WaitUntil([&] { return window().viewState() == gui::ViewState::Idle; }));
    ASSERT_TRUE(grid->thumbnailView());
    EXPECT_EQ(grid->GetRowCount(), 1);
    EXPECT_EQ(grid->GetColumnCount(), 6);
    for (int column = 0; column < 3; ++column) {
        const QModelIndex cell = grid->model()->index(0, column);
        const QPixmap cover = cell.data(Qt::DecorationRole).value<QPixmap>();
        ASSERT_FALSE(cover.isNull()) << column;
        EXPECT_EQ(cover.size(), QSize(113, 120));
        EXPECT_TRUE(Near(cover.toImage().pixelColor(56, 60), colours[column])) << column;
        EXPECT_TRUE(std::filesystem::exists(settings.file("tmp/" + std::to_string(column) + ".jpg")));
    }
    EXPECT_EQ(grid->GetItemText(0, 1), QStringLiteral("2.绿"));
    EXPECT_FALSE(Control<QLabel>("findLink")->isEnabled());
    EXPECT_FALSE(Control<QLabel>("filterLink")->isEnabled());

    // Back and forth again: the covers are not fetched a second time.
    pictureView->click();
    ASSERT_TRUE(WaitUntil([&] { return window().viewState() == gui::ViewState::Idle; }));
    EXPECT_EQ(Column(1).size(), 3);
    pictureView->click();
    ASSERT_TRUE(
        WaitUntil([&] { return window().viewState() == gui::ViewState::Idle && grid->GetRowCount() == 1; }));
    for (const std::string& path : coverPaths) {
        EXPECT_EQ(SharedTestServer().requestsFor(path).size(), 1u) << path;
    }

    ClickCell(grid, 0, 1);
    ClickCell(grid, 0, 2, Qt::ControlModifier);
    Control<QPushButton>("downloadButton")->click();
    ASSERT_TRUE(WaitForDownloadEnd());
    EXPECT_EQ(SavedFiles("堆糖_7788/"), (std::vector<std::string>{"绿", "蓝"}));
}

TEST_F(MainWindowTest, SwitchingTheViewDuringARebuildAsksWhetherToStopIt) {
    // More albums than covers fetched at once, so that some are still waiting at the stop.
    FakeDuitangUser user = DuitangUser({"一", "二", "三", "四", "五", "六", "七", "八"});
    ServeDuitangUser(SharedTestServer(), user);
    for (const auto& album : user.albums) {
        // A slow cover keeps the rebuild busy while the box is clicked again.
        SharedTestServer().Route(kFakeDuitangPictureHost, CoverPath(album),
                                 Response{.body = JpegBytes(Qt::gray),
                                          .contentType = "image/jpeg",
                                          .headerDelay = std::chrono::milliseconds(700)});
    }
    OpenWindow();
    List(kDuitangUserAddress);
    auto* pictureView = Control<QCheckBox>("pictureViewBox");
    pictureView->click();
    ASSERT_EQ(window().viewState(), gui::ViewState::Rebuilding);

    ModalAnswerer answers({[](QWidget* dialog) {
        auto* question = qobject_cast<QMessageBox*>(dialog);
        EXPECT_EQ(question->text(), QStringLiteral("模式转换未完成,是否中断?"));
        question->button(QMessageBox::Yes)->click();
    }});
    pictureView->click();
    EXPECT_EQ(answers.answered(), 1);
    // The box keeps the view that is being built.
    EXPECT_TRUE(pictureView->isChecked());
    ASSERT_TRUE(WaitUntil([&] { return window().viewState() == gui::ViewState::Idle; }));
    EXPECT_EQ(SharedTestServer().requestsFor(CoverPath(user.albums.back())).size(), 0u);
}

}  // namespace
}  // namespace albumora::test
