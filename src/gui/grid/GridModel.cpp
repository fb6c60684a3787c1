#include "gui/grid/GridModel.h"

#include <algorithm>
#include <numeric>

namespace albumora::gui {

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_columns;
}

bool GridModel::IsCell(int row, int column) const {
    return row >= 0 && row < rowCount() && column >= 0 && column < m_columns;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !IsCell(index.row(), index.column())) {
        return {};
    }
    const GridCell& cell = Cell(index.row(), index.column());
    switch (role) {
        case Qt::DisplayRole:
            return cell.text;
        case Qt::DecorationRole:
            if (const QPixmap* image = Image(cell.image)) {
                return *image;
            }
            return {};
        case kDataRole:
            return cell.data;
        case Qt::TextAlignmentRole:
        case Qt::FontRole:
            if (std::find(m_numberColumns.begin(), m_numberColumns.end(), index.column()) ==
                m_numberColumns.end()) {
                return {};
            }
            return role == Qt::FontRole ? QVariant(m_numberFont)
                                        : QVariant(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        case kStateRole:
        case kStateColourRole: {
            if (m_stateColumn >= 0 && index.column() != m_stateColumn) {
                return {};
            }
            const GridCell& key = m_stateColumn >= 0 ? Cell(index.row(), m_stateKeyColumn) : cell;
            if (const auto state = m_states.find(key.data); key.filled && state != m_states.end()) {
                return role == kStateRole ? QVariant(state->second.text) : QVariant(state->second.colour);
            }
            return {};
        }
        default:
            return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= static_cast<int>(m_header.size())) {
        return {};
    }
    return m_header[static_cast<size_t>(section)];
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    if (!index.isValid() || !IsCell(index.row(), index.column()) ||
        !Cell(index.row(), index.column()).filled) {
        return Qt::NoItemFlags;
    }
    // Read-only: the grid never edits in place.
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void GridModel::Clear() {
    beginResetModel();
    m_rows.clear();
    m_header.clear();
    m_columns = 0;
    endResetModel();
}

void GridModel::SetState(int data, const QString& text, QColor colour) {
    if (text.isEmpty()) {
        m_states.erase(data);
    } else {
        m_states[data] = {text, colour};
    }
    StatesChanged();
}

void GridModel::ClearStates() {
    m_states.clear();
    StatesChanged();
}

void GridModel::SetNumberColumns(std::vector<int> columns, const QFont& font) {
    m_numberColumns = std::move(columns);
    m_numberFont = font;
    if (rowCount() > 0 && m_columns > 0) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, m_columns - 1),
                         {Qt::TextAlignmentRole, Qt::FontRole});
    }
}

void GridModel::SetStateColumns(int column, int keyColumn) {
    m_stateColumn = column;
    m_stateKeyColumn = column >= 0 ? std::clamp(keyColumn, 0, std::max(m_columns - 1, 0)) : -1;
    StatesChanged();
}

void GridModel::StatesChanged() {
    if (rowCount() > 0 && m_columns > 0) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, m_columns - 1), {kStateRole, kStateColourRole});
    }
}

void GridModel::SetColumnCount(int columns) {
    columns = std::max(columns, 0);
    if (columns == m_columns) {
        return;
    }
    beginResetModel();
    m_columns = columns;
    m_header.resize(static_cast<size_t>(columns));
    for (auto& row : m_rows) {
        row.resize(static_cast<size_t>(columns));
    }
    endResetModel();
}

void GridModel::SetRowCount(int rows) {
    rows = std::max(rows, 0);
    const int old = rowCount();
    if (rows > old) {
        beginInsertRows({}, old, rows - 1);
        m_rows.resize(static_cast<size_t>(rows), std::vector<GridCell>(static_cast<size_t>(m_columns)));
        endInsertRows();
    } else if (rows < old) {
        beginRemoveRows({}, rows, old - 1);
        m_rows.resize(static_cast<size_t>(rows));
        endRemoveRows();
    }
}

int GridModel::AppendRow() {
    SetRowCount(rowCount() + 1);
    return rowCount() - 1;
}

void GridModel::SetHeaderText(int column, const QString& text) {
    if (column < 0 || column >= m_columns) {
        return;
    }
    m_header[static_cast<size_t>(column)] = text;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

QString GridModel::HeaderText(int column) const {
    return column >= 0 && column < m_columns ? m_header[static_cast<size_t>(column)] : QString();
}

const GridCell& GridModel::Cell(int row, int column) const {
    static const GridCell kNone;
    return IsCell(row, column) ? m_rows[static_cast<size_t>(row)][static_cast<size_t>(column)] : kNone;
}

void GridModel::CellChanged(int row, int column) {
    const QModelIndex changed = index(row, column);
    emit dataChanged(changed, changed);
}

void GridModel::SetText(int row, int column, const QString& text) {
    if (IsCell(row, column)) {
        GridCell& cell = m_rows[static_cast<size_t>(row)][static_cast<size_t>(column)];
        cell.text = text;
        cell.filled = true;
        CellChanged(row, column);
    }
}

void GridModel::SetImage(int row, int column, int image) {
    if (IsCell(row, column)) {
        GridCell& cell = m_rows[static_cast<size_t>(row)][static_cast<size_t>(column)];
        cell.image = image;
        cell.filled = true;
        CellChanged(row, column);
    }
}

void GridModel::SetData(int row, int column, int value) {
    if (IsCell(row, column)) {
        GridCell& cell = m_rows[static_cast<size_t>(row)][static_cast<size_t>(column)];
        cell.data = value;
        cell.filled = true;
        CellChanged(row, column);
    }
}

void GridModel::SortRows(int column, bool ascending) {
    if (column < 0 || column >= m_columns || m_rows.size() < 2) {
        return;
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<size_t> order(m_rows.size());
    std::iota(order.begin(), order.end(), size_t{0});
    const auto col = static_cast<size_t>(column);
    // QString's operator< compares the UTF-16 code units as unsigned numbers.
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const QString& left = m_rows[a][col].text;
        const QString& right = m_rows[b][col].text;
        return ascending ? left < right : right < left;
    });

    std::vector<int> newRowOf(order.size());
    std::vector<std::vector<GridCell>> sorted;
    sorted.reserve(order.size());
    for (size_t to = 0; to < order.size(); ++to) {
        newRowOf[order[to]] = static_cast<int>(to);
        sorted.push_back(std::move(m_rows[order[to]]));
    }
    m_rows = std::move(sorted);

    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before) {
        after.push_back(index(newRowOf[static_cast<size_t>(old.row())], old.column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

const QPixmap* GridModel::Image(int image) const {
    if (m_images == nullptr || image < 0 || image >= static_cast<int>(m_images->size())) {
        return nullptr;
    }
    return &(*m_images)[static_cast<size_t>(image)];
}

}  // namespace albumora::gui
