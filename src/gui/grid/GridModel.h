#pragma once

#include <QAbstractTableModel>
#include <QPixmap>
#include <QString>
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

    // Orders the rows by the texts of `column`, compared code unit by code unit (no locale, no case
    // folding); rows with equal texts keep their order. Persistent indexes follow their rows.
    void SortRows(int column, bool ascending);

    // The pictures that cells name by image index; owned by the grid.
    void SetImageList(const std::vector<QPixmap>* images) { m_images = images; }
    const QPixmap* Image(int image) const;

private:
    bool IsCell(int row, int column) const;
    void CellChanged(int row, int column);

    std::vector<std::vector<GridCell>> m_rows;
    std::vector<QString> m_header;
    int m_columns = 0;
    const std::vector<QPixmap>* m_images = nullptr;
};

}  // namespace albumora::gui
