#include "toolkit/qt/qt_toolkit.h"

#include "toolkit/qt/twips.h"
#include "toolkit/qt/x11_placement.h"
#include "toolkit/window_guard.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

namespace tolvane::qt {

QtToolkit::QtToolkit(const WindowDescription& description)
    : description_(description), form_(description, *this), window_(&form_.widget()) {
    // The native window is made here, once, with its flags: the stays-on-top hint that Form_Load asks for
    // later is given to the window system without replacing it, so the id is the window's for its life.
    handle_ = static_cast<WindowHandle>(window_->winId());
    x11_ = X11Window::forWindow(*window_);
    if (x11_) {
        placement_ = std::make_unique<X11Placement>(*x11_);
        pointer_ = std::make_unique<PointerWatch>(*x11_, [x11 = x11_.get()] { return x11->queryPointer(); });
    }
}

QtToolkit::~QtToolkit() = default;

QRect QtToolkit::outerRect() const {
    const QRect outer = placement_ ? placement_->outerRect() : window_->frameGeometry();
    return outer.translated(-screenOrigin());
}

void QtToolkit::moveOuterEdges(std::optional<int> left, std::optional<int> top) {
    const QPoint origin = screenOrigin();
    if (placement_) {
        placement_->move(left ? std::optional(*left + origin.x()) : std::nullopt,
                         top ? std::optional(*top + origin.y()) : std::nullopt);
        return;
    }
    // QWidget::move places a window by its frame, which is what Top and Left measure.
    const QRect outer = outerRect();
    window_->move(origin + QPoint(left.value_or(outer.left()), top.value_or(outer.top())));
}

Status QtToolkit::hWnd(WindowHandle& handle) {
    return whileLoaded(form_.loaded(), [&] { handle = handle_; });
}

Status QtToolkit::WindowState(std::int16_t& state) {
    return whileLoaded(form_.loaded(), [&] {
        state = window_->isMinimized() ? vbMinimized : window_->isMaximized() ? vbMaximized : vbNormal;
    });
}

Status QtToolkit::Top(Twips& value) {
    return whileLoaded(form_.loaded(), [&] { value = toTwips(outerRect().top()); });
}

Status QtToolkit::setTop(Twips value) {
    return whileLoaded(form_.loaded(), [&] {
        const std::optional<int> top = toPixels(value);
        if (!top) {
            return kStatusOverflow;
        }
        moveOuterEdges(std::nullopt, *top);
        return kStatusOk;
    });
}

Status QtToolkit::Left(Twips& value) {
    return whileLoaded(form_.loaded(), [&] { value = toTwips(outerRect().left()); });
}

Status QtToolkit::setLeft(Twips value) {
    return whileLoaded(form_.loaded(), [&] {
        const std::optional<int> left = toPixels(value);
        if (!left) {
            return kStatusOverflow;
        }
        moveOuterEdges(*left, std::nullopt);
        return kStatusOk;
    });
}

Status QtToolkit::Width(Twips& value) {
    return whileLoaded(form_.loaded(), [&] { value = toTwips(outerRect().width()); });
}

Status QtToolkit::Height(Twips& value) {
    return whileLoaded(form_.loaded(), [&] { value = toTwips(outerRect().height()); });
}

Status QtToolkit::Show() {
    return whileLoaded(form_.loaded(), [&] { window_->show(); });
}

Status QtToolkit::Unload() {
    return whileLoaded(form_.loaded(), [&] { form_.unload(); });
}

Status QtToolkit::ScreenWidth(Twips& value) {
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary == nullptr) {
        return kStatusNoScreen;
    }
    value = toTwips(primary->geometry().width());
    return kStatusOk;
}

Status QtToolkit::ScreenTwipsPerPixelX(Twips& value) {
    value = kTwipsPerPixel;
    return kStatusOk;
}

Status QtToolkit::ScreenTwipsPerPixelY(Twips& value) {
    value = kTwipsPerPixel;
    return kStatusOk;
}

