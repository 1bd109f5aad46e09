#include "toolkit/qt/twips.h"

#include "toolkit/pixel_scale.h"

#include <QGuiApplication>
#include <QScreen>

namespace tolvane::qt {

namespace {
// Qt's logical pixels: 96 to the logical inch, whatever the screen's own DPI.
constexpr PixelScale kLogicalPixels(kDefaultDotsPerInch);
static_assert(kTwipsPerInch / kDefaultDotsPerInch == kTwipsPerPixel);
} // namespace

std::optional<int> toPixels(Twips twips) {
    return kLogicalPixels.toPixels(twips);
}

Twips toTwips(int pixels) {
    return kLogicalPixels.toTwips(pixels);
}

int describedPixels(Twips twips) {
    return toPixels(twips).value_or(0);
}

QRect controlRect(const ControlDescription& control) {
    return {describedPixels(control.left), describedPixels(control.top), describedPixels(control.width),
            describedPixels(control.height)};
}

QLine controlLine(const ControlDescription& control) {
    return {describedPixels(control.x1()), describedPixels(control.y1()), describedPixels(control.x2()),
            describedPixels(control.y2())};
}

int fontPixelSize(float points) {
    return kLogicalPixels.fontHeight(points);
}

QPoint screenOrigin() {
    const QScreen* primary = QGuiApplication::primaryScreen();
    return primary != nullptr ? primary->geometry().topLeft() : QPoint();
}

} // namespace tolvane::qt
