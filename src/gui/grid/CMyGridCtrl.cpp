#include "gui/grid/CMyGridCtrl.h"

#include <QFile>
#include <QHeaderView>

#include "core/workflow/AlbumRows.h"
#include "gui/QtText.h"

namespace albumora::gui {

namespace {

struct ListColumn {
    const char16_t* header;
    int width;
};

// Columns 4 and 5 exist with width 0 and hold empty texts.
constexpr ListColumn kListColumnLayout[CMyGridCtrl::kListColumns] = {
    {u"序号", 50}, {u"名称", 575}, {u"数量", 50}, {u"备注", 100}, {u"", 0}, {u"", 0},
};

// Added to each thumbnail column's width, so that neighbouring covers do not touch.
constexpr int kThumbnailMargin = 8;
// Added to each thumbnail row's height.
constexpr int kThumbnailRowMargin = 10;

}  // namespace

CMyGridCtrl::CMyGridCtrl(QWidget* parent) : CGridCtrl(parent) {
    SetUpListView();
}

void CMyGridCtrl::SetUpListView() {
    DeleteAllItems();
    m_thumbnailView = false;
    SetListMode(true);
    SetFixedRowCount(1);
    SetColumnCount(kListColumns);
    SetRowCount(1);
    SetDefaultRowHeight(fontMetrics().height() + 8);
    for (int column = 0; column < kListColumns; ++column) {
        SetItemText(0, column, ToQString(kListColumnLayout[column].header));
        SetColumnWidth(column, kListColumnLayout[column].width);
    }
    // An album's state in a run shows beside its name; the row's album is in the number cell.
    SetStateColumns(1, 0);
    SetNumberColumns({0, 2});
    // The name takes whatever width the window has to spare.
    horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
}

void CMyGridCtrl::SetUpThumbnailView(int columns, QSize thumbnailSize) {
    DeleteAllItems();
    m_thumbnailView = true;
    m_thumbnailColumns = std::max(columns, 1);
    SetListMode(false);
    SetFixedRowCount(0);
    SetColumnCount(m_thumbnailColumns);
    SetRowCount(0);
    SetDefaultRowHeight(thumbnailSize.height() + kThumbnailRowMargin);
    for (int column = 0; column < m_thumbnailColumns; ++column) {
        SetColumnWidth(column, thumbnailSize.width() + kThumbnailMargin);
    }
    SetStateColumns(-1, -1);
    SetNumberColumns({});
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
}

void CMyGridCtrl::AddAlbumRow(int position, const ST_PERLISTRECORD& album, WStringView filter) {
    if (m_thumbnailView || (!filter.empty() && album.name.find(filter) == WString::npos)) {
        return;
    }
    const int row = InsertRow();
    const AlbumRowTexts texts = MakeAlbumRowTexts(album, row - GetFixedRowCount() + 1);
    for (int column = 0; column < kListColumns; ++column) {
        SetItemText(row, column,
                    column < static_cast<int>(texts.size()) ? ToQString(texts[static_cast<size_t>(column)])
                                                            : QString());
    }
    SetItemData(row, 0, position);
}

void CMyGridCtrl::PlaceThumbnail(int position, const ST_PERLISTRECORD& album) {
    if (!m_thumbnailView || position < 0) {
        return;
    }
    const int row = position / m_thumbnailColumns;
    const int column = position % m_thumbnailColumns;
    while (GetRowCount() <= row) {
        InsertRow();
    }
    SetItemText(row, column, ToQString(IntToText(position + 1) + u"." + album.name));
    SetItemImage(row, column, album.thumbIndex);
    SetItemData(row, column, position);
}

std::vector<int> CMyGridCtrl::ChosenAlbums(std::size_t recordCount) const {
    std::vector<int> positions;
    const auto isAlbum = [&](int value) {
        return value >= 0 && static_cast<std::size_t>(value) < recordCount;
    };
    if (!m_thumbnailView) {
        for (int row = GetNextSelectedRow(0); row != -1; row = GetNextSelectedRow(row)) {
            if (const int position = GetItemData(row, 0); isAlbum(position)) {
                positions.push_back(position);
            }
        }
        return positions;
    }
    // Cells after the last album have no album behind them, whatever their data value says.
    std::size_t visited = 0;
    for (int row = 0; row < GetRowCount(); ++row) {
        for (int column = 0; column < GetColumnCount(); ++column, ++visited) {
            if (visited >= recordCount) {
                return positions;
            }
            if (IsCellSelected(row, column) && isAlbum(GetItemData(row, column))) {
                positions.push_back(GetItemData(row, column));
            }
        }
    }
    return positions;
}

void CMyGridCtrl::SelectRow(int row) {
    if (row < GetFixedRowCount() || row >= GetRowCount()) {
        return;
    }
    ClearSelectionAndFocus();
    SetSelectedRange(row, 0, row, GetColumnCount() - 1);
    SetFocusCell(row, 0);
    EnsureVisible(row, 0);
}

std::string CMyGridCtrl::ExportText() const {
    std::string bytes;
    std::vector<WString> cells(static_cast<size_t>(GetColumnCount()));
    for (int row = GetFixedRowCount(); row < GetRowCount(); ++row) {
        for (int column = 0; column < GetColumnCount(); ++column) {
            cells[static_cast<size_t>(column)] = ToWString(GetItemText(row, column));
        }
        bytes += ExportLine(cells);
    }
    return bytes;
}

bool CMyGridCtrl::ExportTo(const QString& path) const {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    const std::string bytes = ExportText();
    return file.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
}

}  // namespace albumora::gui
