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
        heard(*reading_);
    }
    bool off = reading_->offTheWindow && !leftBehindAt_;
    if (window_.onXWayland()) {
        off = !heardElsewhere_ || (off && reportedSinceMapped_);
    }
    if (!off) {
        offInside_ = 0;
        return reading_->position;
    }
    const QRect outer = window();
    if (!outer.contains(reading_->position)) {
        offInside_ = 0;
        return reading_->position;
    }
    // A compositor moving the window under a resting pointer takes the pointer from XWayland and gives it
    // back a moment later: off the window only when a tick later it is still gone.
    return ++offInside_ < kOffInsideReadings ? reading_->position : outer.topLeft() - QPoint(1, 1);
}

void PointerWatch::windowChanged(WindowChange change) {
    if (change == WindowChange::Unmapped || change == WindowChange::Mapped) {
        mapped_ = change == WindowChange::Mapped;
        reportedSinceMapped_ = false;
    }
    if (change != WindowChange::FrameExtents && change != WindowChange::Unmapped) {
        reading_.reset();
    }
}

void PointerWatch::pointerReported(const PointerReport& report) {
    reading_ = report;
    readingsKept_ = 0;
    heard(report);
    reportedSinceMapped_ = reportedSinceMapped_ || mapped_;
}

void PointerWatch::heard(const PointerReport& report) {
    if (!firstHeard_) {
        firstHeard_ = report.position;
    }
    heardElsewhere_ = heardElsewhere_ || report.moved || report.position != *firstHeard_;
    if (report.leftBehind) {
        leftBehindAt_ = report.position;
    } else if (report.moved || report.position != leftBehindAt_) {
        leftBehindAt_.reset();
    }
}

} // namespace tolvane::qt