Status QtToolkit::setBackColor(std::string_view label, Colour colour) {
    return writeLabel(form_.loaded(), description_, label,
                      [&](std::size_t index) { form_.setBackColour(index, colour); });
}

Status QtToolkit::setCaption(std::string_view label, std::string_view utf8Text) {
    return writeLabel(form_.loaded(), description_, label,
                      [&](std::size_t index) { form_.setCaption(index, utf8Text); });
}

bool QtToolkit::isLoadedWindow(WindowHandle window) const {
    return form_.loaded() && window == handle_;
}

std::int32_t QtToolkit::GetCursorPos(POINT& point) {
    const QPoint origin = screenOrigin();
    const QPoint global =
        pointer_ ? pointer_->position([this] { return placement_->outerRect(); }) : QCursor::pos();
    const QPoint position = global - origin;
    point = {.x = position.x(), .y = position.y()};
    return 1;
}

std::int32_t QtToolkit::GetWindowRect(WindowHandle window, RECT& rect) {
    if (!isLoadedWindow(window)) {
        return 0;
    }
    rect = *windowRect();
    return 1;
}

std::optional<RECT> QtToolkit::windowRect() {
    if (!form_.loaded()) {
        return std::nullopt;
    }
    // QRect's right() and bottom() are the last pixels inside; the record wants the first outside.
    const QRect outer = outerRect();
    return RECT{.left = outer.left(),
                .top = outer.top(),
                .right = outer.left() + outer.width(),
                .bottom = outer.top() + outer.height()};
}

void QtToolkit::moveOntoMonitor(POINT corner) {
    moveOuterEdges(corner.x, corner.y);
}

void QtToolkit::monitorsChanged() {
    if (placement_) {
        placement_->monitorsChanged();
    }
}

std::int32_t QtToolkit::SetWindowPos(WindowHandle window, WindowHandle insertAfter, std::int32_t x,
                                     std::int32_t y, std::int32_t cx, std::int32_t cy, std::uint32_t flags) {
    if (!isLoadedWindow(window)) {
        return 0;
    }
    // Only what the program asks for: the topmost band (its one caller passes HWND_TOPMOST and
    // SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW). Other places in the z-order and SWP_ flags beyond
    // toolkit.h's are not offered.
    if (insertAfter == HWND_TOPMOST) {
        setStaysOnTop();
    }
    if ((flags & SWP_NOMOVE) == 0) {
        window_->move(screenOrigin() + QPoint(x, y));
    }
    if ((flags & SWP_NOSIZE) == 0) {
        // cx and cy measure the frame; the widget's size is its client area's.
        const QSize frame = window_->frameGeometry().size() - window_->size();
        window_->resize(QSize(cx, cy) - frame);
    }
    if ((flags & SWP_SHOWWINDOW) != 0) {
        window_->show();
    }
    return 1;
}

std::int32_t QtToolkit::EnumDisplayMonitors(DisplayMonitors& monitors) {
    // Kept from Qt's screen signals: no round trip, and a copy of a record of fixed size.
    if (monitors_.monitors().count == 0) {
        return 0;
    }
    monitors = monitors_.monitors();
    return 1;
}

void QtToolkit::setStaysOnTop() {
    Qt::WindowFlags flags = window_->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint);
    // QWidget::setWindowFlags would make a new native window, and with it a new handle; so the widget only
    // takes note. On X11 Qt would also replace the native window on its next show() once its platform
    // window's stays-on-top hint changed; so there the window system is told directly, as Qt itself would
    // tell it: the hint on a window not yet mapped, a request to the manager for one mapped.
    window_->overrideWindowFlags(flags);
    if (x11_) {
        x11_->keepAbove(window_->isVisible());
    } else if (QWindow* native = window_->windowHandle()) {
        native->setFlags(flags);
    }
}

void QtToolkit::reportUntrappedError(const RuntimeError& error) {
    form_.reportUntrappedError(error);
}

} // namespace tolvane::qt
