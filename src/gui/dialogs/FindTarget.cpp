#include "gui/dialogs/FindTarget.h"

#include <algorithm>

#include "core/text/CaseFold.h"

namespace albumora::gui {

namespace {

// Case folding as everywhere else in the program, so find agrees with how names are compared.
QString Folded(const QString& text) {
    return QString::fromStdU16String(ToLowerText(text.toStdU16String()));
}

}  // namespace

int FindMatchingRow(const FindTarget& target, int start, SearchDirection direction, const QString& keyword,
                    SearchOptions options) {
    const QString wanted = options.matchCase ? keyword : Folded(keyword);
    const auto rowMatches = [&](int row) {
        for (int column = 0; column < target.ColumnCount(); ++column) {
            const QString cell =
                options.matchCase ? target.CellText(row, column) : Folded(target.CellText(row, column));
            if (options.wholeCell ? cell == wanted : cell.contains(wanted)) {
                return true;
            }
        }
        return false;
    };
    const int rows = target.RowCount();
    if (direction == SearchDirection::Forward) {
        for (int row = std::max(start + 1, 0); row < rows; ++row) {
            if (rowMatches(row)) {
                return row;
            }
        }
    } else {
        for (int row = std::min(start - 1, rows - 1); row >= 0; --row) {
            if (rowMatches(row)) {
                return row;
            }
        }
    }
    return -1;
}

}  // namespace albumora::gui
