// What the window's own surface shows, back to front: the back colour, the background picture, the
// lines and the labels. The picture boxes are child widgets above all of it (picture_box.h).
#pragma once

#include "toolkit/description.h"

#include <QColor>
#include <QFont>
#include <QLine>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <vector>

class QPainter;

namespace tolvane::qt {

struct LabelView {
    const ControlDescription* control = nullptr;
    QRect rect;
    QFont font;
    QColor foreColour;
    Colour backColour = 0; // as the program writes it; painted as toQColor gives it
    QString caption;
    bool opaque = false;
    // What a screen reader says the label is, beyond its caption; empty for most.
    QString description;
};

struct LineView {
    QLine line;
    QColor colour;
};

struct FormContent {
    QColor backColour;
    QPixmap background;
    std::vector<LineView> lines;
    std::vector<LabelView> labels;
};

// Draws everything of the content that meets the painter's clip region.
void paintFormContent(QPainter& painter, const FormContent& content);

// One label: its back colour if opaque, then its caption, clipped to its rectangle.
void paintLabel(QPainter& painter, const LabelView& label);

// A caption as every label draws it: one line, centred horizontally, from the top edge of rect.
// It does not clip: paintLabel does.
void drawCaption(QPainter& painter, const QRect& rect, const QFont& font, const QColor& colour,
                 const QString& caption);

} // namespace tolvane::qt
