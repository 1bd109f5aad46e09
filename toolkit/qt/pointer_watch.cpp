#include "toolkit/qt/pointer_watch.h"

#include <utility>

namespace tolvane::qt {

PointerWatch::PointerWatch(X11Window& window, std::function<QPoint()> read)
    : window_(window), read_(std::move(read)) {
    window_.listen(*this);
}

PointerWatch::~PointerWatch() {
    window_.stopListening(*this);
}

QPoint PointerWatch::position() {
    if (reading_ && ++readingsKept_ < kRecheckReadings) {
        return *reading_;
    }
    reading_ = read_();
    readingsKept_ = 0;
    return *reading_;
}

void PointerWatch::windowChanged(WindowChange change) {
    if (change != WindowChange::FrameExtents && change != WindowChange::Unmapped) {
        reading_.reset();
    }
}

void PointerWatch::pointerReported(QPoint position) {
    reading_ = position;
    readingsKept_ = 0;
}

} // namespace tolvane::qt
