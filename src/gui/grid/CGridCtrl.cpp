#include "gui/grid/CGridCtrl.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QHeaderView>
#include <QHelpEvent>
#include <QItemSelection>
#include <QPainter>
#include <QToolTip>

#include "gui/QtText.h"
#include "gui/grid/GridCellDelegate.h"

#include "core/text/WideText.h"

namespace albumora::gui {

CGridCtrl::CGridCtrl(QWidget* parent) : QTableView(parent), m_model(new GridModel(this)) {
    m_model->SetImageList(&m_images);
    setModel(m_model);
    setItemDelegate(new GridCellDelegate(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab moves on to the next control, as in the rest of the window; walking the cells with it
    // would trap the focus and, in a table that selects what it walks to, undo a selection.
    setTabKeyNavigation(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    verticalHeader()->hide();
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    horizontalHeader()->setMinimumSectionSize(0);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &CGridCtrl::OnHeaderClicked);

    // Outside the cells the grid is white.
    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Window, Qt::white);
    setPalette(colours);
    SetFixedRowCount(0);
    ApplySelectionMode();
}

void CGridCtrl::SetFixedRowCount(int fixedRows) {
    fixedRows = fixedRows > 0 ? 1 : 0;
    if (fixedRows != m_fixedRows) {
        ClearSelectionAndFocus();
    }
    m_fixedRows = fixedRows;
    horizontalHeader()->setVisible(m_fixedRows > 0);
}

void CGridCtrl::SetRowCount(int rows) {
    m_model->SetRowCount(ModelRow(rows));
}

int CGridCtrl::GetRowCount() const {
    return GridRow(m_model->rowCount());
}

void CGridCtrl::SetColumnCount(int columns) {
    m_model->SetColumnCount(columns);
}

int CGridCtrl::GetColumnCount() const {
    return m_model->columnCount();
}

void CGridCtrl::SetColumnWidth(int column, int width) {
    setColumnHidden(column, width <= 0);
    if (width > 0) {
        setColumnWidth(column, width);
    }
}

void CGridCtrl::SetDefaultRowHeight(int height) {
    verticalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(height);
}

int CGridCtrl::InsertRow() {
    return GridRow(m_model->AppendRow());
}

void CGridCtrl::DeleteAllItems() {
    ClearSelectionAndFocus();
    for (int column = 0; column < m_model->columnCount(); ++column) {
        setColumnHidden(column, false);
    }
    m_model->Clear();
    m_sortColumn = -1;
    m_sortAscending = true;
    horizontalHeader()->setSortIndicatorShown(false);
}

void CGridCtrl::SetItemText(int row, int column, const QString& text) {
    if (row < m_fixedRows) {
        m_model->SetHeaderText(column, text);
    } else {
        m_model->SetText(ModelRow(row), column, text);
    }
}

QString CGridCtrl::GetItemText(int row, int column) const {
    return row < m_fixedRows ? m_model->HeaderText(column) : m_model->Cell(ModelRow(row), column).text;
}

void CGridCtrl::SetItemImage(int row, int column, int image) {
    m_model->SetImage(ModelRow(row), column, image);
}

int CGridCtrl::GetItemImage(int row, int column) const {
    return m_model->Cell(ModelRow(row), column).image;
}

void CGridCtrl::SetItemData(int row, int column, int value) {
    m_model->SetData(ModelRow(row), column, value);
}

int CGridCtrl::GetItemData(int row, int column) const {
    return m_model->Cell(ModelRow(row), column).data;
}

bool CGridCtrl::IsCellSelected(int row, int column) const {
    return row >= m_fixedRows && selectionModel()->isSelected(m_model->index(ModelRow(row), column));
}

void CGridCtrl::SetDataState(int value, const QString& text, QColor colour) {
    m_model->SetState(value, text, colour);
}

void CGridCtrl::ClearDataStates() {
    m_model->ClearStates();
}

void CGridCtrl::SetNumberColumns(std::vector<int> columns) {
    QFont digits = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    // Asked for as fixed-pitch too, so that whichever fonts a machine has, one that is gets chosen.
    digits.setFixedPitch(true);
    digits.setStyleHint(QFont::Monospace);
    digits.setPointSizeF(font().pointSizeF());
    m_model->SetNumberColumns(std::move(columns), digits);
}

void CGridCtrl::SetStateColumns(int column, int keyColumn) {
    m_model->SetStateColumns(column, keyColumn);
}

int CGridCtrl::AddImage(const QPixmap& image) {
    m_images.push_back(image);
    return static_cast<int>(m_images.size()) - 1;
}

void CGridCtrl::ClearImages() {
    m_images.clear();
    viewport()->update();
}

void CGridCtrl::ApplySelectionMode() {
    setSelectionBehavior(m_listMode ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    setSelectionMode(m_singleRowSelection ? QAbstractItemView::SingleSelection
                                          : QAbstractItemView::ExtendedSelection);
}

void CGridCtrl::SetListMode(bool wholeRows) {
    ClearSelectionAndFocus();
    m_listMode = wholeRows;
    ApplySelectionMode();
}

void CGridCtrl::SetSingleRowSelection(bool single) {
    m_singleRowSelection = single;
    ApplySelectionMode();
    if (single) {
        // Keep the focus row alone, as a single-row grid shows it.
        const int focus = GetFocusRow();
        selectionModel()->clearSelection();
        if (focus >= m_fixedRows) {
            SetSelectedRange(focus, 0, focus, GetColumnCount() - 1);
        }
    }
}

void CGridCtrl::SelectAllCells() {
    if (selectionMode() == QAbstractItemView::NoSelection) {
        return;
    }
    // selectAll() would honour the single-selection mode; the grid selects every cell regardless.
    if (m_model->rowCount() > 0 && m_model->columnCount() > 0) {
        selectionModel()->select(
            QItemSelection(m_model->index(0, 0),
                           m_model->index(m_model->rowCount() - 1, m_model->columnCount() - 1)),
            QItemSelectionModel::ClearAndSelect);
    }
}

void CGridCtrl::ClearSelectionAndFocus() {
    selectionModel()->clearSelection();
    selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}

void CGridCtrl::SetSelectedRange(int minRow, int minColumn, int maxRow, int maxColumn) {
    const QModelIndex first = m_model->index(ModelRow(minRow), minColumn);
    const QModelIndex last = m_model->index(ModelRow(maxRow), maxColumn);
    if (first.isValid() && last.isValid()) {
        selectionModel()->select(QItemSelection(first, last), QItemSelectionModel::ClearAndSelect);
    }
}

void CGridCtrl::SetFocusCell(int row, int column) {
    selectionModel()->setCurrentIndex(m_model->index(ModelRow(row), column), QItemSelectionModel::NoUpdate);
}

int CGridCtrl::GetFocusRow() const {
    const QModelIndex current = selectionModel()->currentIndex();
    return current.isValid() ? GridRow(current.row()) : -1;
}

void CGridCtrl::EnsureVisible(int row, int column) {
    const QModelIndex cell = m_model->index(ModelRow(row), column);
    if (cell.isValid()) {
        scrollTo(cell);
    }
}

int CGridCtrl::GetNextSelectedRow(int row) const {
    for (int next = std::max(row + 1, m_fixedRows); next < GetRowCount(); ++next) {
        for (int column = 0; column < GetColumnCount(); ++column) {
            if (IsCellSelected(next, column)) {
                return next;
            }
        }
    }
    return -1;
}

void CGridCtrl::SortItems(int column, bool ascending) {
    m_model->SortRows(column, ascending);
}

void CGridCtrl::OnHeaderClicked(int column) {
    if (m_fixedRows == 0 || (column == 0 && m_renumberAfterSort)) {
        // The header moved its arrow to the clicked column by itself; this column does not sort.
        ShowSortIndicator();
        return;
    }
    // The same column again turns the order round; another column starts ascending.
    m_sortAscending = column == m_sortColumn ? !m_sortAscending : true;
    m_sortColumn = column;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    SortItems(column, m_sortAscending);
    if (m_renumberAfterSort) {
        for (int row = m_fixedRows; row < GetRowCount(); ++row) {
            SetItemText(row, 0, ToQString(FormatNumber("%04d", row - m_fixedRows + 1)));
        }
    }
    ShowSortIndicator();
    QApplication::restoreOverrideCursor();
}

void CGridCtrl::ShowSortIndicator() {
    QHeaderView* header = horizontalHeader();
    if (m_sortColumn < 0) {
        header->setSortIndicatorShown(false);
        return;
    }
    header->setSortIndicatorShown(true);
    // Qt draws a downward arrow for an ascending order (the values grow downwards); users read an
    // upward arrow as ascending, as file managers and spreadsheets show it.
    header->setSortIndicator(m_sortColumn, m_sortAscending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

QString CGridCtrl::TitleTipText(int row, int column) const {
    const QModelIndex cell = m_model->index(ModelRow(row), column);
    if (!cell.isValid()) {
        return {};
    }
    const QString text = m_model->Cell(cell.row(), column).text;
    const int width = fontMetrics().horizontalAdvance(QLatin1Char(' ') + text + QLatin1Char(' '));
    return width > visualRect(cell).width() ? text : QString();
}

bool CGridCtrl::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex cell = indexAt(help->pos());
        const QString tip = cell.isValid() ? TitleTipText(GridRow(cell.row()), cell.column()) : QString();
        if (tip.isEmpty()) {
            QToolTip::hideText();
        } else {
            QToolTip::showText(help->globalPos(), tip, viewport(), visualRect(cell));
        }
        return true;
    }
    return QTableView::viewportEvent(event);
}

void CGridCtrl::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    if (!hasFocus()) {
        return;
    }
    // A click beside the cells gives the focus without a focus cell: then the frame runs round the
    // whole grid.
    const QModelIndex current = currentIndex();
    QRect frame = current.isValid() ? visualRect(current) : viewport()->rect();
    if (current.isValid() && m_listMode) {
        const int row = current.row();
        frame = visualRegionForSelection(
                    QItemSelection(m_model->index(row, 0), m_model->index(row, m_model->columnCount() - 1)))
                    .boundingRect();
    }
    if (frame.isEmpty()) {
        return;
    }
    QPainter painter(viewport());
    QPen dots(Qt::black, 1);
    dots.setDashPattern({1, 1});
    painter.setPen(dots);
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
}

void CGridCtrl::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    if (event->reason() != Qt::MouseFocusReason && !currentIndex().isValid() && m_model->rowCount() > 0) {
        for (int column = 0; column < m_model->columnCount(); ++column) {
            if (!isColumnHidden(column)) {
                selectionModel()->setCurrentIndex(m_model->index(0, column), QItemSelectionModel::NoUpdate);
                break;
            }
        }
    }
}

void CGridCtrl::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    // The frame spans the row, wider than the two cells the view repaints by itself.
    viewport()->update();
}

}  // namespace albumora::gui
