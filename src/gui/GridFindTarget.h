#pragma once

#include <QString>
#include <algorithm>
#include <functional>

#include "gui/dialogs/FindTarget.h"
#include "gui/grid/CMyGridCtrl.h"

namespace albumora::gui {

// Find and filter see the album rows of the grid, whose first rows are its header.
class GridFindTarget final : public FindTarget {
public:
    GridFindTarget(CMyGridCtrl& grid, std::function<void(const QString&)> applyFilter)
        : m_grid(grid), m_applyFilter(std::move(applyFilter)) {}

    int RowCount() const override { return std::max(0, m_grid.GetRowCount() - m_grid.GetFixedRowCount()); }
    int ColumnCount() const override { return m_grid.GetColumnCount(); }
    QString CellText(int row, int column) const override {
        return m_grid.GetItemText(row + m_grid.GetFixedRowCount(), column);
    }
    int FocusRow() const override {
        const int focus = m_grid.GetFocusRow();
        return focus < m_grid.GetFixedRowCount() ? -1 : focus - m_grid.GetFixedRowCount();
    }
    void SelectRow(int row) override { m_grid.SelectRow(row + m_grid.GetFixedRowCount()); }
    void SetSingleRowSelection(bool on) override { m_grid.SetSingleRowSelection(on); }
    void ApplyFilter(const QString& keyword) override { m_applyFilter(keyword); }

private:
    CMyGridCtrl& m_grid;
    std::function<void(const QString&)> m_applyFilter;
};

}  // namespace albumora::gui
