#include "toolkit/qt/pointer_watch.h"

#include <utility>

namespace tolvane::qt {

PointerWatch::PointerWatch(X11Window& window, std::function<PointerReport()> read)
    : window_(window), read_(std::move(read)) {
    window_.listen(*this);
}

PointerWatch::~PointerWatch() {
    window_.stopListening(*this);
}

QPoint PointerWatch::position(const std::function<QRect()>& window) {
    if (!reading_ || ++readingsKept_ >= kRecheckReadings) {
        reading_ = read_();
        readingsKept_ = 0;
    }
    if (!moved_ && window_.onXWayland()) {
        reading_->offTheWindow = true;
    }
    if (!reading_->offTheWindow) {
        return reading_->position;
    }
    const QRect outer = window();
    return outer.contains(reading_->position) ? outer.topLeft() - QPoint(1, 1) : reading_->position;
}

void PointerWatch::windowChanged(WindowChange change) {
    if (change != WindowChange::FrameExtents && change != WindowChange::Unmapped) {
        reading_.reset();
    }
}

void PointerWatch::pointerReported(const PointerReport& report) {
    reading_ = report;
    readingsKept_ = 0;
    moved_ = moved_ || report.moved;
}

} // namespace tolvane::qt
