#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QString>
#include <unordered_map>
#include <vector>

namespace albumora::gui {

// One cell of the grid: a text, an image of the grid's image list, and a data value that ties the
// cell to a record outside the grid.
struct GridCell {
    QString text;
    int image = -1;
    int data = 0;
    bool filled = false;  // a cell that was never given anything cannot be selected
};

// The cells behind CGridCtrl: data rows only; the fixed header row lives in the header texts.
class GridModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    // The cell's data value.
    static constexpr int kDataRole = Qt::UserRole;
    // A state shown beside the cell's text (an album's progress in a download run), and its colour;
    // every cell with the same data value shows the same state, however the rows are laid out.
    static constexpr int kStateRole = Qt::UserRole + 1;
    static constexpr int kStateColourRole = Qt::UserRole + 2;

    explicit GridModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Drops every row and header text.
    void Clear();
    void SetColumnCount(int columns);
    void SetRowCount(int rows);
    // Appends a row of empty cells and returns its index.
    int AppendRow();

    void SetHeaderText(int column, const QString& text);
    QString HeaderText(int column) const;

    const GridCell& Cell(int row, int column) const;
    void SetText(int row, int column, const QString& text);
    void SetImage(int row, int column, int image);
    void SetData(int row, int column, int value);

    // The state of the rows or cells whose data value is `data`; an empty text removes it.
    void SetState(int data, const QString& text, QColor colour);
    void ClearStates();
    // Rows: the state shows in `column` and is looked up by the data value of `keyColumn`. With -1
    // each cell shows the state of its own data value.
    void SetStateColumns(int column, int keyColumn);

    // Columns of numbers: right-aligned in `font`, whose digits are all of one width, so that they
    // line up. An empty list makes every column plain text again.
    void SetNumberColumns(std::vector<int> columns, const QFont& font);

    // Orders the rows by the texts of `column`, compared code unit by code unit (no locale, no case
    // folding); rows with equal texts keep their order. Persistent indexes follow their rows.
    void SortRows(int column, bool ascending);

    // The pictures that cells name by image index; owned by the grid.
    void SetImageList(const std::vector<QPixmap>* images) { m_images = images; }
    const QPixmap* Image(int image) const;

private:
    bool IsCell(int row, int column) const;
    void CellChanged(int row, int column);
    void StatesChanged();

    std::vector<std::vector<GridCell>> m_rows;
    std::vector<QString> m_header;
    struct State {
        QString text;
        QColor colour;
    };
    std::unordered_map<int, State> m_states;
    std::vector<int> m_numberColumns;
    QFont m_numberFont;
    int m_stateColumn = -1;
    int m_stateKeyColumn = -1;
    int m_columns = 0;
    const std::vector<QPixmap>* m_images = nullptr;
};

}  // namespace albumora::gui
