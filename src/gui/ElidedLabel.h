#pragma once

#include <QLabel>

namespace albumora::gui {

// A one-line label that never widens its window: a text longer than the room it has is cut with
// "…", and the whole text is its tooltip. text() stays the whole text.
class ElidedLabel : public QLabel {
    Q_OBJECT

public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace albumora::gui
