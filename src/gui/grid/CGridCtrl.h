#pragma once

#include <QPixmap>
#include <QTableView>
#include <vector>

#include "gui/grid/GridModel.h"

namespace albumora::gui {

// A read-only table on Qt's model/view with the operations of a classic grid control. Rows are
// counted the grid's way: the fixed rows (at most one, the header) come first, so with a header the
// first data row is row 1; a grid without fixed rows starts its data at row 0.
class CGridCtrl : public QTableView {
    Q_OBJECT

public:
    explicit CGridCtrl(QWidget* parent = nullptr);

    // --- size ---
    // 0 or 1; a change clears the selection and the focus cell.
    void SetFixedRowCount(int fixedRows);
    int GetFixedRowCount() const { return m_fixedRows; }
    // Rows in all, the fixed row included; cutting rows drops their cells.
    void SetRowCount(int rows);
    int GetRowCount() const;
    void SetColumnCount(int columns);
    int GetColumnCount() const;
    // A width of 0 hides the column.
    void SetColumnWidth(int column, int width);
    // The height of every data row.
    void SetDefaultRowHeight(int height);
    // Appends a data row of empty cells and returns its grid row.
    int InsertRow();
    // Removes every row, column, header text and the sort state; the image list stays.
    void DeleteAllItems();

    // --- cells ---
    void SetItemText(int row, int column, const QString& text);
    QString GetItemText(int row, int column) const;
    void SetItemImage(int row, int column, int image);
    int GetItemImage(int row, int column) const;
    void SetItemData(int row, int column, int value);
    int GetItemData(int row, int column) const;
    bool IsCellSelected(int row, int column) const;
    // A state shown in the cells whose data value is `value` (see GridModel::kStateRole); an empty
    // text removes it. States outlive DeleteAllItems.
    void SetDataState(int value, const QString& text, QColor colour);
    void ClearDataStates();
    void SetStateColumns(int column, int keyColumn);
    // Columns of numbers: right-aligned, in a font whose digits line up.
    void SetNumberColumns(std::vector<int> columns);

    // --- image list ---
    int AddImage(const QPixmap& image);
    void ClearImages();
    int GetImageCount() const { return static_cast<int>(m_images.size()); }

    // --- selection ---
    // Whole-row selection; a switch clears the selection and the focus cell.
    void SetListMode(bool wholeRows);
    bool GetListMode() const { return m_listMode; }
    // One selected row at a time instead of many.
    void SetSingleRowSelection(bool single);
    // Every data cell.
    void SelectAllCells();
    // No selected cell and no focus cell.
    void ClearSelectionAndFocus();
    void SetSelectedRange(int minRow, int minColumn, int maxRow, int maxColumn);
    void SetFocusCell(int row, int column);
    // -1 when no cell has the focus.
    int GetFocusRow() const;
    void EnsureVisible(int row, int column);
    // The first data row after `row` that has a selected cell, or -1.
    int GetNextSelectedRow(int row) const;

    // --- sorting ---
    // Sorts the data rows by the texts of `column`, code unit by code unit.
    void SortItems(int column, bool ascending);
    // After a header-click sort, column 0 is rewritten as 0001, 0002, ... from the top.
    void SetRenumberAfterSort(bool renumber) { m_renumberAfterSort = renumber; }

    // The whole text of a cell whose text, with a blank on either side, is wider than the cell;
    // empty when it fits.
    QString TitleTipText(int row, int column) const;

protected:
    bool viewportEvent(QEvent* event) override;
    // While the grid has the focus, a dotted frame shows the focus row (list mode) or cell, or the
    // grid itself when there is none: the cells draw none, and a selected row looks the same whether
    // or not it holds the focus.
    void paintEvent(QPaintEvent* event) override;
    // Coming in from the keyboard without a focus cell, the grid takes its first cell, so that the
    // frame shows where the arrow keys start.
    void focusInEvent(QFocusEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    // Grid row of a model index and back.
    int GridRow(int modelRow) const { return modelRow + m_fixedRows; }
    int ModelRow(int gridRow) const { return gridRow - m_fixedRows; }

private:
    void OnHeaderClicked(int column);
    // The arrow on the sorted column, pointing up for an ascending order; none before a sort.
    void ShowSortIndicator();
    void ApplySelectionMode();

    GridModel* m_model;
    std::vector<QPixmap> m_images;
    int m_fixedRows = 0;
    bool m_listMode = false;
    bool m_singleRowSelection = false;
    bool m_renumberAfterSort = true;
    int m_sortColumn = -1;
    bool m_sortAscending = true;
};

}  // namespace albumora::gui
