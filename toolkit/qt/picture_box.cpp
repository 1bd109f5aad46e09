#include "toolkit/qt/picture_box.h"

#include <QPainter>

namespace tolvane::qt {

PictureBox::PictureBox(QWidget* parent, const QRect& rect, QPixmap picture, QColor backColour, int tabIndex)
    : QWidget(parent), picture_(std::move(picture)), backColour_(backColour), tabIndex_(tabIndex) {
    setGeometry(rect);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // A click on a box is the box's own, and it has no handler: it must not reach a label beneath.
    setAttribute(Qt::WA_NoMousePropagation);
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), backColour_);
    if (!picture_.isNull()) {
        painter.drawPixmap(0, 0, picture_);
    }
}

} // namespace tolvane::qt
