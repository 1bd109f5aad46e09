#include "toolkit/qt/colours.h"

#include "toolkit/description.h"

#include <QGuiApplication>
#include <QPalette>

namespace tolvane::qt {

namespace {

QPalette::ColorRole paletteRole(Colour systemColour) {
    switch (systemColour) {
    case vbButtonFace:
        return QPalette::Button;
    case vbButtonText:
        return QPalette::ButtonText;
    case vbWindowText:
    default:
        return QPalette::WindowText;
    }
}

int channel(Colour colour, int shift) {
    return static_cast<int>((colour >> shift) & 0xFFU);
}

} // namespace

QColor toQColor(Colour colour) {
    if (isSystemColour(colour)) {
        return QGuiApplication::palette().color(QPalette::Active, paletteRole(colour));
    }
    return {channel(colour, 0), channel(colour, 8), channel(colour, 16)};
}

} // namespace tolvane::qt
