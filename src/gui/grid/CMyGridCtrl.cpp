#include "gui/grid/CMyGridCtrl.h"

#include <QFile>
#include <QHeaderView>
#include <QItemSelection>
#include <QScrollBar>

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

void CMyGridCtrl::SetUpThumbnailView(QSize thumbnailSize) {
    DeleteAllItems();
    m_thumbnailView = true;
    m_thumbnailCellWidth = thumbnailSize.width() + kThumbnailMargin;
    m_thumbnailColumns = FittingThumbnailColumns();
    m_thumbnailsPlaced = 0;
    SetListMode(false);
    SetFixedRowCount(0);
    SetColumnCount(m_thumbnailColumns);
    SetRowCount(0);
    SetDefaultRowHeight(thumbnailSize.height() + kThumbnailRowMargin);
    SpreadThumbnailColumns();
    SetStateColumns(-1, -1);
    SetNumberColumns({});
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
}

int CMyGridCtrl::ThumbnailWidth() const {
    return contentsRect().width() - verticalScrollBar()->sizeHint().width();
}

int CMyGridCtrl::FittingThumbnailColumns() const {
    return std::max(1, ThumbnailWidth() / m_thumbnailCellWidth);
}

void CMyGridCtrl::SpreadThumbnailColumns() {
    const int width = std::max(m_thumbnailCellWidth, ThumbnailWidth() / m_thumbnailColumns);
    for (int column = 0; column < m_thumbnailColumns; ++column) {
        SetColumnWidth(column, width);
    }
}

void CMyGridCtrl::resizeEvent(QResizeEvent* event) {
    CGridCtrl::resizeEvent(event);
    if (m_thumbnailView) {
        if (const int columns = FittingThumbnailColumns(); columns != m_thumbnailColumns) {
            ReflowThumbnails(columns);
        } else {
            SpreadThumbnailColumns();
        }
    }
}

void CMyGridCtrl::ReflowThumbnails(int columns) {
    struct Cell {
        QString text;
        int image;
        int data;
        bool selected;
    };
    std::vector<Cell> cells;
    cells.reserve(static_cast<size_t>(m_thumbnailsPlaced));
    for (int position = 0; position < m_thumbnailsPlaced; ++position) {
        const int row = position / m_thumbnailColumns;
        const int column = position % m_thumbnailColumns;
        cells.push_back({GetItemText(row, column), GetItemImage(row, column), GetItemData(row, column),
                         IsCellSelected(row, column)});
    }
    const QModelIndex focus = currentIndex();
    const int focusPosition = focus.isValid() ? focus.row() * m_thumbnailColumns + focus.column() : -1;
    const int scrolledTo = rowAt(0) * m_thumbnailColumns;

    m_thumbnailColumns = columns;
    SetRowCount(0);
    SetColumnCount(columns);
    SpreadThumbnailColumns();
    QItemSelection selection;
    for (int position = 0; position < static_cast<int>(cells.size()); ++position) {
        const Cell& cell = cells[static_cast<size_t>(position)];
        PutThumbnailCell(position, cell.text, cell.image, cell.data);
        if (cell.selected) {
            const QModelIndex index = model()->index(position / columns, position % columns);
            selection.select(index, index);
        }
    }
    if (focusPosition >= 0 && focusPosition < static_cast<int>(cells.size())) {
        selectionModel()->setCurrentIndex(model()->index(focusPosition / columns, focusPosition % columns),
                                          QItemSelectionModel::NoUpdate);
    }
    selectionModel()->select(selection, QItemSelectionModel::Select);
    // The album that was at the top stays in sight.
    if (scrolledTo > 0) {
        scrollTo(model()->index(scrolledTo / columns, 0), QAbstractItemView::PositionAtTop);
    }
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
    m_thumbnailsPlaced = std::max(m_thumbnailsPlaced, position + 1);
    PutThumbnailCell(position, ToQString(IntToText(position + 1) + u"." + ShownAlbumName(album)),
                     album.thumbIndex, position);
}

void CMyGridCtrl::PutThumbnailCell(int position, const QString& text, int image, int value) {
    const int row = position / m_thumbnailColumns;
    const int column = position % m_thumbnailColumns;
    while (GetRowCount() <= row) {
        InsertRow();
    }
    SetItemText(row, column, text);
    SetItemImage(row, column, image);
    SetItemData(row, column, value);
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
