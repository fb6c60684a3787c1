#include "gui/grid/GridCellDelegate.h"

#include <QPainter>

namespace albumora::gui {

namespace {

// The text band over the lower edge of a thumbnail.
constexpr int kCaptionPadding = 2;

QRect PictureRect(const QRect& cell, QSize picture) {
    return QRect(cell.left() + (cell.width() - picture.width()) / 2,
                 cell.top() + (cell.height() - picture.height()) / 2, picture.width(), picture.height());
}

}  // namespace

void GridCellDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->state &= ~QStyle::State_HasFocus;
}

void GridCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const bool selected = (opt.state & QStyle::State_Selected) != 0;
    if (selected) {
        painter->fillRect(opt.rect, kSelectionBackground);
        opt.state &= ~QStyle::State_Selected;
        opt.palette.setColor(QPalette::Text, Qt::black);
    }
    const QVariant decoration = index.data(Qt::DecorationRole);
    if (decoration.canConvert<QPixmap>() && !decoration.value<QPixmap>().isNull()) {
        PaintThumbnail(painter, opt, decoration.value<QPixmap>());
        return;
    }
    QStyledItemDelegate::paint(painter, opt, index);
}

void GridCellDelegate::PaintThumbnail(QPainter* painter, const QStyleOptionViewItem& option,
                                      const QPixmap& picture) const {
    painter->save();
    painter->setClipRect(option.rect);
    const QRect pictureRect = PictureRect(option.rect, picture.size());
    painter->drawPixmap(pictureRect.topLeft(), picture);

    const int bandHeight = option.fontMetrics.height() + 2 * kCaptionPadding;
    const QRect band(pictureRect.left(), pictureRect.bottom() + 1 - bandHeight, pictureRect.width(),
                     bandHeight);
    painter->fillRect(band, QColor(255, 255, 255, 200));
    const QRect textRect = band.adjusted(kCaptionPadding, 0, -kCaptionPadding, 0);
    painter->setFont(option.font);
    painter->setPen(Qt::black);
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                      option.fontMetrics.elidedText(option.text, Qt::ElideRight, textRect.width()));
    painter->restore();
}

}  // namespace albumora::gui
