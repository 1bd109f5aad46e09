#include "toolkit/qt/form_content.h"

#include "toolkit/qt/colours.h"

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
        painter.fillRect(label.rect, toQColor(label.backColour));
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
    int shift = std::max(0, -metrics.boundingRect(caption).top() - metrics.ascent());
    // A font whose ascent leaves room above its characters (Noto CJK's is 1.16 em, for accents) draws
    // them lower than the label's height allows for a label as tall as the font: move the line up into
    // that room, as far as the ink hangs out at the bottom.
    const QRect ink = metrics.tightBoundingRect(caption); // from the baseline
    const int room = metrics.ascent() + ink.top();
    const int overhang = metrics.ascent() + ink.bottom() + 1 - rect.height();
    if (room > 0 && overhang > 0) {
        shift = -std::min(room, overhang);
    }
    painter.drawText(rect.translated(0, shift),
                     Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, caption);
}

} // namespace tolvane::qt
