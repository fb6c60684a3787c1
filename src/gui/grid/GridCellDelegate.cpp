#include "gui/grid/GridCellDelegate.h"

#include <QPainter>

#include "gui/grid/GridModel.h"

namespace albumora::gui {

namespace {

// The text band over the lower edge of a thumbnail.
constexpr int kCaptionPadding = 2;

// `picture` in device-independent pixels.
QRect PictureRect(const QRect& cell, QSize picture) {
    return QRect(cell.left() + (cell.width() - picture.width()) / 2,
                 cell.top() + (cell.height() - picture.height()) / 2, picture.width(), picture.height());
}

// Around the text of a state tag.
constexpr int kTagPadding = 4;
constexpr int kTagMargin = 3;

QSize TagSize(const QStyleOptionViewItem& option, const QString& text) {
    return {option.fontMetrics.horizontalAdvance(text) + 2 * kTagPadding, option.fontMetrics.height() + 2};
}

// A state as a small filled tag with white text, its top right corner at `topRight`.
void PaintTag(QPainter* painter, const QStyleOptionViewItem& option, QPoint topRight, const QString& text,
              QColor colour) {
    const QSize size = TagSize(option, text);
    const QRect tag(topRight.x() - size.width() + 1, topRight.y(), size.width(), size.height());
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(colour);
    painter->drawRoundedRect(tag, 3, 3);
    painter->setPen(Qt::white);
    painter->setFont(option.font);
    painter->drawText(tag, Qt::AlignCenter, text);
    painter->restore();
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
    const QString state = index.data(GridModel::kStateRole).toString();
    const auto stateColour = index.data(GridModel::kStateColourRole).value<QColor>();
    const QVariant decoration = index.data(Qt::DecorationRole);
    if (decoration.canConvert<QPixmap>() && !decoration.value<QPixmap>().isNull()) {
        const QPixmap picture = decoration.value<QPixmap>();
        PaintThumbnail(painter, opt, picture, selected);
        if (!state.isEmpty()) {
            const QRect pictureRect = PictureRect(opt.rect, picture.deviceIndependentSize().toSize());
            PaintTag(painter, opt, pictureRect.topRight() + QPoint(-kTagMargin, kTagMargin), state,
                     stateColour);
        }
        return;
    }
    if (state.isEmpty()) {
        QStyledItemDelegate::paint(painter, opt, index);
        return;
    }
    // The text gives way to the tag at the cell's right end.
    const QSize tag = TagSize(opt, state);
    QStyleOptionViewItem textPart = opt;
    textPart.rect.setRight(opt.rect.right() - tag.width() - 2 * kTagMargin);
    QStyledItemDelegate::paint(painter, textPart, index);
    const int top = opt.rect.top() + (opt.rect.height() - tag.height()) / 2;
    PaintTag(painter, opt, QPoint(opt.rect.right() - kTagMargin, top), state, stateColour);
}

void GridCellDelegate::PaintThumbnail(QPainter* painter, const QStyleOptionViewItem& option,
                                      const QPixmap& picture, bool selected) const {
    painter->save();
    painter->setClipRect(option.rect);
    const QRect pictureRect = PictureRect(option.rect, picture.deviceIndependentSize().toSize());
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
    if (selected) {
        QColor tint = kSelectionFrame;
        tint.setAlpha(90);
        painter->fillRect(pictureRect, tint);
        const int inset = kSelectionFrameWidth / 2;
        painter->setPen(QPen(kSelectionFrame, kSelectionFrameWidth));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(pictureRect.adjusted(inset, inset, -inset, -inset));
    }
    painter->restore();
}

}  // namespace albumora::gui
