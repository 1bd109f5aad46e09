#include "toolkit/qt/form_content.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace tolvane::qt {

void paintFormContent(QPainter& painter, const FormContent& content) {
    // The picture is drawn at its own size; beyond it, when the window is made larger, the back colour.
    painter.fillRect(painter.window(), content.backColour);
    if (!content.background.isNull()) {
        painter.drawPixmap(0, 0, content.background);
    }
    for (const LineView& line : content.lines) {
        painter.setPen(QPen(line.colour, 1));
        painter.drawLine(line.line);
    }
    for (const LabelView& label : content.labels) {
        paintLabel(painter, label);
    }
}

void paintLabel(QPainter& painter, const LabelView& label) {
    painter.save();
    painter.setClipRect(label.rect, Qt::IntersectClip);
    if (label.opaque) {
        painter.fillRect(label.rect, label.backColour);
    }
    drawCaption(painter, label.rect, label.font, label.foreColour, label.caption);
    painter.restore();
}

void drawCaption(QPainter& painter, const QRect& rect, const QFont& font, const QColor& colour,
                 const QString& caption) {
    painter.setFont(font);
    painter.setPen(colour);
    // The line starts at the label's top edge. A bold drawn from a font that has none is thickened
    // outwards, so its tallest glyphs reach a pixel above the font's ascent; move the line down by
    // that much, or the label would cut off the tops of its characters.
    const QFontMetrics metrics(font);
    const int overshoot = std::max(0, -metrics.boundingRect(caption).top() - metrics.ascent());
    painter.drawText(rect.translated(0, overshoot),
                     Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, caption);
}

} // namespace tolvane::qt
