// The album grid on its own, fed with album records.
#include "gui/grid/CMyGridCtrl.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFontInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QPixmap>
#include <QTest>
#include <QVBoxLayout>

#include "gui/grid/GridCellDelegate.h"

#include "support/TempFolder.h"

namespace albumora::gui {
namespace {

ST_PERLISTRECORD Album(WString name, std::int32_t pictureCount = 1, std::int32_t accessFlags = 0) {
    ST_PERLISTRECORD album;
    album.name = std::move(name);
    album.pictureCount = pictureCount;
    album.accessFlags = accessFlags;
    return album;
}

QStringList Row(const CMyGridCtrl& grid, int row) {
    QStringList texts;
    for (int column = 0; column < grid.GetColumnCount(); ++column) {
        texts.push_back(grid.GetItemText(row, column));
    }
    return texts;
}

TEST(CMyGridCtrlTest, ListViewHasTheHeaderAndSixColumnsWithTheLastTwoHidden) {
    CMyGridCtrl grid;
    EXPECT_EQ(grid.GetFixedRowCount(), 1);
    EXPECT_EQ(grid.GetRowCount(), 1);
    EXPECT_EQ(Row(grid, 0), (QStringList{"序号", "名称", "数量", "备注", "", ""}));
    EXPECT_EQ(grid.columnWidth(0), 50);
    EXPECT_EQ(grid.columnWidth(2), 50);
    EXPECT_EQ(grid.columnWidth(3), 100);
    // The name takes the spare width of a wide window.
    grid.resize(1400, 300);
    grid.show();
    EXPECT_EQ(grid.columnWidth(0) + grid.columnWidth(1) + grid.columnWidth(2) + grid.columnWidth(3),
              grid.viewport()->width());
    EXPECT_GT(grid.columnWidth(1), 575);
    EXPECT_TRUE(grid.isColumnHidden(4));
    EXPECT_TRUE(grid.isColumnHidden(5));
    EXPECT_TRUE(grid.GetListMode());
}

TEST(CMyGridCtrlTest, RowsShowNumberNameCountAndNote) {
    CMyGridCtrl grid;
    grid.AddAlbumRow(7, Album(u"五张", 5), {});
    grid.AddAlbumRow(3, Album(u"一千张", 1000, 0x2), {});
    grid.AddAlbumRow(0, Album(u"不知道", -1, 0x1), {});
    EXPECT_EQ(Row(grid, 1), (QStringList{"0001", "五张", "   5", "", "", ""}));
    EXPECT_EQ(Row(grid, 2), (QStringList{"0002", "一千张", "1000", "私密相册", "", ""}));
    EXPECT_EQ(Row(grid, 3), (QStringList{"0003", "不知道", "未知", "加密相册", "", ""}));
    // Numbers line up at their right end, in digits of one width.
    const QModelIndex count = grid.model()->index(0, 2);
    EXPECT_EQ(count.data(Qt::TextAlignmentRole).value<Qt::Alignment>(), Qt::AlignRight | Qt::AlignVCenter);
    // What the grid asks for; which font answers depends on what the machine has installed.
    const QFont numbers = count.data(Qt::FontRole).value<QFont>();
    EXPECT_TRUE(numbers.fixedPitch());
    EXPECT_EQ(numbers.styleHint(), QFont::Monospace);
    EXPECT_FALSE(grid.model()->index(0, 1).data(Qt::TextAlignmentRole).isValid());
    EXPECT_EQ(grid.GetItemData(1, 0), 7);
    EXPECT_EQ(grid.GetItemData(2, 0), 3);
}

TEST(CMyGridCtrlTest, FilterKeepsOnlyNamesThatContainItWithTheirCase) {
    CMyGridCtrl grid;
    grid.AddAlbumRow(0, Album(u"Cats"), u"cat");
    grid.AddAlbumRow(1, Album(u"cats"), u"cat");
    grid.AddAlbumRow(2, Album(u"dog"), u"cat");
    EXPECT_EQ(grid.GetRowCount(), 2);
    EXPECT_EQ(Row(grid, 1).mid(0, 2), (QStringList{"0001", "cats"}));
}

TEST(CMyGridCtrlTest, SortComparesCodeUnitsSoPaddedCountsAreNumericAndUnknownComesLast) {
    CMyGridCtrl grid;
    grid.AddAlbumRow(0, Album(u"a", -1), {});
    grid.AddAlbumRow(1, Album(u"b", 1000), {});
    grid.AddAlbumRow(2, Album(u"c", 5), {});
    grid.AddAlbumRow(3, Album(u"d", 42), {});
    grid.SortItems(2, true);
    EXPECT_EQ(grid.GetItemText(1, 2), QStringLiteral("   5"));
    EXPECT_EQ(grid.GetItemText(2, 2), QStringLiteral("  42"));
    EXPECT_EQ(grid.GetItemText(3, 2), QStringLiteral("1000"));
    EXPECT_EQ(grid.GetItemText(4, 2), QStringLiteral("未知"));
    EXPECT_EQ(grid.GetItemData(4, 0), 0);
}

TEST(CMyGridCtrlTest, ExportDropsApostrophesDoublesQuotesAndGuardsCommas) {
    CMyGridCtrl grid;
    grid.AddAlbumRow(0, Album(u"say \"hi\"", 12), {});
    grid.AddAlbumRow(1, Album(u"it's a,b", 3, 0x4), {});
    EXPECT_EQ(grid.ExportText(),
              "0001,say \"\"hi\"\",  12,,,,\r\n"
              "0002,its a','b,   3,\xBA\xC3\xD3\xD1\xBF\xC9\xBC\xFB,,,\r\n");
}

TEST(CMyGridCtrlTest, ExportOfTheHeaderAloneWritesAnEmptyFile) {
    CMyGridCtrl grid;
    test::TempFolder folder;
    test::WriteFile(folder.file("old.csv"), "old content");
    ASSERT_TRUE(grid.ExportTo(QString::fromStdString(folder.file("old.csv"))));
    EXPECT_EQ(test::ReadFile(folder.file("old.csv")).bytes, "");
}

TEST(CMyGridCtrlTest, ThumbnailViewPlacesSixAlbumsARowAndChoosesOnlyCellsWithAlbums) {
    CMyGridCtrl grid;
    grid.resize(800, 400);
    grid.SetUpThumbnailView(QSize(113, 120));
    EXPECT_EQ(grid.GetFixedRowCount(), 0);
    EXPECT_GE(grid.columnWidth(0), 121);
    for (int position = 0; position < 8; ++position) {
        grid.PlaceThumbnail(position, Album(u"册" + IntToText(position)));
    }
    EXPECT_EQ(grid.GetRowCount(), 2);
    EXPECT_EQ(grid.rowHeight(1), 130);
    EXPECT_EQ(grid.GetItemText(1, 1), QStringLiteral("8.册7"));
    EXPECT_EQ(grid.GetItemData(1, 1), 7);

    grid.SelectAllCells();
    EXPECT_EQ(grid.ChosenAlbums(8), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    // Albums beyond the list the download sees are not chosen.
    EXPECT_EQ(grid.ChosenAlbums(7), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
    grid.ClearSelectionAndFocus();
    grid.SetSelectedRange(1, 0, 1, 0);
    EXPECT_EQ(grid.ChosenAlbums(8), std::vector<int>{6});
}

TEST(CMyGridCtrlTest, ThumbnailsFillTheWidthAndKeepOrderSelectionAndFocusWhenItChanges) {
    CMyGridCtrl grid;
    grid.resize(800, 400);
    grid.show();
    grid.SetUpThumbnailView(QSize(113, 120));
    for (int position = 0; position < 14; ++position) {
        grid.PlaceThumbnail(position, Album(u"册" + IntToText(position)));
    }
    grid.SetSelectedRange(1, 1, 1, 2);  // albums 7 and 8
    grid.SetFocusCell(1, 2);

    grid.resize(1700, 400);
    ASSERT_EQ(grid.GetColumnCount(), 13);
    // The columns share the width: no strip of a column's width is left empty at the right.
    const int right = grid.columnViewportPosition(12) + grid.columnWidth(12);
    EXPECT_GT(right + grid.columnWidth(12) / 2, grid.viewport()->width());
    EXPECT_EQ(grid.GetItemText(1, 0), QStringLiteral("14.册13"));
    EXPECT_EQ(grid.GetItemData(0, 12), 12);
    EXPECT_EQ(grid.ChosenAlbums(14), (std::vector<int>{7, 8}));
    EXPECT_EQ(grid.currentIndex(), grid.model()->index(0, 8));

    grid.resize(400, 400);
    ASSERT_EQ(grid.GetColumnCount(), 3);
    EXPECT_EQ(grid.GetRowCount(), 5);
    EXPECT_EQ(grid.GetItemText(4, 1), QStringLiteral("14.册13"));
    EXPECT_EQ(grid.ChosenAlbums(14), (std::vector<int>{7, 8}));
    EXPECT_EQ(grid.currentIndex(), grid.model()->index(2, 2));
}

TEST(CMyGridCtrlTest, ASelectedThumbnailIsTintedAndFramedOverItsCover) {
    CMyGridCtrl grid;
    grid.resize(900, 300);
    grid.SetUpThumbnailView(QSize(113, 120));
    QPixmap cover(113, 120);
    cover.fill(Qt::red);
    for (int position = 0; position < 2; ++position) {
        ST_PERLISTRECORD album = Album(u"册" + IntToText(position));
        album.thumbIndex = grid.AddImage(cover);
        grid.PlaceThumbnail(position, album);
    }
    grid.SetSelectedRange(0, 0, 0, 0);
    const QImage shot = grid.viewport()->grab().toImage();
    const QRect chosen = grid.visualRect(grid.model()->index(0, 0));
    const QRect other = grid.visualRect(grid.model()->index(0, 1));
    EXPECT_EQ(shot.pixelColor(other.center().x(), other.top() + 30), QColor(Qt::red));
    const QColor tinted = shot.pixelColor(chosen.center().x(), chosen.top() + 30);
    EXPECT_LT(tinted.red(), 230);
    EXPECT_GT(tinted.blue(), 50);
    // The frame runs along the cover's edge, inside the cell.
    const int coverLeft = chosen.left() + (chosen.width() - 113) / 2;
    EXPECT_EQ(shot.pixelColor(coverLeft + 1, chosen.center().y()), GridCellDelegate::kSelectionFrame);
}

TEST(CMyGridCtrlTest, SortArrowPointsUpForAscendingAndNeverSitsOnTheNumberColumn) {
    CMyGridCtrl grid;
    grid.AddAlbumRow(0, Album(u"b"), {});
    grid.AddAlbumRow(1, Album(u"a"), {});
    QHeaderView* header = grid.horizontalHeader();
    emit header->sectionClicked(1);
    ASSERT_EQ(Row(grid, 1)[1], QStringLiteral("a"));
    // Qt draws its descending order as the upward arrow.
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(header->sortIndicatorSection(), 1);
    header->setSortIndicator(0, Qt::AscendingOrder);  // as a click on the header does by itself
    emit header->sectionClicked(0);
    EXPECT_EQ(header->sortIndicatorSection(), 1);
}

TEST(CMyGridCtrlTest, SelectRowLeavesOneSelectedFocusedRow) {
    CMyGridCtrl grid;
    for (int position = 0; position < 4; ++position) {
        grid.AddAlbumRow(position, Album(u"册" + IntToText(position)), {});
    }
    grid.SelectAllCells();
    grid.SelectRow(3);
    EXPECT_EQ(grid.ChosenAlbums(4), std::vector<int>{2});
    EXPECT_EQ(grid.GetFocusRow(), 3);
    EXPECT_TRUE(grid.IsCellSelected(3, 1));
}

TEST(CMyGridCtrlTest, TheFocusedGridFramesItsCurrentRowAndOnlyWhileFocused) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* other = new QLineEdit(&window);
    auto* grid = new CMyGridCtrl(&window);
    layout->addWidget(other);
    layout->addWidget(grid);
    window.resize(900, 300);
    for (int position = 0; position < 3; ++position) {
        grid->AddAlbumRow(position, Album(u"册" + IntToText(position)), {});
    }
    grid->SetFocusCell(2, 0);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const QRect row = grid->visualRect(grid->model()->index(1, 1));
    const auto darkOnTopEdge = [&] {
        const QImage shot = grid->viewport()->grab().toImage();
        int dark = 0;
        for (int x = row.left(); x <= row.right(); ++x) {
            dark += shot.pixelColor(x, row.top()).lightness() < 128 ? 1 : 0;
        }
        return dark;
    };

    grid->setFocus();
    EXPECT_GT(darkOnTopEdge(), row.width() / 4);
    other->setFocus();
    EXPECT_EQ(darkOnTopEdge(), 0);
    EXPECT_TRUE(grid->selectionModel()->selectedIndexes().isEmpty());
}

TEST(CMyGridCtrlTest, TitleTipShowsATextOnlyWhenItDoesNotFit) {
    CMyGridCtrl grid;
    grid.resize(900, 300);
    grid.AddAlbumRow(0, Album(WString(80, u'猫')), {});
    grid.AddAlbumRow(1, Album(u"短"), {});
    EXPECT_EQ(grid.TitleTipText(1, 1), QString(80, QChar(u'猫')));
    EXPECT_EQ(grid.TitleTipText(2, 1), QString());
}

}  // namespace
}  // namespace albumora::gui
