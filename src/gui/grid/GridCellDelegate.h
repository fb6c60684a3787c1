#pragma once

#include <QColor>
#include <QStyledItemDelegate>

namespace albumora::gui {

// Draws the grid's cells: selected cells on the grid's selection colour with black text whether or
// not the grid has the focus, no frame around the focus cell (the grid frames the whole focus row
// itself), and a cell with a picture as a thumbnail with its text along the bottom edge. A selected
// thumbnail is tinted and framed in a strong colour, since the cover hides the selection colour
// behind it.
class GridCellDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    static inline const QColor kSelectionBackground{199, 227, 227};
    static inline const QColor kSelectionFrame{0, 120, 215};
    static constexpr int kSelectionFrameWidth = 4;

    explicit GridCellDelegate(QObject* parent = nullptr) : QStyledItemDelegate(parent) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    void PaintThumbnail(QPainter* painter, const QStyleOptionViewItem& option, const QPixmap& picture,
                        bool selected) const;
};

}  // namespace albumora::gui
