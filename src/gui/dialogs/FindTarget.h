#pragma once

#include <QString>

namespace albumora::gui {

// What find and filter need of the album grid. Rows are the album rows, the header not counted;
// columns include the hidden ones. The grid's owner implements it over its view and model and keeps
// it alive as long as the boxes that use it.
class FindTarget {
public:
    virtual ~FindTarget() = default;

    virtual int RowCount() const = 0;
    virtual int ColumnCount() const = 0;
    virtual QString CellText(int row, int column) const = 0;
    // -1 when no row has the focus.
    virtual int FocusRow() const = 0;
    // Makes `row` the only selected row and the focus row, and scrolls it into view.
    virtual void SelectRow(int row) = 0;
    // On while the find box is shown: one selected row at a time.
    virtual void SetSingleRowSelection(bool on) = 0;
    // Sets the filter keyword and rebuilds the rows once; an empty keyword lists every album.
    virtual void ApplyFilter(const QString& keyword) = 0;
};

enum class SearchDirection { Forward, Backward };

struct SearchOptions {
    bool matchCase = false;
    bool wholeCell = false;
};

// The first row after `start` (Forward) or before it (Backward) with a cell that holds the keyword,
// or equals it with `wholeCell`; -1 when none does. `start` may lie outside the rows: -1 searches
// forward from the first row, RowCount() backward from the last.
int FindMatchingRow(const FindTarget& target, int start, SearchDirection direction, const QString& keyword,
                    SearchOptions options);

}  // namespace albumora::gui
